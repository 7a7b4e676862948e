#include "toolkit/picture.h"

#include "common/util/cp1252.h"
#include "common/util/date.h"
#include "common/util/trim.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace dn::tk {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(char c) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z'))
        return true;
    if (u >= 0xC0 && u != 0xD7 && u != 0xF7)
        return true;
    return u == 0x8A || u == 0x8C || u == 0x8E || u == 0x9A || u == 0x9C || u == 0x9E || u == 0x9F;
}

bool isPrintable(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u != 0x7F;
}

bool isSlotChar(FieldType t, char c) {
    if (t == FieldType::Date)
        return c == '9';
    return c == '9' || c == '#' || c == 'A' || c == 'N' || c == 'X' || c == '!' || c == 'L' ||
           c == 'Y' || c == 'a' || c == 'n' || c == 'x' || c == 'l' || c == 'y';
}

std::string trimBoth(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && s[a] == ' ')
        ++a;
    while (b > a && s[b - 1] == ' ')
        --b;
    return std::string(s.substr(a, b - a));
}

bool allDigits(const std::string& s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (!isDigit(c))
            return false;
    return true;
}

} // namespace

FieldType fieldTypeOf(const Value& v) {
    if (v.isNumber())
        return FieldType::Number;
    if (v.isDate())
        return FieldType::Date;
    if (v.isLogical())
        return FieldType::Logical;
    return FieldType::Text;
}

Picture::Picture(std::string_view mask, FieldType type, int textWidth) : mask_(mask), type_(type) {
    std::string_view t = mask;
    if (!t.empty() && t[0] == '@') {
        const size_t sp = t.find(' ');
        const std::string_view fn = t.substr(1, sp == std::string_view::npos ? t.npos : sp - 1);
        t = sp == std::string_view::npos ? std::string_view() : t.substr(sp + 1);
        for (char c : fn) {
            switch (upper1252(c)) {
            case '!':
                upper_ = true;
                break;
            case '9':
                digits_ = true;
                break;
            case 'E':
                european_ = true;
                break;
            case 'R':
                raw_ = true;
                break;
            default:
                break; // other functions change nothing here
            }
        }
    }
    tmpl_ = std::string(t);
    switch (type_) {
    case FieldType::Date:
        tmpl_ = "99/99/9999";
        positional_ = true;
        break;
    case FieldType::Logical:
        if (tmpl_.empty())
            tmpl_ = "L";
        positional_ = true;
        break;
    case FieldType::Number: {
        if (tmpl_.empty())
            tmpl_ = "9999999999";
        const size_t point = tmpl_.find('.');
        for (size_t i = 0; i < tmpl_.size(); ++i) {
            const bool digit = tmpl_[i] == '9' || tmpl_[i] == '#';
            if (digit && (point == std::string::npos || i < point))
                ++intSlots_;
            else if (digit)
                ++decimals_;
        }
        break;
    }
    case FieldType::Text:
        positional_ = !tmpl_.empty();
        break;
    }
    width_ = positional_ || type_ == FieldType::Number ? static_cast<int>(tmpl_.size()) : textWidth;
}

bool Picture::isSlot(int pos) const {
    return positional_ && pos >= 0 && pos < static_cast<int>(tmpl_.size()) &&
           isSlotChar(type_, tmpl_[static_cast<size_t>(pos)]);
}

std::optional<char> Picture::accept(int pos, char c) const {
    if (!isPrintable(c))
        return std::nullopt;
    if (type_ == FieldType::Number) {
        if (isDigit(c) || c == '-' || c == ' ' || (decimals_ > 0 && c == decimalChar()))
            return c;
        return std::nullopt;
    }
    if (!positional_) {
        if (digits_ && !isDigit(c))
            return std::nullopt;
        return upper_ ? upper1252(c) : c;
    }
    if (!isSlot(pos))
        return std::nullopt;
    const char t = upper1252(tmpl_[static_cast<size_t>(pos)]);
    char out = c;
    switch (t) {
    case '9':
        if (!isDigit(c))
            return std::nullopt;
        break;
    case '#':
        if (!isDigit(c) && c != ' ' && c != '+' && c != '-')
            return std::nullopt;
        break;
    case 'A':
        if (!isLetter(c))
            return std::nullopt;
        break;
    case 'N':
        if (!isLetter(c) && !isDigit(c))
            return std::nullopt;
        break;
    case '!':
        out = upper1252(c);
        break;
    case 'L': {
        const char u = upper1252(c);
        if (u != 'T' && u != 'F' && u != 'Y' && u != 'N' && u != 'S')
            return std::nullopt;
        out = u;
        break;
    }
    case 'Y': {
        const char u = upper1252(c);
        if (u != 'Y' && u != 'N' && u != 'S')
            return std::nullopt;
        out = u;
        break;
    }
    default:
        break; // 'X': anything printable
    }
    if (digits_ && !isDigit(out))
        return std::nullopt;
    return upper_ ? upper1252(out) : out;
}

