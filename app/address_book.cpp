// The address book window: the contacts in alphabetical order with type-ahead, and
// the buttons that add, change, delete, search and print them. RUBRICA is declared
// in app/procedures.h, where the menu and the deadline editor find it.

#include "app/contact_editor.h"
#include "app/contact_search.h"
#include "app/procedures.h"
#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/data/views.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/ui/arearows.h"
#include "common/ui/valid.h"
#include "common/util/trim.h"
#include "toolkit/browse.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/keys.h"

#include <QScrollBar>
#include <QStyle>
#include <QWidget>

#include <memory>

namespace dn::app {

namespace {

// "Rubrica telefonica - " + the contacts shown (the search view's, or all) + " di "
// + all contacts, for the selected area.
std::string addressBookTitle() {
    return "Rubrica telefonica - " + std::to_string(data::ORDKEYCOUNT()) + " di " +
           std::to_string(data::TOTREC());
}

// The list that type-ahead moves.
class ListSearch : public data::SearchList {
public:
    explicit ListSearch(TWBrowse& list) : list_(list) {}
    void showCurrent() override { list_.Stabilize(); }

private:
    TWBrowse& list_;
};

// Width of the list's one column: the list's inside less its scroll bar.
int columnWidth(QWidget* list) {
    if (!list)
        return 0;
    const int bar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    return std::max(0, list->contentsRect().width() - bar);
}

void runList(data::WorkArea& a) {
    TDialog dlg("RUBRICA");
    const auto setTitle = [&dlg] { dlg.SetText(std::string(trimRight(addressBookTitle()))); };
    setTitle();

    TWBrowse* list = nullptr;
    // The list's and the buttons' actions. Any failure while the window runs ends
    // it, after the handler's message.
    const auto guarded = [&dlg](std::function<void()> body) -> Block {
        return [&dlg, body = std::move(body)] {
            if (!data::protect(body))
                dlg.End(0);
        };
    };
    const Block edit = guarded([&] {
        RUBRICA2(false);
        list->Refresh();
    });
    const Block add = guarded([&] {
        RUBRICA2(true);
        list->Refresh();
        setTitle();
    });
    const Block remove = guarded([&] {
        data::DELREC();
        // After the last name the list stands on the new last one rather than past
        // the end, where it would show nothing.
        if (a.eof())
            a.goBottom();
        list->Refresh();
        setTitle();
    });
    const Block search = guarded([&] {
        RICERCA2();
        list->Refresh();
        setTitle();
    });
    const Block print = guarded([&] {
        STAMPA3();
        list->Refresh();
    });
    const CondBlock notAtEnd = [&a] { return !a.eof(); };

    TWBrowse::Options o;
    o.headers = {"NOMINATIVO"};
    o.colSizes = {columnWidth(dlg.ControlWidget(101))};
    o.dblClick = [edit](int, int, int, TWindow&) { edit(); };
    o.source = std::make_shared<ui::AreaRows>(a);
    list = TWBrowse::Redefine(
        101, [&a] { return std::vector<BrowseCell>{BrowseCell(a.get("NOMINATIVO").text())}; }, dlg,
        o);
    list->bKeyDown = [edit](int key, int, TWindow&) {
        if (key == vk::Return)
            edit();
    };
    ListSearch typeAhead(*list);
    list->bKeyChar = [&typeAhead, guarded](int key, int, TWindow&) {
        guarded([&] { data::KEYSEARCH(&typeAhead, key); })();
    };

    const Block close = [&dlg] { dlg.End(0); };
    TButton::Redefine(201, close, dlg);
    TButton::Redefine(202, add, dlg);
    TButton::Redefine(203, edit, dlg, {.when = notAtEnd});
    TButton::Redefine(204, remove, dlg, {.when = notAtEnd});
    TButton::Redefine(205, search, dlg);
    TButton::Redefine(206, print, dlg, {.when = notAtEnd});

    TDialog::ActivateOptions opts;
    opts.centered = true;
    opts.valid = ui::validBlock(dlg, false);
    opts.start = [list] { list->SetFocus(); };
    dlg.Activate(opts);
}

} // namespace

// Opens the contact table shared in a free work area with its name order, runs the
// list window, and on every way out closes the table (and any search view) and
// selects the work area that was selected before. A failure while the window runs
// ends it after the error handler's message.
void RUBRICA() {
    data::AreaGuard guard;
    data::protect([&] {
        guard.open(schema::kContacts);
        data::ORDADD(schema::kContacts);
        runList(data::area());
    });
}

} // namespace dn::app
