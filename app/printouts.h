#pragma once

// Small helpers shared by the printouts: the values shown in a dialog's controls
// and the end of a page laid out on the line grid.

#include "toolkit/dialog.h"
#include "toolkit/print/printer.h"

#include <string>
#include <string_view>

namespace dn::app {

// The value of dlg's control whose variable is named name, as text: a text as it
// is, a date as "dd/mm/yyyy" ("" for the empty date), anything else readable.
// "" when there is no such control.
std::string controlText(TDialog& dlg, std::string_view name);

// Ends a page laid out on the line grid: the page is closed, the grid's current
// line goes back to the top for the next printout, and the job ends (the preview).
void endGridPrint(TPrinter& prn);

} // namespace dn::app
