#include "common/util/date.h"

#include <cstdio>

namespace dn {

namespace {

// Days from 01/01/0001 (day 1) using the usual civil-from-days algorithm on a
// calendar whose year starts in March.
int32_t toSerial(int y, int m, int d) {
    y -= m <= 2;
    const int era = y / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 305; // 01/01/0001 -> 1
}

void fromSerialYmd(int32_t s, int& y, int& m, int& d) {
    const int32_t z = s + 305;
    const int era = z / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yoe + era * 400 + (m <= 2);
}

const int32_t kMaxSerial = toSerial(9999, 12, 31);

// Reads an unsigned decimal of 1..maxDigits digits at text[pos]; -1 when there is none.
int readNumber(std::string_view text, size_t& pos, size_t maxDigits) {
    size_t start = pos;
    int v = 0;
    while (pos < text.size() && pos - start < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
        v = v * 10 + (text[pos] - '0');
        ++pos;
    }
    return pos == start ? -1 : v;
}

} // namespace

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12)
        return 0;
    return m == 2 && isLeapYear(y) ? 29 : days[m - 1];
}

Date Date::fromYmd(int y, int m, int d) {
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m))
        return Date();
    return Date(toSerial(y, m, d));
}

Date Date::fromSerial(int32_t serial) {
    return serial < 1 || serial > kMaxSerial ? Date() : Date(serial);
}

Date Date::fromText(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    const int d = readNumber(text, pos, 2);
    if (d < 0 || pos >= text.size() || (text[pos] != '/' && text[pos] != '-' && text[pos] != '.'))
        return Date();
    ++pos;
    const int m = readNumber(text, pos, 2);
    if (m < 0 || pos >= text.size() || (text[pos] != '/' && text[pos] != '-' && text[pos] != '.'))
        return Date();
    ++pos;
    const size_t ystart = pos;
    int y = readNumber(text, pos, 4);
    if (y < 0)
        return Date();
    const size_t ydigits = pos - ystart;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (pos != text.size())
        return Date();
    if (ydigits <= 2)
        y += y < 80 ? 2000 : 1900; // two-digit years: 1980 to 2079
    else if (ydigits != 4)
        return Date();
    return fromYmd(y, m, d);
}

Date Date::fromDtos(std::string_view text) {
    if (text.size() != 8)
        return Date();
    int v[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < widths[i]; ++k, ++pos) {
            const char c = text[pos];
            if (c < '0' || c > '9')
                return Date();
            v[i] = v[i] * 10 + (c - '0');
        }
    }
    return fromYmd(v[0], v[1], v[2]);
}

int Date::year() const {
    if (isEmpty())
        return 0;
    int y, m, d;
    fromSerialYmd(serial_, y, m, d);
    return y;
}

int Date::month() const {
    if (isEmpty())
        return 0;
    int y, m, d;
    fromSerialYmd(serial_, y, m, d);
    return m;
}

int Date::day() const {
    if (isEmpty())
        return 0;
    int y, m, d;
    fromSerialYmd(serial_, y, m, d);
    return d;
}

int Date::dow() const {
    if (isEmpty())
        return 0;
    // 01/01/0001 was a Monday (dow 2).
    return static_cast<int>((serial_ % 7 + 7) % 7) + 1;
}

Date Date::addDays(int n) const {
    if (isEmpty())
        return Date();
    return fromSerial(serial_ + n);
}

Date Date::addMonths(int n) const {
    if (isEmpty())
        return Date();
    int y, m, d;
    fromSerialYmd(serial_, y, m, d);
    const long long total = static_cast<long long>(y) * 12 + (m - 1) + n;
    if (total < 12 || total >= 10000LL * 12)
        return Date();
    y = static_cast<int>(total / 12);
    m = static_cast<int>(total % 12) + 1;
    if (d > daysInMonth(y, m))
        d = daysInMonth(y, m);
    return fromYmd(y, m, d);
}

namespace {

// "dd/mm/yy" or "dd/mm/yyyy" of a date that is not empty, without printf (lists and
// exports write many).
std::string dayMonthYear(int32_t serial, int yearDigits) {
    int y, m, d;
    fromSerialYmd(serial, y, m, d);
    std::string out(6 + static_cast<size_t>(yearDigits), '/');
    out[0] = static_cast<char>('0' + d / 10);
    out[1] = static_cast<char>('0' + d % 10);
    out[3] = static_cast<char>('0' + m / 10);
    out[4] = static_cast<char>('0' + m % 10);
    for (int i = yearDigits - 1, v = y; i >= 0; --i, v /= 10)
        out[6 + static_cast<size_t>(i)] = static_cast<char>('0' + v % 10);
    return out;
}

} // namespace

std::string Date::toText() const {
    if (isEmpty())
        return "  /  /    ";
    return dayMonthYear(serial_, 4);
}

std::string Date::toShortText() const {
    if (isEmpty())
        return "  /  /  ";
    return dayMonthYear(serial_, 2);
}

std::string Date::dtos() const {
    if (isEmpty())
        return "        ";
    int y, m, d;
    fromSerialYmd(serial_, y, m, d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

} // namespace dn
