#pragma once

// The date picker: a one-month calendar in a modal dialog (template "CALENDAR")
// where one click on a day picks it. The grid shows 42 consecutive days from the
// Sunday on or before the first of the shown month; the month and year lists
// change the shown month.

#include "common/util/date.h"
#include "toolkit/text.h"

#include <optional>

namespace dn {
class TWindow;
}

namespace dn::ui {

// Unbound: starts on today's month. Returns the picked date, or nothing when the
// dialog closed without a pick.
std::optional<Date> CALENDAR();
// Starts on date (today when it is empty). Returns the picked date, or the start
// date when the dialog closed without a pick.
std::optional<Date> CALENDAR(Date start);
// Bound to a control holding a date: a TGet (its value) or any other control
// whose text reads as "dd/mm/yyyy". A pick is written into the control (a TGet
// gets the date, any other control the text "dd/mm/yyyy") and marks the dialog
// that owns it modified; the control gets the focus back when the picker closes.
// Returns the picked date, or the start date when the dialog closed without a
// pick. The start date is the control's date, or today when it holds none.
std::optional<Date> CALENDAR(TWindow& target);

// Colours of the day cells (0x00BBGGRR).
inline constexpr tk::Color kCalHolidayText = tk::rgb(255, 0, 0);
inline constexpr tk::Color kCalTodayPane = tk::rgb(255, 168, 81);
inline constexpr tk::Color kCalStartPane = tk::rgb(119, 168, 249);
inline constexpr tk::Color kCalOtherMonthText = tk::rgb(170, 170, 170);

// The years the year list offers.
inline constexpr int kCalFirstYear = 1980;
inline constexpr int kCalLastYear = 2079;

} // namespace dn::ui
