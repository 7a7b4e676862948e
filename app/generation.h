#pragma once

// Recurring deadlines: the dialog "GENERA" (GENERA, declared in procedures.h), the
// dates of a series, the move of a date off non-working days (DATA) and the series
// numbers (NEXTGEN). Every deadline of one run carries the run's series number in
// GENERAZIO, so that the whole series can be deleted at once (ELIMINA).
// docs/series.md describes the series numbers and how two computers share them.

#include "common/util/date.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dn::app {

// How far one date of a series lies from the next.
enum class Period { Giorno, Settimana, Mese, Bimestre, Trimestre, Quadrimestre, Semestre, Anno };
// What happens to a date that falls on a non-working day: kept, skipped, moved to
// the nearest earlier or later working day.
enum class Rule { Impegna, Salta, Anticipa, Posticipa };

// The names the dialog's lists show, in the enumerations' order ("GIORNO" ...
// "ANNO"; "Impegna" ... "Posticipa").
const std::vector<std::string>& periodNames();
const std::vector<std::string>& ruleNames();
// The period or rule of a name exactly as listed; nothing for any other text.
std::optional<Period> periodNamed(const std::string& name);
std::optional<Rule> ruleNamed(const std::string& name);

// The date one period after d: 1 or 7 days, or 1, 2, 3, 4, 6 or 12 calendar months
// with d's day kept, the last day of the target month when that month is shorter.
// The empty date past year 9999.
Date nextDate(Date d, Period p);

// A non-working day: a holiday or Sunday by ISFEST, and a Saturday when
// saturdayIsHoliday.
bool nonWorking(Date d, bool saturdayIsHoliday);

// d moved by the rule while it is a non-working day: one day back at a time
// (Anticipa) or forward (Posticipa); the other rules keep it.
Date DATA(Date d, Rule rule, bool saturdayIsHoliday);

// What one run generates.
struct Series {
    Date start;
    Date end;
    std::string time; // "HH:MM", or blank or kNoTime for none
    Period period = Period::Giorno;
    Rule rule = Rule::Impegna;
    bool saturdayIsHoliday = false;
    std::string text;
};

// The due dates of a series, in order. Each step starts from the previous date as
// it was before any move (so a day clamped at a month end stays clamped, and a
// move does not shift later dates); every step date up to the end gets a deadline
// dated DATA(step date), except non-working step dates under Salta. Moved dates
// may lie outside start..end or coincide: they are kept as moved.
std::vector<Date> seriesDates(const Series& s);

// Series numbers: decimal, right-aligned in 10 characters, handed out in
// increasing order modulo 10,000,000,000.
inline constexpr int64_t kSeriesModulus = 10000000000LL;
std::string seriesText(int64_t n);

// The next series number for the deadline table of the selected area: one more
// than the number of the last record (in record order, deleted ones skipped) that
// has one, or 1 when none has. Takes the whole-table lock and returns with it held
// and the current record unchanged: the number is claimed once a record carrying
// it is on disk, so the caller writes that record before the lock goes (or
// releases it, claiming nothing).
std::string NEXTGEN();

// Told after the series number is drawn with (0, total), then after each record
// with (records written, total).
using SeriesProgress = std::function<void(size_t done, size_t total)>;

// Appends the series' deadlines for the slot to the deadline table of the selected
// area (the deadline list's), one by one, all with one new series number, not
// done; commits, reads the current record again and releases all locks. The first
// record is appended and written under the lock NEXTGEN took. Returns the series
// number. Failures are thrown; the deadlines written before one stay.
std::string generateSeries(const std::string& slotCode, const Series& s,
                           const SeriesProgress& progress = {});

// Text of the wait box with its progress bar while a series is written.
inline constexpr const char* kSeriesWait = "Generazione delle scadenze in corso...";

} // namespace dn::app
