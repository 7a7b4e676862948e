#include "app/generation.h"

#include "app/deadline_editor.h"
#include "app/procedures.h"
#include "common/data/area.h"
#include "common/data/records.h"
#include "common/data/workspace.h"
#include "common/disk/checks.h"
#include "common/ui/calendar.h"
#include "common/ui/popmsg.h"
#include "common/ui/valid.h"
#include "common/util/calendar.h"
#include "common/util/clock.h"
#include "common/util/messages.h"
#include "platform/drive.h"
#include "toolkit/binding.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/get.h"
#include "toolkit/toolkit.h"

#include <cstdio>
#include <cstdlib>

namespace dn::app {

namespace {

// Step of each period, in the enumeration's order: days, or calendar months.
struct Step {
    int days;
    int months;
};
constexpr Step kSteps[] = {{1, 0}, {7, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 6}, {0, 12}};

template <class E>
std::optional<E> named(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return static_cast<E>(i);
    return std::nullopt;
}

// What the dialog shows and the user changes; kept across a second showing.
struct Entered {
    Date start;
    Date end;
    std::string time = std::string(5, ' ');
    std::string period;
    std::string rule = "Impegna";
    bool saturday = false;
    std::string text;
};

bool blank(const std::string& s) {
    return s.find_first_not_of(" \r\n\t") == std::string::npos;
}

// Shows the dialog "GENERA" on v; true when confirmed with every field valid.
bool showGenera(Entered& v) {
    TDialog dlg("GENERA");
    auto changed = [&dlg] { dlg.lModify = true; };
    const Date today = clock::today();

    GetOptions startOpts;
    startOpts.change = changed;
    startOpts.varName = "dat1";
    TGet* start = TGet::Redefine(101, bindVar(v.start), dlg, startOpts);
    // An empty end date is the end field's fault, not the start's.
    start->Cargo = ui::validRule([&v, today] {
        return !v.start.isEmpty() && v.start >= today && (v.end.isEmpty() || v.start <= v.end);
    });
    TBtnBmp::Redefine(102, "CALENDAR", [start] { ui::CALENDAR(*start); }, dlg,
                      {.toolTip = "Calendario"});

    GetOptions endOpts;
    endOpts.change = changed;
    endOpts.varName = "dat2";
    TGet* end = TGet::Redefine(103, bindVar(v.end), dlg, endOpts);
    end->Cargo = ui::validRule([&v, today] { return !v.end.isEmpty() && v.end >= today; });
    TBtnBmp::Redefine(104, "CALENDAR", [end] { ui::CALENDAR(*end); }, dlg,
                      {.toolTip = "Calendario"});

    GetOptions timeOpts;
    timeOpts.picture = "99:99";
    timeOpts.change = changed;
    timeOpts.varName = "ora";
    TGet::Redefine(105, bindVar(v.time), dlg, timeOpts)->Cargo =
        ui::validRule([&v] { return timeValid(v.time); });

    TComboBox::Redefine(106, bindVar(v.period), periodNames(), dlg,
                        {.change = changed, .varName = "ogni"})
        ->Cargo = ui::validRule([&v] { return !v.period.empty(); });
    // A daily series has no working day to move to within its own step.
    TComboBox::Redefine(107, bindVar(v.rule), ruleNames(), dlg,
                        {.change = changed, .varName = "nfer"})
        ->Cargo = ui::validRule([&v] {
        const auto rule = ruleNamed(v.rule);
        return v.period != periodNames()[static_cast<size_t>(Period::Giorno)] ||
               rule == Rule::Impegna || rule == Rule::Salta;
    });
    TCheckBox::Redefine(108, bindVar(v.saturday), dlg, {.change = changed, .varName = "sabf"});
    TMultiGet::Redefine(109, bindVar(v.text), dlg, {.change = changed, .varName = "inco"})->Cargo =
        ui::validRule([&v] { return !blank(v.text); });

    ui::bindConfirmCancel(dlg);
    TDialog::ActivateOptions opts;
    opts.centered = true;
    opts.valid = ui::validBlock(dlg, false);
    return dlg.Activate(opts) == 1;
}

// The wait box of a generation, with its bar moved at most once per hundredth of
// the series (each move lets window events run); closed when it goes.
class SeriesWaitBox {
public:
    ~SeriesWaitBox() {
        if (open_)
            ui::POPMSG();
    }
    void show(size_t done, size_t total) {
        const int percent = total ? static_cast<int>(done * 100 / total) : 100;
        if (open_ && percent == shown_)
            return;
        ui::WaitMsg w;
        w.text = kSeriesWait;
        if (!open_) {
            w.rangeFrom = 0;
            w.rangeTo = static_cast<int>(total);
            ui::POPMSG(w);
            open_ = true;
        }
        w.update = true;
        w.position = static_cast<int>(done);
        ui::POPMSG(w);
        shown_ = percent;
        messages().processEvents();
    }

private:
    bool open_ = false;
    int shown_ = -1;
};

} // namespace

const std::vector<std::string>& periodNames() {
    static const std::vector<std::string> names = {
        "GIORNO", "SETTIMANA", "MESE", "BIMESTRE", "TRIMESTRE", "QUADRIMESTRE", "SEMESTRE", "ANNO"};
    return names;
}

const std::vector<std::string>& ruleNames() {
    static const std::vector<std::string> names = {"Impegna", "Salta", "Anticipa", "Posticipa"};
    return names;
}

std::optional<Period> periodNamed(const std::string& name) {
    return named<Period>(periodNames(), name);
}

std::optional<Rule> ruleNamed(const std::string& name) {
    return named<Rule>(ruleNames(), name);
}

Date nextDate(Date d, Period p) {
    const Step s = kSteps[static_cast<size_t>(p)];
    return s.months ? d.addMonths(s.months) : d.addDays(s.days);
}

bool nonWorking(Date d, bool saturdayIsHoliday) {
    return ISFEST(d, saturdayIsHoliday);
}

Date DATA(Date d, Rule rule, bool saturdayIsHoliday) {
    while (!d.isEmpty() && nonWorking(d, saturdayIsHoliday)) {
        if (rule == Rule::Anticipa)
            d = d.addDays(-1);
        else if (rule == Rule::Posticipa)
            d = d.addDays(1);
        else
            break;
    }
    return d;
}

std::vector<Date> seriesDates(const Series& s) {
    std::vector<Date> dates;
    for (Date d = s.start; !d.isEmpty() && d <= s.end; d = nextDate(d, s.period)) {
        if (s.rule != Rule::Salta || !nonWorking(d, s.saturdayIsHoliday))
            dates.push_back(DATA(d, s.rule, s.saturdayIsHoliday));
    }
    return dates;
}

std::string seriesText(int64_t n) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%10lld", static_cast<long long>(n));
    return buf;
}

