#pragma once

// Small helpers shared by the printouts: the values shown in a dialog's controls.

#include "toolkit/dialog.h"

#include <string>
#include <string_view>

namespace dn::app {

// The value of dlg's control whose variable is named name, as text: a text as it
// is, a date as "dd/mm/yyyy" ("" for the empty date), anything else readable.
// "" when there is no such control.
std::string controlText(TDialog& dlg, std::string_view name);

} // namespace dn::app
