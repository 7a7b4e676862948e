#include "common/util/scramble.h"

#include "common/util/number.h"

#include <cmath>
#include <cstdio>

namespace dn {

std::string CRYPT(std::string_view text) {
    if (text.find_first_not_of(' ') == std::string_view::npos)
        return std::string(text);
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ 0x80);
    return out;
}

std::string CRYPT(const std::string& text) {
    return CRYPT(std::string_view(text));
}
std::string CRYPT(const char* text) {
    return CRYPT(std::string_view(text ? text : ""));
}

double CRYPT(double n) {
    if (n == 0 || !std::isfinite(n))
        return n;
    const double k = static_cast<double>(numberText(n).size());
    const double r = (std::pow(10.0, k) - 1) - n;
    return std::isfinite(r) ? r : n;
}

Value CRYPT(const Value& v) {
    if (v.isText())
        return Value(CRYPT(std::string_view(v.text())));
    if (v.isNumber())
        return Value(CRYPT(v.number()));
    return v;
}

std::string base64Encode(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2)
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string FILEENCODE(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos)
        return std::string();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::string();
    std::string bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    const bool failed = std::ferror(f) != 0; // e.g. a folder opens but cannot be read
    std::fclose(f);
    return failed ? std::string() : base64Encode(bytes);
}

} // namespace dn
