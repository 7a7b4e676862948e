#pragma once

#include "common/util/date.h"

#include <optional>
#include <string>

namespace dn {

// Easter Sunday of the date's year, or of year y (Gregorian computus). The empty
// date, or a year outside 1-9999, gives the empty date.
Date EASTER(Date d);
Date EASTER(int y);

// True for the Italian public holidays (1/1, 6/1, Easter Monday, 25/4, 1/5, 2/6,
// 15/8, 1/11, 8/12, 25/12, 26/12), for every Sunday and, when saturdayIsHoliday,
// for every Saturday. False for the empty date.
bool ISFEST(Date d, bool saturdayIsHoliday = true);

// Italian weekday name ("Domenica" ... "Sabato", Windows-1252); "" for the empty date.
std::string CDAY(Date d);
// Italian month name ("Gennaio" ... "Dicembre"); "" for the empty date.
std::string CMNT(Date d);
// The same by month number; "" for 0 and nothing for a number outside 0-12.
std::optional<std::string> CMNT(int month);

// Days in the date's month (28-31); 0 for the empty date.
int MDAYS(Date d);

} // namespace dn
