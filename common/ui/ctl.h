#pragma once

// Helpers every dialog uses: finding controls (also inside the pages of a tabbed
// folder), the modified flag across folder pages, refreshing stale controls,
// enabling and disabling drop-down lists, and small list and mask helpers.

#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/folder.h"

#include <string>
#include <string_view>

namespace dn::ui {

// The n-th control (1-based) of the window in creation order; nullptr when there
// are fewer (or n < 1). Folder pages are not counted.
TWindow* CTL(TWindow& dlg, int n);
// The first control, in creation order, whose variable name begins with name
// (the default text comparison: "dat" finds "dat1"; the empty name matches any
// control). A folder is searched page by page, in page order, and is not itself
// compared. nullptr when none matches.
TWindow* CTL(TWindow& dlg, std::string_view name);
// The first control whose resource id is id, walking as CTL does; nullptr if none.
TWindow* ITEM(TWindow& dlg, int id);

// Sets dlg.lModify when any page of any folder in it (nested folders too) is
// modified; never clears it.
void UPDATEMODIFY(TWindow& dlg);
// Clears lModify on every page of the folder.
void RESETMODIFY(TFolder& folder);

// Redraws the controls whose shown text differs from their variable (ignoring
// trailing blanks): text fields (a date field showing no valid date is left
// alone), multi-line fields and drop-down lists (not the one with the focus).
// Lists and controls without a variable are skipped; other bound controls are
// redrawn. Folder pages are refreshed too. A call made while another runs further
// up the call chain returns at once.
void REFRESHALL(TWindow& dlg);

// Disables a control. A drop-down list keeps its current value aside, shows an
// empty entry in its place and holds the empty text in its variable until
// CTLENABLE puts the value back. Disabling a list that is already disabled this
// way changes nothing (the kept value is not lost).
void CTLDISABLE(TWindow& ctl);
// Enables a control; a list disabled by CTLDISABLE gets its entry and its
// variable back.
void CTLENABLE(TWindow& ctl);

// Selects the entry whose text is text (trailing blanks ignored) and stores it in
// the list's variable; false, nothing changed, when there is none.
bool LBXSET(TComboBox& list, std::string_view text);

// Takes a page's tab away (1-based); the page moves to the end of the folder's
// pages and is released with the folder.
void FLDHIDEITEM(TFolder& folder, int page);

// Applies a mask to the typed text of an editable drop-down list: "@!" upper
// case; "9" removes the first character that is not a digit (the caret moves one
// place left when something was removed). Any other mask changes nothing.
void CBPICTURE(TComboBox& list, std::string_view mask);

} // namespace dn::ui