std::string Picture::blank() const {
    std::string out = tmpl_;
    for (size_t i = 0; i < out.size(); ++i)
        if (isSlot(static_cast<int>(i)))
            out[i] = ' ';
    return out;
}

std::string Picture::format(const Value& v) const {
    switch (type_) {
    case FieldType::Date:
        return v.isDate() ? v.date().toText() : blank();
    case FieldType::Logical: {
        std::string out = blank();
        const bool yes = v.isLogical() && v.logical();
        const char t = upper1252(tmpl_.empty() ? 'L' : tmpl_[0]);
        if (!out.empty())
            out[0] = t == 'Y' ? (yes ? 'Y' : 'N') : (yes ? 'T' : 'F');
        return out;
    }
    case FieldType::Text: {
        const std::string s = v.isText() ? v.text() : std::string();
        if (!positional_)
            return upper_ ? upper1252(trimRight(s)) : std::string(trimRight(s));
        std::string out = blank();
        size_t j = 0;
        for (size_t i = 0; i < out.size(); ++i) {
            if (!isSlot(static_cast<int>(i)))
                continue;
            const size_t from = raw_ ? j++ : i;
            char c = from < s.size() ? s[from] : ' ';
            if (upper_ || tmpl_[i] == '!')
                c = upper1252(c);
            out[i] = c;
        }
        return out;
    }
    case FieldType::Number:
        break;
    }
    double n = v.isNumber() ? v.number() : 0.0;
    if (!std::isfinite(n))
        return std::string(tmpl_.size(), '*');
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals_, std::fabs(n));
    const std::string digits = buf;
    const size_t dot = digits.find('.');
    const std::string intDigits = digits.substr(0, dot);
    const std::string decDigits = dot == std::string::npos ? "" : digits.substr(dot + 1);
    const bool neg = n < 0 && digits.find_first_not_of("0.") != std::string::npos;
    if (static_cast<int>(intDigits.size()) + (neg ? 1 : 0) > intSlots_)
        return std::string(tmpl_.size(), '*');
    std::string out = tmpl_;
    const size_t point = tmpl_.find('.');
    const int intEnd =
        point == std::string::npos ? static_cast<int>(tmpl_.size()) : static_cast<int>(point);
    int di = static_cast<int>(intDigits.size()) - 1;
    bool signPlaced = !neg;
    for (int pos = intEnd - 1; pos >= 0; --pos) {
        const char t = tmpl_[static_cast<size_t>(pos)];
        char& o = out[static_cast<size_t>(pos)];
        if (t == '9' || t == '#') {
            if (di >= 0) {
                o = intDigits[static_cast<size_t>(di--)];
            } else if (!signPlaced) {
                o = '-';
                signPlaced = true;
            } else {
                o = ' ';
            }
        } else if (t == ',') {
            if (di >= 0) {
                o = thousandsChar();
            } else if (!signPlaced) {
                o = '-';
                signPlaced = true;
            } else {
                o = ' ';
            }
        }
    }
    if (point != std::string::npos) {
        out[point] = decimalChar();
        size_t j = 0;
        for (size_t pos = point + 1; pos < out.size(); ++pos)
            if (tmpl_[pos] == '9' || tmpl_[pos] == '#')
                out[pos] = j < decDigits.size() ? decDigits[j++] : '0';
    }
    return trimBoth(out);
}

