#include "app/deadline_editor.h"

#include "app/deadline_list.h"
#include "app/procedures.h"
#include "app/record_check.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/data/workspace.h"
#include "common/disk/checks.h"
#include "common/ui/calendar.h"
#include "common/ui/popmsg.h"
#include "common/ui/valid.h"
#include "common/util/calendar.h"
#include "common/util/clock.h"
#include "common/util/messages.h"
#include "common/util/validate.h"
#include "platform/drive.h"
#include "toolkit/binding.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/get.h"
#include "toolkit/toolkit.h"

namespace dn::app {

namespace {

// What the editor shows and the user changes, apart from the record.
struct Edited {
    Date date;
    std::string time;
    std::string text;
};

std::string weekdayAbbrev(Date d) {
    return CDAY(d).substr(0, 3);
}

bool blank(const std::string& s) {
    return s.find_first_not_of(" \r\n\t") == std::string::npos;
}

// Shows the editor dialog on v; true when confirmed. modified: the dialog starts
// as changed (values entered earlier that were not written).
bool showEditor(bool isNew, const std::string& name, Edited& v, bool modified) {
    std::string weekday = weekdayAbbrev(v.date);
    TDialog dlg("SCADENZA");
    dlg.SetText(isNew ? "Aggiungi" : "Modifica");
    auto changed = [&dlg] { dlg.lModify = true; };

    GetOptions dateOpts;
    dateOpts.change = changed;
    dateOpts.varName = kDateControl;
    TGet* date = TGet::Redefine(101, bindVar(v.date), dlg, dateOpts);
    date->Cargo = ui::validRule([&v] { return !v.date.isEmpty(); });

    GetOptions dayOpts;
    dayOpts.varName = kWeekdayControl;
    TGet* day = TGet::Redefine(102, bindVar(weekday), dlg, dayOpts);
    // The weekday follows the date each time the date field gains or loses the
    // focus, in dark red on holidays (Saturdays are working days).
    auto showWeekday = [&v, &weekday, day] {
        weekday = weekdayAbbrev(v.date);
        day->SetColor(ISFEST(v.date, false) ? kHolidayWeekday : tk::getSysColor(8),
                      tk::getSysColor(5));
        day->Refresh();
    };
    date->bGotFocus = showWeekday;
    date->bLostFocus = showWeekday;

    TBtnBmp::Redefine(103, "CALENDAR", [date] { ui::CALENDAR(*date); }, dlg,
                      {.toolTip = "Calendario"});

    GetOptions timeOpts;
    timeOpts.picture = "99:99";
    timeOpts.valid = [&v] { return timeValid(v.time); };
    timeOpts.change = changed;
    timeOpts.varName = kTimeControl;
    TGet::Redefine(104, bindVar(v.time), dlg, timeOpts)->Cargo =
        ui::validRule([&v] { return timeValid(v.time); });

    TBtnBmp::Redefine(105, "TELEFONO",
                      [date] {
                          RUBRICA();
                          date->SetFocus();
                      },
                      dlg, {.toolTip = "Rubrica"});

    TMultiGet* text = TMultiGet::Redefine(106, bindVar(v.text), dlg,
                                          {.change = changed, .varName = kTaskControl});
    text->Cargo = ui::validRule([&v] { return !blank(v.text); });

    ui::bindConfirmCancel(dlg);
    TButton::Redefine(
        203, [&dlg, &name] { STAMPA2(dlg, name); }, dlg);

    TDialog::ActivateOptions opts;
    opts.centered = true;
    opts.valid = ui::validBlock(dlg, true);
    opts.init = [&dlg, modified, showWeekday] {
        dlg.lModify = modified;
        showWeekday();
    };
    return dlg.Activate(opts) == 1;
}

// The drive of the current folder, as the disk checks take it.
std::string drive() {
    return platform::currentDrive();
}

} // namespace

bool timeValid(const std::string& t) {
    return t == kNoTime || t.find_first_not_of(' ') == std::string::npos || ISTIME(t);
}

void SCADENZA(bool isNew, const std::string& slotCode, const std::string& name) {
    Edited v;
    std::optional<LoadedRecord> loaded;
    if (isNew) {
        v = {clock::today(), std::string(5, ' '), std::string()};
    } else {
        if (data::DBEOF())
            return;
        loaded.emplace(std::vector<std::string>{"DATA", "ORA", "INCOMBENZA"});
        v = {loaded->value("DATA").date(), loaded->value("ORA").text(),
             loaded->value("INCOMBENZA").text()};
    }
    bool modified = false;
    for (;; modified = true) {
        if (!showEditor(isNew, name, v, modified))
            return;
        if (disk::ISPROTECTED(drive()) || disk::ISFULL(drive()))
            continue;
        data::DBLOCK(false);
        if ((isNew || v.date != data::FIELDGET("DATA").date()) && DUP(slotCode, v.date)) {
            // No lock is held while the user decides.
            data::DBUNLOCK();
            if (ui::POPMSG(kDuplicateDay, 2) != 1)
                continue;
        }
        if (isNew) {
            data::DBAPP();
            data::FIELDPUT("CODICE", Value(slotCode));
        } else {
            if (!lockForOverwrite(*loaded)) {
                // Declined: the editor shows what the other computer left.
                v = {loaded->value("DATA").date(), loaded->value("ORA").text(),
                     loaded->value("INCOMBENZA").text()};
                modified = false;
                continue;
            }
            data::DBRECALL();
        }
        data::FIELDPUT("DATA", Value(v.date));
        data::FIELDPUT("ORA", Value(v.time == kNoTime ? std::string() : v.time));
        data::FIELDPUT("INCOMBENZA", Value(v.text));
        data::DBCOMMIT();
        data::DBSKIP(0);
        data::DBUNLOCK();
        return;
    }
}

bool DUP(const std::string& slotCode, Date date) {
    const uint32_t recno = data::DBRECNO();
    const int order = data::ORDSETFOCUS(1);
    const Value day(slotCode + date.dtos());
    data::ORDSCOPE(0, day);
    data::ORDSCOPE(1, day);
    bool found = false;
    for (data::DBGOTOP(); !data::DBEOF(); data::DBSKIP()) {
        if (!data::FIELDGET("EVASA").logical()) {
            found = true;
            break;
        }
    }
    data::ORDSCOPE(0, Value(slotCode));
    data::ORDSCOPE(1, Value(slotCode));
    data::DBGOTOP();
    data::ORDSETFOCUS(order);
    data::DBGOTO(recno);
    return found;
}

void EVASA(TDialog& window) {
    // Space in an empty list: nothing to toggle.
    if (!data::DBEOF()) {
        data::DBLOCK(true);
        data::DBRECALL();
        data::FIELDPUT("EVASA", Value(!data::FIELDGET("EVASA").logical()));
        data::DBCOMMIT();
        data::DBSKIP(0);
        data::DBUNLOCK();
    }
    resyncList(window);
}

void ELIMINA(const std::string& series) {
    if (data::DBEOF())
        return;
    if (ui::POPMSG("Confermi la cancellazione?", 2) != 1)
        return;
    if (disk::ISPROTECTED(drive()))
        return;
    if (series.find_first_not_of(' ') == std::string::npos) {
        data::DBDEL();
        return;
    }
    const int answer = ui::POPMSG(kDeleteSeries, 3);
    if (answer == 2)
        return;
    if (answer == 7) {
        data::DBDEL();
        return;
    }
    messages().processEvents();
    const tk::WaitCursor hourglass;
    const int order = data::ORDSETFOCUS(0);
    data::DBLOCK(false);
    data::WorkArea& a = data::area();
    for (data::DBGOTOP(); !data::DBEOF(); data::DBSKIP()) {
        if (data::FIELDGET("GENERAZIO").text() == series)
            a.table().setDeleted(true); // written, and taken out of the orders, on the skip
    }
    data::DBCOMMIT();
    data::DBSKIP(0);
    data::DBUNLOCK();
    data::ORDSETFOCUS(order);
    data::DBGOTOP();
}

} // namespace dn::app
