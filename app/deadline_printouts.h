#pragma once

// The deadline printouts: the list of the deadlines now shown in the deadline list
// and the sheet of the deadline open in the editor, each shown in the print preview.

#include "toolkit/dialog.h"

#include <string>

namespace dn::app {

// The rows of the selected work area (the deadline table, in its order, scope and
// view) from the first to the last, one line each, headed with the slot's name;
// the record pointer is put back. A failure shows the error handler's message.
void STAMPA(const std::string& name);
// The deadline as it stands in the editor dialog (its controls named
// kDateControl, kWeekdayControl, kTimeControl and kTaskControl of
// deadline_editor.h; saved or not), headed with the slot's name.
void STAMPA2(TDialog& editor, const std::string& name);

} // namespace dn::app
