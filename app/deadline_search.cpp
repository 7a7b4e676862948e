#include "app/deadline_search.h"

#include "app/procedures.h"
#include "common/data/errors.h"
#include "common/data/views.h"
#include "common/ui/calendar.h"
#include "common/ui/msgtext.h"
#include "common/ui/valid.h"
#include "common/util/cp1252.h"
#include "common/util/format.h"
#include "common/util/trim.h"
#include "toolkit/binding.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/get.h"

namespace dn::app {

std::string searchText(Date from, Date to, const std::string& text) {
    std::string s;
    if (!from.isEmpty())
        s += MKSTR(Value(from)).text() + " <= FIELD -> data .AND. ";
    if (!to.isEmpty())
        s += MKSTR(Value(to)).text() + " >= FIELD -> data .AND. ";
    if (!text.empty())
        s += MKSTR(Value(text)).text() + " $ UPPER( FIELD -> incombenza ) .AND. ";
    if (s.empty())
        return s;
    s.resize(s.size() - 7);
    return upper1252(s);
}

void RICERCA() {
    Date from;
    Date to;
    std::string text(20, ' ');
    TDialog dlg("RICERCA");
    TGet* fromField = TGet::Redefine(101, bindVar(from), dlg, {.varName = "dat1"});
    TBtnBmp::Redefine(102, "CALENDAR", [fromField] { ui::CALENDAR(*fromField); }, dlg,
                      {.toolTip = "Calendario"});
    TGet* toField = TGet::Redefine(103, bindVar(to), dlg, {.varName = "dat2"});
    TBtnBmp::Redefine(104, "CALENDAR", [toField] { ui::CALENDAR(*toField); }, dlg,
                      {.toolTip = "Calendario"});
    TGet::Redefine(105, bindVar(text), dlg, {.varName = "inco"});
    ui::bindConfirmCancel(dlg);
    // "&Tutte": the list shows all the slot's deadlines; the dialog closes as
    // cancelled. A failure has shown its message; the list is resynchronised anyway.
    ui::bindEndButton(dlg, 203, false, 2, [] { data::protect([] { data::DBCLEARVIEW(); }); });

    TDialog::ActivateOptions opts;
    opts.centered = true;
    opts.valid = ui::validBlock(dlg, false);
    if (dlg.Activate(opts) != 1)
        return;

    const std::string condition = searchText(from, to, std::string(trimRight(text)));
    if (condition.empty())
        return;
    // A failed replacement shows the handler's message and leaves the list in the
    // slot's order without a view; the caller resynchronises it either way.
    data::protect([&condition] {
        data::DBCLEARVIEW();
        data::DBSETVIEW(data::conditionOf(condition), condition);
    });
}

} // namespace dn::app
