#include "app/deadline_list.h"

#include "app/deadline_editor.h"
#include "app/panel.h"
#include "app/passwords.h"
#include "app/procedures.h"
#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/views.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/ui/arearows.h"
#include "common/ui/ctl.h"
#include "common/ui/valid.h"
#include "common/util/calendar.h"
#include "common/util/clock.h"
#include "common/util/trim.h"
#include "toolkit/browse.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/keys.h"
#include "toolkit/toolkit.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace dn::app {

namespace {

// Column 4 shows the done flag; a click there toggles it.
constexpr int kDoneColumn = 4;
// Column widths in pixels: date, time, task, done flag.
constexpr int kDateWidth = 98, kTimeWidth = 38, kTaskWidth = 451, kDoneWidth = 16;

std::string firstWord(const std::string& s, size_t n) {
    return s.substr(0, n);
}

// The slot's name: the text of its label on the panel (control 2 x slot - 1).
std::string slotName(TDialog& panel, int slot) {
    TWindow* label = ui::CTL(panel, 2 * slot - 1);
    return label ? label->GetText() : std::string();
}

// The cells of the row the list's area stands on.
std::vector<BrowseCell> deadlineRow(data::WorkArea& a) {
    const Value due = a.get("DATA");
    const Date d = due.isDate() ? due.date() : Date();
    std::string when = d.isEmpty() ? std::string(8, ' ') : d.toText();
    when += " " + firstWord(CDAY(d), 3);
    std::string task = a.get("INCOMBENZA").text();
    for (size_t i = task.find("\r\n"); i != std::string::npos; i = task.find("\r\n", i))
        task.replace(i, 2, " ");
    const Value done = a.get("EVASA");
    return {when, a.get("ORA").text(), task,
            BrowseCell::Bitmap(done.isLogical() && done.logical() ? "SELECT" : "NOSELECT"), ""};
}

bool holidayRow(data::WorkArea& a) {
    const Value due = a.get("DATA");
    return due.isDate() && ISFEST(due.date(), false);
}

} // namespace

std::string listTitle(const std::string& name, Date reference, uint64_t shown, uint64_t total) {
    std::string trimmed(trimRight(name));
    trimmed.erase(0, trimmed.find_first_not_of(' '));
    const std::string title = "Deltranota per " + trimmed + " di " + CDAY(reference) + " " +
                              std::to_string(reference.day()) + " " + CMNT(reference) + " " +
                              std::to_string(reference.year()) + " - " + std::to_string(shown) +
                              " di " + std::to_string(total);
    return std::string(trimRight(title));
}

void setPendingView(const std::string& slotCode, Date reference) {
    // Keys run owner, date, time: the slot's deadlines up to the reference date are
    // the keys up to slot code + date, so only those are walked.
    data::ORDSCOPE(1, Value(slotCode + reference.dtos()));
    data::ViewOptions o;
    o.useCurrentOrder = true;
    data::DBSETVIEW(
        [reference] {
            const Value due = data::FIELDGET("DATA");
            const Value done = data::FIELDGET("EVASA");
            return due.isDate() && due.date() <= reference && !(done.isLogical() && done.logical());
        },
        kPendingViewText, o);
    data::ORDSCOPE(1, Value(slotCode));
    data::DBGOTOP();
}

void resyncList(TDialog& window) {
    if (data::DBEOF()) {
        data::DBGOBOTTOM();
    } else {
        // Still in the order when one step forward and one back come back to it.
        const uint32_t current = data::DBRECNO();
        data::DBSKIP(1);
        if (data::DBEOF()) {
            data::DBGOBOTTOM();
        } else {
            const uint32_t next = data::DBRECNO();
            data::DBSKIP(-1);
            if (data::DBBOF() || data::DBRECNO() != current)
                data::DBGOTO(next);
        }
    }
    if (auto* list = dynamic_cast<TWBrowse*>(ui::ITEM(window, 101)))
        list->Refresh();
    window.AEvalWhen();
}

