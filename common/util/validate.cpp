#include "common/util/validate.h"

#include "common/util/cp1252.h"
#include "common/util/trim.h"

#include <array>
#include <string>

namespace dn {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isLetter(char c) {
    return isUpper(c) || (c >= 'a' && c <= 'z');
}
int code(char c) {
    return static_cast<unsigned char>(c);
}

std::string_view trim(std::string_view s) {
    s = trimRight(s);
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return s;
}

bool isBlank(std::string_view s) {
    return trimRight(s).empty();
}

// Weight of a character at an odd position of a tax code, by its value (A/0 = 0 ... Z = 25).
constexpr std::array<int, 26> kOddWeight = {1,  0,  5, 7, 9, 13, 15, 17, 19, 21, 2,  4,  18,
                                            20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23};

} // namespace

bool ISCOD(std::string_view text) {
    const std::string up = upper1252(text);
    if (trimRight(up).size() != 16)
        return ISIVA(up);
    if (!isUpper(up[11]))
        return false;
    int sum = 0;
    for (int i = 0; i < 15; ++i) {
        const char c = up[i];
        int v;
        if (isUpper(c))
            v = c - 'A';
        else if (isDigit(c))
            v = c - '0';
        else
            return false;
        sum += (i + 1) % 2 == 0 ? v : kOddWeight[v];
    }
    return sum % 26 == code(up[15]) - 'A';
}

bool ISIVA(std::string_view text) {
    const std::string_view t = trimRight(text);
    if (t.size() != 11 || t == "00000000000")
        return false;
    int sum = 0;
    for (int i = 0; i < 10; ++i) {
        if (!isDigit(t[i]))
            return false; // a letter could otherwise pass the check by chance
        const int d = t[i] - '0';
        if ((i + 1) % 2 == 1)
            sum += d;
        else
            sum += 2 * d / 10 + 2 * d % 10;
    }
    return (10 - sum % 10) % 10 == t[10] - '0';
}

bool ISIBAN(std::string_view text) {
    const std::string_view t = trim(text);
    if (t.size() != 27)
        return false;
    // Country and check digits go to the end; letters count as 10 (A) to 35 (Z). The
    // remainder is computed digit by digit, which equals the chunked computation.
    int r = 0;
    for (size_t k = 0; k < 27; ++k) {
        const char c = t[(k + 4) % 27];
        if (isDigit(c)) {
            r = (r * 10 + (c - '0')) % 97;
        } else if (isUpper(c)) {
            const int v = c - 'A' + 10;
            r = (r * 100 + v) % 97;
        } else {
            return false;
        }
    }
    return r == 1;
}

bool ISEMAIL(std::string_view text) {
    const std::string_view t = trimRight(text);
    if (t.find(' ') != std::string_view::npos)
        return false;
    if (!t.empty() && t.back() == '.')
        return false;
    if (text.find('.') == std::string_view::npos)
        return false;
    const size_t at = text.find('@');
    if (at == std::string_view::npos || text.find('@', at + 1) != std::string_view::npos)
        return false;
    if (text.find('.', at) == std::string_view::npos)
        return false;
    for (const char c : text) {
        if (c == ' ' || c == '.' || c == '@' || c == '_' || c == '-' || c == '\'')
            continue;
        if (!isLetter(c) && !isDigit(c))
            return false;
    }
    return true;
}

bool ISNUMBER(std::string_view text) {
    if (isBlank(text))
        return false;
    for (const char c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

bool ISTIME(std::string_view text) {
    if (text.size() != 5 && text.size() != 8)
        return false;
    auto part = [&](size_t pos) {
        const char a = text[pos];
        const char b = text[pos + 1];
        return isDigit(a) && isDigit(b) ? (a - '0') * 10 + (b - '0') : -1;
    };
    const int h = part(0);
    const int m = part(3);
    const int s = text.size() == 8 ? part(6) : 0;
    if (text.find(' ') != std::string_view::npos)
        return false;
    return h >= 0 && h <= 23 && m >= 0 && m <= 59 && s >= 0 && s <= 59;
}

bool LFNFNAME(std::string_view text) {
    const std::string name = upper1252(trim(text));
    if (name.empty() || name.size() > 255) // 255: the longest name Windows accepts
        return false;
    for (const char c : name) {
        if (code(c) < 0x20)
            return false;
        if (std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos)
            return false;
    }
    static constexpr std::string_view kDevices[] = {"NUL",  "CON",  "PRN",  "AUX",  "LPT1", "LPT2",
                                                    "LPT3", "COM1", "COM2", "COM3", "COM4"};
    for (const std::string_view d : kDevices) {
        if (name == d)
            return false;
    }
    return true;
}

} // namespace dn
