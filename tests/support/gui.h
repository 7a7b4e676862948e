#pragma once

// GUI tests drive real dialogs on the offscreen platform, with no person:
//
//   dn::test::DialogDriver drive;
//   drive.on("SCADENZA", [&](dn::TDialog& d) {
//       dn::test::type(d, 101, "31/02/2025");
//       dn::test::press(d, 201);          // a real mouse click on "&Conferma"
//   });
//   SCADENZA(...);                        // the code under test opens the dialog
//
// A script runs inside the dialog's own event loop as soon as the dialog shows,
// so modal dialogs are driven like non-modal ones. Questions go through
// ScriptedMessages (messages_fake.h).

#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/filedialog.h"
#include "toolkit/get.h"
#include "toolkit/menu.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class QApplication;
class QFileDialog;

namespace dn::test {

// The test program's QApplication (offscreen unless QT_QPA_PLATFORM says else),
// with the toolkit initialised. Created on first use and kept to the end.
QApplication& guiApp();

// Runs queued scripts on dialogs and menus as they start.
class DialogDriver {
public:
    using Script = std::function<void(TDialog&)>;
    using MenuScript = std::function<void(TMenu&)>;
    using FileScript = std::function<void(QFileDialog&)>;

    DialogDriver();
    // Fails the test when a queued script never ran.
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // The next dialog that starts must be `name` (its template name, or its caption
    // for dialogs built in code); the script runs on it. A dialog that starts with no
    // script queued, or another name than expected, fails the test and is closed.
    DialogDriver& on(const std::string& name, Script script);
    // The next pop-up menu runs this script (use TMenu::Choose).
    DialogDriver& onMenu(MenuScript script);
    // The next file dialog (tk::askFile) runs this script (use chooseFile).
    DialogDriver& onFile(FileScript script);
    // Dialogs of this name (the wait box: "Attendere") may start without a
    // script; they are left to run.
    DialogDriver& allow(const std::string& name);

    // Names of the dialogs that started, in order.
    std::vector<std::string> started;
    size_t pending() const { return scripts_.size() + menus_.size() + files_.size(); }

private:
    std::deque<std::pair<std::string, Script>> scripts_;
    std::deque<MenuScript> menus_;
    std::deque<FileScript> files_;
    std::vector<std::string> allowed_;
    tk::DialogHook oldDialog_;
    tk::MenuHook oldMenu_;
    tk::FileDialogHook oldFile_;
};

// Lets pending events run (timers, posted calls, repaints).
void settle(int ms = 0);

// The control with resource id `id`, on the dialog or one of its folder pages;
// fails the test and returns nullptr when there is none.
TWindow* control(TDialog& dlg, int id);
// The first control whose cVarName equals name exactly (pages included).
TWindow* control(TDialog& dlg, const std::string& varName);
// The template widget for id (bound or not).
QWidget* widget(TDialog& dlg, int id);

// Gives the control the focus as a Tab would (the focused one is left first).
void focus(TWindow& c);
// Types text (Windows-1252) into an edit as key presses, after selecting what it
// shows, so that its mask and change block work as for a person.
void type(TWindow& field, const std::string& text);
void type(TDialog& dlg, int id, const std::string& text);
// One key press (a Qt key) on the widget that has the focus in dlg, or on w.
void key(QWidget* w, int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier);
// A real left click in the middle of the button with id (a TButton, TBtnBmp,
// check box or radio button).
void press(TDialog& dlg, int id);
// A left click at pixel (x, y) of the widget.
void click(QWidget* w, int x, int y, bool dbl = false, Qt::MouseButton b = Qt::LeftButton);
// Closing from the window system (close box, Alt+F4), and with the Esc key.
void closeBox(TDialog& dlg);
void escape(TDialog& dlg);
// What the control with id shows.
std::string text(TDialog& dlg, int id);
// The user picks entry n (1-based) of a drop-down list.
void choose(TComboBox& box, int n);

// In a file dialog: puts name (a file name or a full path, Windows-1252) into its
// name field and presses Enter; or cancels the dialog with Esc.
void chooseFile(QFileDialog& dlg, const std::string& name);
void cancelFile(QFileDialog& dlg);
// The dialog's title, filters ("File ZIP (*.zip)"), folder and offered name.
struct FileDialogState {
    std::string title;
    std::vector<std::string> filters;
    std::string folder;
    std::string name;
    bool save = false;
};
FileDialogState fileDialogState(QFileDialog& dlg);

} // namespace dn::test
