#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dn::platform {

// The text of a profile (INI) file, read and edited line by line so that every
// line that is not changed stays byte for byte as it was.
//
// A line whose first non-blank character is "[" starts a section (the name runs
// to the last "]"); a line that starts with ";" is a comment; a line with "=" is
// a key (name before the first "=", value after it, blanks around both ignored);
// anything else is kept but means nothing. Lines before the first section belong
// to none. Names match without regard to Windows-1252 letter case; when a section
// or key occurs twice, the first one counts.
class IniText {
public:
    IniText() = default;
    // Splits bytes into lines at LF, dropping the CR of a CR LF (and a CR that
    // ends the text).
    explicit IniText(std::string_view bytes);

    // The file's bytes, every line ended by CR LF.
    std::string bytes() const;

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Key names of the section in order, each once; empty when it is missing.
    std::vector<std::string> keys(std::string_view section) const;
    // Each key of the section once, in order, with its value (blanks around it
    // removed, as value() gives it); in one pass, however many keys there are.
    std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;
    // Section names in order, each once.
    std::vector<std::string> sections() const;

    // Replaces the key's line where it stands, or adds key=value after the last
    // non-blank line of the section, or adds the section at the end of the text.
    // REQUIRES: isValidEntry(section, key, value).
    void set(std::string_view section, std::string_view key, std::string_view value);

    // False for names and values that would break the file's structure: a line
    // break anywhere, an empty key, "=" in a key or "]" in a section name.
    static bool isValidEntry(std::string_view section, std::string_view key,
                             std::string_view value);

private:
    struct Range {
        size_t header; // index of the section line
        size_t end;    // one past its last line
    };
    std::optional<Range> findSection(std::string_view section) const;

    std::vector<std::string> lines_;
};

// value with one pair of matching quotes (" or ') around it removed.
std::string unquoteProfileValue(std::string value);

} // namespace dn::platform
