#pragma once

// In-place editing of simple one-field tables shown in a browse.

#include "toolkit/browse.h"

namespace dn::ui {

// Edits, in the browse's cell of column `column`, the first field of the selected
// work area's current record (the browse shows that area).
// - append: refuses (false) when the current drive is write-protected or full,
//   else appends a blank record (committed and unlocked) and edits it;
// - otherwise refuses at end of file.
// An edit left blank is asked again. A cancelled edit (Esc) deletes the appended
// record again, unless the drive has become write-protected. A value that differs
// from the field is stored under a record lock (the record is recalled if it was
// deleted meanwhile), committed and unlocked. The browse is redrawn. Returns
// whether a value was entered. A disk or file failure is reported by the error
// handler and gives false.
bool EDCOL(TWBrowse& browse, bool append, int column = 1);

} // namespace dn::ui
