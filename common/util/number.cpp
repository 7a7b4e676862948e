#include "common/util/number.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace dn {

namespace {

// Formats n with `places` integer digit places and `decimals` (0 or 2) decimals.
std::string formatMasked(double n, int places, int decimals, bool blankZero) {
    const int width = places + (places - 1) / 3 + (decimals > 0 ? decimals + 1 : 0);
    if (blankZero && n == 0)
        return std::string(width, ' ');
    if (!std::isfinite(n))
        return std::string(width, '*');

    // Round on the shortest decimal text of |n|, so that 2.675 shows as 2,68
    // although its binary value is a little less.
    const std::string text = numberText(std::fabs(n));
    const size_t dot = text.find('.');
    std::string intDigits = text.substr(0, dot);
    std::string frac = dot == std::string::npos ? "" : text.substr(dot + 1);
    const bool roundUp = frac.size() > static_cast<size_t>(decimals) && frac[decimals] >= '5';
    frac.resize(decimals, '0');
    std::string digits = intDigits + frac;
    if (roundUp) {
        size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i - 1];
    }
    intDigits = digits.substr(0, digits.size() - decimals);
    frac = digits.substr(digits.size() - decimals);
    const size_t nz = intDigits.find_first_not_of('0');
    intDigits = nz == std::string::npos ? "0" : intDigits.substr(nz);
    if (intDigits.size() > static_cast<size_t>(places))
        return std::string(width, '*');

    std::string out;
    for (size_t i = 0; i < intDigits.size(); ++i) {
        if (i > 0 && (intDigits.size() - i) % 3 == 0)
            out += '.';
        out += intDigits[i];
    }
    if (decimals > 0)
        out += ',' + frac;
    const bool isZero = digits.find_first_not_of('0') == std::string::npos;
    if (n < 0 && !isZero) {
        if (out.size() >= static_cast<size_t>(width))
            return std::string(width, '*');
        out.insert(out.begin(), '-');
    }
    return std::string(width - out.size(), ' ') + out;
}

int integerPlaces(int w) {
    if (w == 20)
        w = 10;
    return w < 1 ? 1 : w > 15 ? 15 : w;
}

int decimalPlaces(int w) {
    return w < 3 ? 1 : w > 17 ? 15 : w - 2;
}

char signChar(double n) {
    return n < 0 ? '-' : ' ';
}

} // namespace

std::string numberText(double n) {
    if (n == 0)
        return "0";
    // Fixed notation of a double needs at most 309 integer digits or 1074 decimals;
    // the shortest round-trip form needs far fewer.
    char buf[1100];
    const auto res = std::to_chars(buf, buf + sizeof buf, n, std::chars_format::fixed);
    if (res.ec != std::errc())
        return "0";
    return std::string(buf, res.ptr);
}

std::string NSTR(double n, int w) {
    return formatMasked(n, integerPlaces(w), 0, false);
}
std::string ZSTR(double n, int w) {
    return formatMasked(n, integerPlaces(w), 0, true);
}

std::string SSTR(double n, int w, bool showZero) {
    return (showZero ? NSTR(std::fabs(n), w) : ZSTR(std::fabs(n), w)) + signChar(n);
}

std::string ENSTR(double n, int w) {
    return formatMasked(n, decimalPlaces(w), 2, false);
}
std::string EZSTR(double n, int w) {
    return formatMasked(n, decimalPlaces(w), 2, true);
}

std::string ESSTR(double n, int w, bool showZero) {
    return (showZero ? ENSTR(std::fabs(n), w) : EZSTR(std::fabs(n), w)) + signChar(n);
}

} // namespace dn
