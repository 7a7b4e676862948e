#pragma once

// Types a text into a window as if it came from the keyboard.

#include <string_view>

class QWidget;

namespace dn {
class TWindow;
}

namespace dn::ui {

// Posts the text (Windows-1252) one character at a time: a character above the
// blank as a typed character, a blank or control character (CR, tab, backspace,
// Esc) as a press of that key; pending window events run after each. A top-level
// target receives the keys in the widget that has its focus. Without a target,
// the active window; with none, nothing happens.
void POSTSTRING(QWidget* target, std::string_view text);
void POSTSTRING(TWindow& target, std::string_view text);
void POSTSTRING(std::string_view text);

} // namespace dn::ui
