#include "app/printouts.h"

#include "common/ui/ctl.h"
#include "common/ui/linegrid.h"
#include "common/util/format.h"

#include "toolkit/control.h"

namespace dn::app {

std::string controlText(TDialog& dlg, std::string_view name) {
    const auto* ctl = dynamic_cast<const TControl*>(ui::CTL(dlg, name));
    if (!ctl)
        return {};
    const Value v = ctl->VarGet();
    if (v.isAbsent())
        return {};
    if (v.isDate())
        return v.date().isEmpty() ? std::string() : v.date().toText();
    return CVALTOCHAR(v);
}

void endGridPrint(TPrinter& prn) {
    prn.EndPage();
    ui::SETPROW(0);
    prn.End();
}

} // namespace dn::app
