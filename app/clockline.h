#pragma once

// The clock line at the foot of the panel: weekday, date and time.

#include "common/util/date.h"
#include "toolkit/text.h"

#include <string>

namespace dn {
class TDialog;
}

namespace dn::app {

// Colour of the weekday on Sundays and public holidays.
inline constexpr tk::Color kHolidayWeekday = tk::rgb(170, 0, 0);

// " Ven 25/04/25 10:00:00 ": a blank, the first three letters of the weekday, the
// date with a two-digit year, the time, a blank.
std::string clockText(Date day, const std::string& time);

// Where the clock line goes on the panel (client pixels): row = outer height − 56,
// the text centred across the client area (from its left edge when wider).
int clockRow(const TDialog& panel);
int clockColumn(const TDialog& panel, const std::string& text);

// Draws the clock line for now (dn::clock) in the panel's colours and font, the
// weekday again in dark red on Sundays and holidays (Saturdays are not).
void SHOWTIME(TDialog& panel);

} // namespace dn::app
