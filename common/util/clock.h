#pragma once

#include "common/util/date.h"

namespace dn::clock {

// The wall-clock moment as the program sees it: a date and the milliseconds
// since that day's midnight (local time).
struct Moment {
    Date date;
    int msecs = 0;
};

// Every "today" and "now" of the program comes from here. By default the system's
// local time; tests fix it with setFixed and move it with advance.
Moment now();
Date today();
// "HH:MM:SS" of now().
std::string timeText();

// Fixes the clock at date d, msecs after midnight; it stays there until advanced.
void setFixed(Date d, int msecs = 0);
// Moves a fixed clock forward (days roll over at midnight). No effect on the system clock.
void advance(int msecs);
// Back to the system's local time.
void useSystem();
bool isFixed();

} // namespace dn::clock