void SCADENZE(TDialog& panel, int clickRow, int n, std::optional<Date> date) {
    const int slot = slotFromRow(clickRow);
    const std::string code = schema::slotCode(slot);
    const Date reference = date.value_or(clock::today());
    if (slot > n || slot < 1)
        return;
    const std::string name = slotName(panel, slot);
    if (!PASSWD(code))
        return;

    data::AreaGuard guard;
    data::protect([&] {
        guard.open(schema::kDeadlines);
        data::ORDADD(schema::kDeadlines);
        data::ORDSCOPE(0, Value(code));
        data::ORDSCOPE(1, Value(code));
        data::DBGOTOP();
        data::DBCLEARVIEW();
        setPendingView(code, reference);

        const int listArea = data::SELECT();
        data::WorkArea& a = data::area();
        TDialog dlg("SCADENZE");
        auto title = [&] {
            return listTitle(name, reference, data::ORDKEYCOUNT(), data::TOTREC());
        };
        dlg.SetText(title());

        // Every action works on the list's area and is a protected block of its own:
        // a failure (its message shown by the error handler) closes the window, and
        // the table with it. The list is resynchronised after each (EVASA does it
        // itself).
        auto act = [&](const std::function<void()>& work, bool retitle, bool resync = true) {
            const bool done = data::protect([&] {
                data::DBSELECTAREA(listArea);
                work();
                if (resync)
                    resyncList(dlg);
                if (retitle)
                    dlg.SetText(title());
            });
            if (!done)
                dlg.End(0);
        };
        auto edit = [&] { act([&] { SCADENZA(false, code, name); }, false); };
        auto toggle = [&] { act([&] { EVASA(dlg); }, false, false); };
        auto notAtEnd = [&a] { return !a.eof(); };

        TWBrowse::Options lo;
        lo.headers = {"DATA", "ORA", "INCOMBENZA", "E", ""};
        lo.colSizes = {kDateWidth, kTimeWidth, kTaskWidth, kDoneWidth, 0};
        lo.justify = {TWBrowse::Left, TWBrowse::Center, TWBrowse::Left, TWBrowse::Center,
                      TWBrowse::Left};
        lo.source = std::make_shared<ui::AreaRows>(a);
        TWBrowse* list = TWBrowse::Redefine(
            101, [&a] { return deadlineRow(a); }, dlg, lo);
        list->bLDblClick = [&](int, int col, int, TWindow&) {
            if (list->nAtCol(col) != kDoneColumn)
                edit();
        };
        list->bLClicked = [&](int, int col, int, TWindow&) {
            if (list->nAtCol(col) == kDoneColumn)
                toggle();
        };
        list->bKeyDown = [&](int key, int, TWindow&) {
            if (key == vk::Return)
                edit();
            else if (key == vk::Space)
                toggle();
        };
        // The four widths together are wider than the list: the task column takes what
        // the others leave, so that the done column stays in sight.
        list->aColSizes[2] = std::clamp(list->nClientWidth() - kDateWidth - kTimeWidth - kDoneWidth,
                                        100, kTaskWidth);
        list->nClrText = [&a] { return holidayRow(a) ? kHolidayRow : tk::rgb(0, 0, 0); };
        list->nClrBackFocus = [&a] { return holidayRow(a) ? kHolidayRow : tk::getSysColor(13); };

        ui::bindEndButton(dlg, 201, true, 1);
        TButton::Redefine(
            202, [&] { act([&] { SCADENZA(true, code, name); }, true); }, dlg);
        TButton::Redefine(203, edit, dlg, {.when = notAtEnd});
        TButton::Redefine(204,
                          [&] { act([&] { ELIMINA(data::FIELDGET("GENERAZIO").text()); }, true); },
                          dlg, {.when = notAtEnd});
        TButton::Redefine(
            205, [&] { act([] { RICERCA(); }, true); }, dlg);
        TButton::Redefine(
            206, [&] { act([] { data::DBCLEARVIEW(); }, true); }, dlg);
        TButton::Redefine(
            207, [&] { act([&] { GENERA(code); }, true); }, dlg);
        TButton::Redefine(208, [&] { act([&] { STAMPA(name); }, false); }, dlg, {.when = notAtEnd});
        TButton::Redefine(
            209, [&] { act([&] { PASSWD2(code); }, false); }, dlg);

        TDialog::ActivateOptions opts;
        opts.centered = true;
        opts.valid = ui::validBlock(dlg, false);
        opts.init = [list] { list->SetFocus(); };
        dlg.Activate(opts);
    });
}

} // namespace dn::app
