#include "app/contact_search.h"

#include "common/data/errors.h"
#include "common/data/indexes.h"
#include "common/data/views.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/ui/valid.h"
#include "common/util/cp1252.h"
#include "common/util/format.h"
#include "common/util/trim.h"
#include "toolkit/binding.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/get.h"

namespace dn::app {

namespace {

// Lengths of the four criteria.
constexpr size_t kNameWidth = 20;
constexpr size_t kPhoneWidth = 15;
constexpr size_t kMailWidth = 20;
constexpr size_t kNotesWidth = 20;

// What each criterion must be contained in, with the joint that follows it.
constexpr const char* kNameClause = " $ UPPER( FIELD -> nominativo ) .AND. ";
constexpr const char* kPhoneClause =
    " $ FIELD -> telefono1 + [ ] + FIELD -> telefono2 + [ ] + FIELD -> telefono3 + [ ] + "
    "FIELD -> casa + [ ] + FIELD -> cellulare + [ ] + FIELD -> fax + [ ] + FIELD -> note .AND. ";
constexpr const char* kMailClause = " $ UPPER( FIELD -> e_mail ) .AND. ";
constexpr const char* kNotesClause = " $ UPPER( FIELD -> note ) .AND. ";
constexpr size_t kJointLength = 7; // " .AND. "

// After a failed search the list keeps its name order, even when the failure came
// after the orders were closed for the build.
void keepNameOrder() {
    data::protect([] {
        if (data::area().orderNamed(schema::kContacts) == 0) {
            data::ORDADD(schema::kContacts);
            data::ORDSETFOCUS(schema::kContacts);
            data::DBGOTOP();
        }
    });
}

void searchFor(const std::string& condition) {
    const bool built = data::protect([&] {
        data::DBCLEARVIEW(false);
        data::DBSETVIEW(data::conditionOf("{ || " + condition + " .and. !Deleted() }"), condition);
    });
    if (!built)
        keepNameOrder();
}

void showAll() {
    if (!data::protect([] { data::DBCLEARVIEW(); }))
        keepNameOrder();
}

} // namespace

std::string contactSearchCondition(const ContactCriteria& c) {
    std::string condition;
    const auto add = [&condition](std::string_view criterion, const char* clause) {
        const std::string_view typed = trimRight(criterion);
        if (typed.empty())
            return;
        condition += MKSTR(Value(std::string(typed))).text();
        condition += clause;
    };
    add(c.name, kNameClause);
    add(c.phone, kPhoneClause);
    add(c.mail, kMailClause);
    add(c.notes, kNotesClause);
    if (condition.empty())
        return condition;
    condition.resize(condition.size() - kJointLength);
    return upper1252(condition);
}

void RICERCA2() {
    ContactCriteria c{std::string(kNameWidth, ' '), std::string(kPhoneWidth, ' '),
                      std::string(kMailWidth, ' '), std::string(kNotesWidth, ' ')};
    TDialog dlg("RICERCA2");
    TGet::Redefine(101, bindVar(c.name), dlg, {.varName = "nomi"});
    TGet::Redefine(102, bindVar(c.phone), dlg,
                   {.picture = std::string(kPhoneWidth, '9'), .varName = "tele"});
    TGet::Redefine(103, bindVar(c.mail), dlg, {.varName = "mail"});
    TGet::Redefine(104, bindVar(c.notes), dlg, {.varName = "note_"});
    ui::bindConfirmCancel(dlg);
    ui::bindEndButton(dlg, 203, false, 2, showAll);
    TDialog::ActivateOptions opts;
    opts.centered = true;
    opts.valid = ui::validBlock(dlg, false);
    if (dlg.Activate(opts) != 1)
        return;
    const std::string condition = contactSearchCondition(c);
    if (!condition.empty())
        searchFor(condition);
}

} // namespace dn::app
