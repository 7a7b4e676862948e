#include "common/util/cp1252.h"

#include <cstdint>
#include <cstring>

namespace dn {

namespace {

// Code points of bytes 0x80-0x9F; the undefined bytes keep their own value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        // Every cp1252 code point lies in the Basic Multilingual Plane.
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 character at text[pos]; advances pos. Returns nothing for a
// malformed sequence (overlong, surrogate, above U+10FFFF, truncated), after
// advancing past its first byte only, so the following bytes are looked at again.
std::optional<char32_t> decodeUtf8(std::string_view text, size_t& pos) {
    const auto b0 = static_cast<unsigned char>(text[pos]);
    ++pos;
    if (b0 < 0x80)
        return b0;
    int extra;
    char32_t c;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1, c = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2, c = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3, c = b0 & 0x07, min = 0x10000;
    } else {
        return std::nullopt;
    }
    size_t p = pos;
    for (int i = 0; i < extra; ++i, ++p) {
        if (p >= text.size())
            return std::nullopt;
        const auto b = static_cast<unsigned char>(text[p]);
        if ((b & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    pos = p;
    return c;
}

} // namespace

char32_t cp1252ToUnicode(unsigned char b) {
    return b >= 0x80 && b <= 0x9F ? kHigh[b - 0x80] : b;
}

std::optional<unsigned char> unicodeToCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<unsigned char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == c)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

void appendCp1252AsUtf8(std::string& out, std::string_view text) {
    // ASCII runs are copied whole; they are found eight bytes at a time.
    size_t from = 0, i = 0;
    while (i < text.size()) {
        if (i + 8 <= text.size()) {
            uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0x80) {
            out.append(text.data() + from, i - from);
            appendUtf8(out, cp1252ToUnicode(b));
            from = i + 1;
        }
        ++i;
    }
    out.append(text.data() + from, text.size() - from);
}

std::string cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    appendCp1252AsUtf8(out, text);
    return out;
}

std::string utf8ToCp1252(std::string_view utf8, char replacement) {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const auto c = decodeUtf8(utf8, pos);
        const auto b = c ? unicodeToCp1252(*c) : std::nullopt;
        out += b ? static_cast<char>(*b) : replacement;
    }
    return out;
}

char upper1252(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
        return static_cast<char>(b - 0x20);
    switch (b) {
    case 0x9A: // š
    case 0x9C: // œ
    case 0x9E: // ž
        return static_cast<char>(b - 0x10);
    case 0xFF: // ÿ
        return static_cast<char>(0x9F);
    default:
        return c;
    }
}

char lower1252(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7))
        return static_cast<char>(b + 0x20);
    switch (b) {
    case 0x8A: // Š
    case 0x8C: // Œ
    case 0x8E: // Ž
        return static_cast<char>(b + 0x10);
    case 0x9F: // Ÿ
        return static_cast<char>(0xFF);
    default:
        return c;
    }
}

std::string upper1252(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = upper1252(c);
    return out;
}

std::string lower1252(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = lower1252(c);
    return out;
}

} // namespace dn