std::optional<Value> Picture::parse(std::string_view text) const {
    switch (type_) {
    case FieldType::Date: {
        if (text.find_first_not_of(" /") == std::string_view::npos)
            return Value(Date());
        std::string parts[3];
        int k = 0;
        for (char c : text) {
            if (c == '/') {
                if (++k > 2)
                    return std::nullopt;
            } else {
                parts[k].push_back(c);
            }
        }
        if (k != 2)
            return std::nullopt;
        for (auto& p : parts)
            p = trimBoth(p);
        if (!allDigits(parts[0]) || !allDigits(parts[1]) || !allDigits(parts[2]) ||
            parts[0].size() > 2 || parts[1].size() > 2)
            return std::nullopt;
        int y = std::stoi(parts[2]);
        if (parts[2].size() == 2)
            y += y >= 80 ? 1900 : 2000;
        else if (parts[2].size() != 4)
            return std::nullopt;
        const Date d = Date::fromYmd(y, std::stoi(parts[1]), std::stoi(parts[0]));
        if (d.isEmpty())
            return std::nullopt;
        return Value(d);
    }
    case FieldType::Logical: {
        const std::string t = trimBoth(text);
        if (t.empty())
            return Value(false);
        const char u = upper1252(t[0]);
        if (u == 'T' || u == 'Y' || u == 'S')
            return Value(true);
        if (u == 'F' || u == 'N')
            return Value(false);
        return std::nullopt;
    }
    case FieldType::Text: {
        std::string s(text);
        if (positional_) {
            s.resize(tmpl_.size(), ' ');
            if (raw_) {
                std::string r;
                for (size_t i = 0; i < s.size(); ++i)
                    if (isSlot(static_cast<int>(i)))
                        r.push_back(s[i]);
                s = r;
            }
        } else if (width_ > 0 && static_cast<int>(s.size()) < width_) {
            s.resize(static_cast<size_t>(width_), ' ');
        }
        return Value(s);
    }
    case FieldType::Number:
        break;
    }
    std::string s;
    for (char c : text)
        if (c != ' ' && c != thousandsChar())
            s.push_back(c);
    if (s.empty())
        return Value(0.0);
    const bool neg = s[0] == '-';
    if (neg)
        s.erase(0, 1);
    const size_t dp = s.find(decimalChar());
    std::string ip = s.substr(0, dp);
    std::string fp = dp == std::string::npos ? "" : s.substr(dp + 1);
    if ((ip.empty() && fp.empty()) || (!ip.empty() && !allDigits(ip)) ||
        (!fp.empty() && !allDigits(fp)) || static_cast<int>(fp.size()) > decimals_)
        return std::nullopt;
    double n = std::stod((ip.empty() ? "0" : ip) + (fp.empty() ? "" : "." + fp));
    if (neg)
        n = -n;
    if (format(Value(n)).find('*') != std::string::npos)
        return std::nullopt;
    return Value(n);
}

bool Picture::acceptsNumberText(std::string_view text) const {
    if (static_cast<int>(text.size()) > width_)
        return false;
    bool seenNonBlank = false;
    bool seenPoint = false;
    int decimals = 0;
    for (char c : text) {
        if (c == ' ')
            continue;
        if (c == '-') {
            if (seenNonBlank)
                return false;
        } else if (decimals_ > 0 && c == decimalChar()) {
            if (seenPoint)
                return false;
            seenPoint = true;
        } else if (isDigit(c)) {
            if (seenPoint && ++decimals > decimals_)
                return false;
        } else {
            return false;
        }
        seenNonBlank = true;
    }
    return true;
}

bool Picture::badDate(std::string_view text) const {
    return type_ == FieldType::Date && !parse(text);
}

bool Picture::badNumber(std::string_view text) const {
    return type_ == FieldType::Number && !parse(text);
}

namespace {

void fit(const Picture& pic, std::string& text) {
    const std::string b = pic.blank();
    if (text.size() < b.size())
        text += b.substr(text.size());
    else if (text.size() > b.size())
        text.resize(b.size());
}

// The first slot at or after pos; the text's width when there is none.
int slotFrom(const Picture& pic, int pos, int width) {
    pos = std::max(0, pos);
    while (pos < width && !pic.isSlot(pos))
        ++pos;
    return pos;
}

} // namespace

bool typeAt(const Picture& pic, std::string& text, int& cursor, char c) {
    fit(pic, text);
    const int width = static_cast<int>(text.size());
    const int pos = slotFrom(pic, cursor, width);
    if (pos >= width)
        return false;
    const auto a = pic.accept(pos, c);
    if (!a)
        return false;
    text[static_cast<size_t>(pos)] = *a;
    cursor = slotFrom(pic, pos + 1, width);
    return true;
}

bool backspaceAt(const Picture& pic, std::string& text, int& cursor) {
    fit(pic, text);
    int pos = std::min(cursor, static_cast<int>(text.size())) - 1;
    while (pos >= 0 && !pic.isSlot(pos))
        --pos;
    if (pos < 0)
        return false;
    text[static_cast<size_t>(pos)] = ' ';
    cursor = pos;
    return true;
}

bool deleteAt(const Picture& pic, std::string& text, int cursor) {
    fit(pic, text);
    const int width = static_cast<int>(text.size());
    const int pos = slotFrom(pic, cursor, width);
    if (pos >= width)
        return false;
    text[static_cast<size_t>(pos)] = ' ';
    return true;
}

void clearRange(const Picture& pic, std::string& text, int from, int to) {
    fit(pic, text);
    for (int i = std::max(0, from); i < std::min(to, static_cast<int>(text.size())); ++i)
        if (pic.isSlot(i))
            text[static_cast<size_t>(i)] = ' ';
}

} // namespace dn::tk
