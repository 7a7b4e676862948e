#pragma once

// The operations that change single deadlines from the deadline list: the editor
// (SCADENZA), the test for another pending deadline on a day (DUP), the done
// toggle (EVASA) and deletion, of one deadline or of a generated series
// (ELIMINA). All work on the deadline table that the list has open in the
// selected work area, with its scope (the slot) and view, and on its current
// record. Failures of the table are thrown to the caller's protected block.

#include "common/util/date.h"
#include "toolkit/text.h"

#include <string>

namespace dn {
class TDialog;
}

namespace dn::app {

inline constexpr const char* kDuplicateDay =
    "Una scadenza con stessa data \xE8 gi\xE0 presente.;Confermi?";
inline constexpr const char* kDeleteSeries =
    "Cancello tutte le scadenze generate insieme a questa?";
// Text colour of the weekday field on a holiday.
inline constexpr tk::Color kHolidayWeekday = tk::rgb(170, 0, 0);
// A time field ("99:99") the user left untouched; stored as a blank time.
inline constexpr const char* kNoTime = "  :  ";
// Names of the editor's controls: date, weekday, time and task text. The sheet
// printout (STAMPA2) finds the values on screen by them.
inline constexpr const char* kDateControl = "data";
inline constexpr const char* kWeekdayControl = "gior";
inline constexpr const char* kTimeControl = "ora";
inline constexpr const char* kTaskControl = "inco";

// A time as the deadline dialogs accept it: untouched, blank, or a valid "HH:MM".
bool timeValid(const std::string& t);

// Adds a deadline for the slot (isNew) or edits the current one, in the dialog
// "SCADENZA" (caption "Aggiungi" or "Modifica"): date (not empty), weekday shown
// beside it, time ("99:99": "  :  " or blank for none, else a valid time), task
// text (not empty). Cancelled, nothing is written. Confirmed: on a write-protected
// or full drive, or when the user declines a second pending deadline on the same
// day (asked only when the day is new or changed), the dialog shows again with the
// values entered. An edit asks before writing over a change another computer made
// meanwhile (record_check.h); declined, the dialog shows the other computer's
// values. The write recalls a deleted record; EVASA and GENERAZIO are kept (a new
// deadline is not done and belongs to no series). Nothing happens for an edit at
// the end of the list.
void SCADENZA(bool isNew, const std::string& slotCode, const std::string& name);

// True when the slot has, on that day, a deadline that is neither done nor
// deleted, whether the list's view shows it or not. Leaves the current record,
// the controlling order and the scopes as they were.
bool DUP(const std::string& slotCode, Date date);

// Toggles the current deadline's done flag (recalling it when deleted) and
// resynchronises the list of window. At the end of the list only the
// resynchronisation happens.
void EVASA(TDialog& window);

// After "Confermi la cancellazione?" and a check that the drive is not
// write-protected: deletes the current deadline, or, when it belongs to a series
// and the user answers Yes to kDeleteSeries, every deadline of that series in the
// table (done ones and those outside the view included) and goes to the first row.
// After a single deletion the current record is the one that followed.
void ELIMINA(const std::string& series);

} // namespace dn::app
