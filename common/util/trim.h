#pragma once

// Fixed-width fields and templates pad text with blanks; this takes them off again.

#include <string_view>

namespace dn {

// The text without its trailing blanks (spaces; tabs and other characters stay).
// The result views text: keep what it views alive while the result is used.
constexpr std::string_view trimRight(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// The text without its leading and trailing blanks.
constexpr std::string_view trimBlanks(std::string_view text) {
    text = trimRight(text);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return text;
}

} // namespace dn
