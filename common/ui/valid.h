#pragma once

// The close check every dialog installs. Dialog conventions it relies on:
// - the dialog's Cargo is 1 when the confirming button (201) closes it, 2 for the
//   cancelling button (202), nothing for any other close (close box, Esc);
// - change handlers set the dialog's (or folder page's) lModify;
// - a control whose Cargo holds a callable is checked by it (false: invalid).

#include "toolkit/dialog.h"

#include <functional>

namespace dn::ui {

// True when the dialog may close.
// - A close check already running further up the call chain (of any dialog, for
//   instance while its question shows) makes this one refuse.
// - Abandoning (Cargo nothing or 2): allowed when confirm is false or nothing was
//   modified (folder pages included); else asks "Annullo le modifiche?" (Yes/No,
//   No the default): No refuses and gives the focus back where it was.
// - Confirming (any other Cargo): clears Cargo, lets the focused control store
//   what was typed, then checks the dialog's fields and, page by page, those of
//   each folder's shown pages, bringing each page to the front first. The first
//   failure refuses: "Data non valida." for a field that reads as no date,
//   "Numero troppo grande." for a number that does not fit its mask, "Campo non
//   valido." for a control whose Cargo rule says false. The failing field is
//   focused and painted red (255,0,0) while the message shows. Labels and
//   controls whose enabling condition is false are not checked; an editable
//   drop-down list stores its typed text first.
bool VALID(TDialog& dlg, bool confirm);

// Binds button id of dlg to end the dialog with result: first action runs (when
// given), then Cargo is set to 1 when the button confirms, else 2 (the close check
// validates the fields only after a confirming button).
void bindEndButton(TDialog& dlg, int id, bool confirms, int result,
                   std::function<void()> action = {});

// Binds buttons 201 and 202 by the conventions: 201 confirms and ends the dialog
// with result 1, 202 cancels and ends it with cancelResult (see bindEndButton).
void bindConfirmCancel(TDialog& dlg, int cancelResult = 2);

// A rule for the close check, to put in a control's Cargo: the control is valid
// while test() holds ("Campo non valido." otherwise).
Value validRule(std::function<bool()> test);

// The close check as a block for TDialog::ActivateOptions::valid.
inline CondBlock validBlock(TDialog& dlg, bool confirm) {
    return [&dlg, confirm] { return VALID(dlg, confirm); };
}

// The background a failing field shows while its message is on screen.
inline constexpr tk::Color kInvalidFieldColor = tk::rgb(255, 0, 0);

} // namespace dn::ui
