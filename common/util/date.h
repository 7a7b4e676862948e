#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace dn {

// A calendar date, or the empty date. Proleptic Gregorian calendar, years 1 to 9999.
// Ordered: the empty date sorts before every real date.
class Date {
public:
    Date() = default;

    // The date y-m-d, or the empty date when it does not exist.
    static Date fromYmd(int y, int m, int d);
    // "dd/mm/yyyy" or "dd/mm/yy" (two-digit years read as 1980 to 2079); any of
    // "/", "-", "." separates. Blank or malformed text gives the empty date.
    static Date fromText(std::string_view text);
    // "YYYYMMDD" as stored in a date field; blanks or a malformed text give the empty date.
    static Date fromDtos(std::string_view text);
    // Day number as counted by fromSerial (1 = 01/01/0001); 0 is the empty date.
    static Date fromSerial(int32_t serial);

    bool isEmpty() const { return serial_ == 0; }
    int32_t serial() const { return serial_; }
    int year() const;
    int month() const;
    int day() const;
    // 1 = Sunday ... 7 = Saturday; 0 for the empty date.
    int dow() const;

    // The empty date stays empty. A result outside years 1 to 9999 is empty.
    Date addDays(int n) const;
    // Same day n calendar months later (or earlier); a day past the end of the
    // target month becomes its last day (31/01 + 1 month = 28/02 or 29/02).
    Date addMonths(int n) const;
    // Days from other to this date.
    int operator-(Date other) const { return serial_ - other.serial_; }

    // "dd/mm/yyyy"; the empty date gives "  /  /    ".
    std::string toText() const;
    // "dd/mm/yy"; the empty date gives "  /  /  ".
    std::string toShortText() const;
    // "YYYYMMDD"; the empty date gives eight blanks.
    std::string dtos() const;

    auto operator<=>(const Date&) const = default;

private:
    explicit Date(int32_t serial) : serial_(serial) {}
    int32_t serial_ = 0;
};

// Days in month m of year y (0 for a month outside 1..12).
int daysInMonth(int y, int m);
bool isLeapYear(int y);

} // namespace dn
