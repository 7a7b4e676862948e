#pragma once

#include "toolkit/text.h"

#include <functional>
#include <string>

class QApplication;

namespace dn::tk {

// Prepares the running QApplication for the toolkit: font substitutions for the
// faces the program names, the default interface font, the key-state tracker.
// Idempotent; every program and GUI test calls it once after creating the
// QApplication.
void init();

// Toolkit-wide settings the application fixes.
struct Settings {
    // Default interface font face (mapped to what the machine has when used).
    std::string defaultFontFace = "Segoe UI";
    bool isWindows10 = true;
    bool largeFonts = false;
    // Background of browses and edit fields by system colour index; the dialog
    // helpers install their own rule at start-up. Default: getSysColor.
    std::function<Color(int index)> backgroundColor;
    // Runs whenever a browse is created (the type-ahead search forgets what was typed).
    std::function<void()> browseCreated;
};
Settings& settings();
// The background for lists and fields (settings().backgroundColor, or the
// system window colour when none is installed).
Color fieldBackground();

// System colours by index: 5 window, 6 window frame, 8 window text, 12 application
// workspace, 13 highlight, 14 highlight text, 15 button face, 16 button shadow,
// 17 grey text, 18 button text; from the application palette.
Color getSysColor(int index);
// Height of a window caption in pixels (system metric 4).
int captionHeight();

// Whether the key (a dn::vk code) is held down now, as far as the key presses and
// releases that reached this program tell.
bool isKeyDown(int vk);

// The hourglass while long work runs; cursorArrow() puts the arrow back. Nested
// calls do not pile up: one cursorArrow() always restores the arrow.
void cursorWait();
void cursorArrow();

// Runs pending window events (timers, repaints, input) and returns.
void processEvents();

} // namespace dn::tk