std::string NEXTGEN() {
    data::WorkArea& a = data::area();
    data::DBLOCK(false);
    dbf::Table& t = a.table();
    const int field = t.fieldIndex("GENERAZIO");
    // Back from the last record, a block at a time, to the last one with a number.
    constexpr uint32_t kBlock = 4096;
    std::string last;
    for (uint32_t hi = t.recordCount(); hi > 0 && last.empty();) {
        const uint32_t lo = hi > kBlock ? hi - kBlock + 1 : 1;
        t.scan(lo, hi, [&](uint32_t, std::string_view record) {
            if (data::deletedHidden() && !record.empty() && record[0] == '*')
                return;
            const std::string number = t.valueOf(record, field).text();
            if (number.find_first_not_of(' ') != std::string::npos)
                last = number;
        });
        hi = lo - 1;
    }
    // The value as VAL reads it: 0 when blank.
    const auto value = static_cast<int64_t>(std::strtod(last.c_str(), nullptr));
    int64_t next = (value + 1) % kSeriesModulus;
    if (next < 0)
        next += kSeriesModulus;
    return seriesText(next);
}

std::string generateSeries(const std::string& slotCode, const Series& s,
                           const SeriesProgress& progress) {
    const std::vector<Date> dates = seriesDates(s);
    const std::string series = NEXTGEN();
    const std::string time = s.time == kNoTime ? std::string() : s.time;
    if (progress)
        progress(0, dates.size());
    for (size_t i = 0; i < dates.size(); ++i) {
        // The first record is appended under the table lock that NEXTGEN took and
        // is on disk with its number before that lock goes: until then another
        // computer would read the same last number.
        const bool first = i == 0;
        data::DBAPP(first);
        data::FIELDPUT("CODICE", Value(slotCode));
        data::FIELDPUT("DATA", Value(dates[i]));
        data::FIELDPUT("ORA", Value(time));
        data::FIELDPUT("INCOMBENZA", Value(s.text));
        data::FIELDPUT("GENERAZIO", Value(series));
        if (first)
            data::DBCOMMIT();
        if (progress)
            progress(i + 1, dates.size());
    }
    data::DBCOMMIT();
    data::DBSKIP(0);
    data::DBUNLOCK();
    return series;
}

void GENERA(const std::string& code) {
    Entered v;
    for (;;) {
        if (!showGenera(v)) {
            tk::cursorArrow();
            return;
        }
        const std::string drive = platform::currentDrive();
        if (!disk::ISPROTECTED(drive) && !disk::ISFULL(drive))
            break;
    }
    messages().processEvents();
    const tk::WaitCursor hourglass;
    Series s;
    s.start = v.start;
    s.end = v.end;
    s.time = v.time;
    // The close check let through only names of the lists.
    s.period = periodNamed(v.period).value_or(Period::Giorno);
    s.rule = ruleNamed(v.rule).value_or(Rule::Impegna);
    s.saturdayIsHoliday = v.saturday;
    s.text = v.text;
    SeriesWaitBox box;
    generateSeries(code, s, [&box](size_t done, size_t total) { box.show(done, total); });
}

} // namespace dn::app
