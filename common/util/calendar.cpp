#include "common/util/calendar.h"

namespace dn {

Date EASTER(Date d) {
    return d.isEmpty() ? Date() : EASTER(d.year());
}

Date EASTER(int y) {
    if (y < 1 || y > 9999)
        return Date();
    const int a = y % 19;
    const int b = y / 100;
    const int c = y % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int n = h + l - 7 * m + 114;
    return Date::fromYmd(y, n / 31, n % 31 + 1);
}

bool ISFEST(Date d, bool saturdayIsHoliday) {
    if (d.isEmpty())
        return false;
    struct DayMonth {
        int day, month;
    };
    static constexpr DayMonth kFixed[] = {{1, 1},  {6, 1},  {25, 4}, {1, 5},   {2, 6},
                                          {15, 8}, {1, 11}, {8, 12}, {25, 12}, {26, 12}};
    const int day = d.day();
    const int month = d.month();
    for (const DayMonth& f : kFixed) {
        if (f.day == day && f.month == month)
            return true;
    }
    if (d == EASTER(d).addDays(1))
        return true;
    const int dow = d.dow();
    return dow == 1 || (saturdayIsHoliday && dow == 7);
}

std::string CDAY(Date d) {
    static const char* const kDays[] = {"Domenica",   "Luned\xEC",  "Marted\xEC", "Mercoled\xEC",
                                        "Gioved\xEC", "Venerd\xEC", "Sabato"};
    const int dow = d.dow();
    return dow >= 1 && dow <= 7 ? kDays[dow - 1] : "";
}

std::string CMNT(Date d) {
    return CMNT(d.month()).value_or("");
}

std::optional<std::string> CMNT(int month) {
    static const char* const kMonths[] = {"Gennaio",   "Febbraio", "Marzo",    "Aprile",
                                          "Maggio",    "Giugno",   "Luglio",   "Agosto",
                                          "Settembre", "Ottobre",  "Novembre", "Dicembre"};
    if (month == 0)
        return std::string();
    if (month < 1 || month > 12)
        return std::nullopt;
    return kMonths[month - 1];
}

int MDAYS(Date d) {
    return d.isEmpty() ? 0 : daysInMonth(d.year(), d.month());
}

} // namespace dn
