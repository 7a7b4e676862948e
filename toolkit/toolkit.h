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

// System colour indices, numbered as Windows numbers them.
inline constexpr int kColorWindow = 5;
inline constexpr int kColorWindowFrame = 6;
inline constexpr int kColorWindowText = 8;
inline constexpr int kColorAppWorkspace = 12;
inline constexpr int kColorHighlight = 13;
inline constexpr int kColorHighlightText = 14;
inline constexpr int kColorButtonFace = 15;
inline constexpr int kColorButtonShadow = 16;
inline constexpr int kColorGrayText = 17;
inline constexpr int kColorButtonText = 18;

// The system colour of an index above, from the application palette (an unknown
// index gives the window background of the palette).
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
// The hourglass for as long as it lives, the arrow afterwards (also when the work
// throws).
struct WaitCursor {
    WaitCursor() { cursorWait(); }
    ~WaitCursor() { cursorArrow(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Runs pending window events (timers, repaints, input) and returns.
void processEvents();

} // namespace dn::tk
