#pragma once

// The deadline list of one person slot (SCADENZE, declared in procedures.h): a
// modal window over the deadline table, opened shared in a work area of its own
// for the window's lifetime, limited to the slot's deadlines and at first to a
// view of those not done up to the reference date.

#include "common/util/date.h"
#include "toolkit/text.h"

#include <cstdint>
#include <string>

namespace dn {
class TDialog;
}

namespace dn::app {

// Condition of the list's first view, as its text is kept with the view.
inline constexpr const char* kPendingViewText = "FIELD -> data <= dData .AND. !FIELD -> evasa";
// Rows and selected rows of holidays (Saturdays are working days).
inline constexpr tk::Color kHolidayRow = tk::rgb(255, 0, 0);

// "Deltranota per " + name without blanks around it + " di " + weekday, day,
// month name and year of the reference date + " - " + shown + " di " + total.
std::string listTitle(const std::string& name, Date reference, uint64_t shown, uint64_t total);

// Lays the list's first view over the selected area (the deadline table on its
// index, scoped to the slot's code): the slot's deadlines not done and dated up
// to reference. Only the slot's keys up to that day are walked to build it; the
// view's scope is the slot's code, as before. Goes to its first record.
void setPendingView(const std::string& slotCode, Date reference);

// Resynchronises the list (control 101) of the window with the selected area:
// when the current record has left the controlling order (a write took it out of
// the view) the pointer moves to the record that followed it, at the end of the
// list to the last row; then the rows are counted and read again and the buttons'
// enabling conditions evaluated.
void resyncList(TDialog& window);

} // namespace dn::app
