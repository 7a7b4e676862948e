#pragma once

// Every message of the program: modal notices and questions, and the single
// non-modal wait box (optionally with a progress bar, or counting printed pages).
// Texts are Windows-1252 bytes; a ";" starts a new line. Each text is trimmed of
// blanks at both ends and its DOS accented letters are repaired (O2A) first.

#include <optional>
#include <string>
#include <string_view>

namespace dn::ui {

// Modal message of a kind; any open wait box closes first. Kinds and results:
//   1 notice (OK)                          -> 0
//   2 OK / Cancel, question                -> 1 when OK, else 0
//   3 Yes / No / Cancel, question          -> 6 Yes, 7 No, 2 Cancel (also Esc)
//   4 Yes / No, question                   -> 1 when Yes, else 0
//   5 Yes / No, No the default, question   -> 1 when Yes, else 0
//   6 OK / Cancel, stop icon               -> 1 when OK, else 0
// Questions (kinds 2 to 6) sound an 880 Hz beep first. Any other kind shows
// nothing and returns 0. title defaults to "Attenzione". Pending window events
// run after the box closes. The box is shown by the installed message seam
// (dn::messages(), see installMessages), so tests can answer it.
int POPMSG(std::string_view text, int kind, std::string_view title = {});

// A wait-box call: every field optional.
struct WaitMsg {
    std::optional<std::string> text;
    std::string title;                     // default "Attendere"
    bool update = false;                   // replace the open box's text (and move its bar)
    std::optional<int> rangeFrom, rangeTo; // both given: the box gets a progress bar
    std::optional<int> position;           // with update: the bar's position
    bool printing = false;                 // open the page-counting box (template "PRINTDLG")
    bool nextPage = false;                 // count one more printed page and show it
};

// Wait-box use, in this order:
// 1. no text, not printing, no nextPage: closes the open box, if any;
// 2. no box open: opens one (printing: the page-counting box);
// 3. update: replaces the box's text (when given) and moves the bar to position;
// 4. nextPage: adds 1 to the page counter and shows it;
// 5. otherwise nothing: a second wait text does not replace the first.
// While the box is open, the window that was active when it opened is disabled,
// and the box cannot be closed by the user (Esc, the close box, Alt+F4).
void POPMSG(const WaitMsg& w);
// Opens the wait box with text (or does nothing when one is open).
inline void POPMSG(std::string_view text) {
    WaitMsg w;
    w.text = std::string(text);
    POPMSG(w);
}
// Closes the wait box, if any.
inline void POPMSG() {
    POPMSG(WaitMsg());
}

// The open wait box's text (after trimming and repairs; ";" kept); nothing when no
// box is open, the empty text for a box opened without text.
std::optional<std::string> CURMSG();

// Installs the Qt message boxes and wait box as dn::messages(), so that the layers
// below the windows show through them too. The program calls it once after
// creating its QApplication; uninstallMessages restores the headless default.
void installMessages();
void uninstallMessages();

} // namespace dn::ui
