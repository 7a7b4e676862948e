#pragma once

#include "common/util/date.h"

#include <cstdint>
#include <string>

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
// "HH:MM:SS" of a moment.
std::string timeText(const Moment& m);
// The local date and time of a moment given in seconds (and nanoseconds) since
// 1970 UTC, such as a file's modification time. Reads the system's time zone once,
// not at every call.
Moment localMoment(int64_t unixSeconds, int nanoseconds = 0);

// Fixes the clock at date d, msecs after midnight; it stays there until advanced.
void setFixed(Date d, int msecs = 0);
// Moves a fixed clock forward (days roll over at midnight). No effect on the system clock.
void advance(int msecs);
// Back to the system's local time.
void useSystem();
bool isFixed();

} // namespace dn::clock
