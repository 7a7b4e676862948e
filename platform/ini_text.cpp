#include "platform/ini_text.h"

#include "common/util/cp1252.h"

#include <unordered_set>

namespace dn::platform {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upper1252(a[i]) != upper1252(b[i]))
            return false;
    return true;
}

// The section name of a section line.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    const size_t close = line.rfind(']');
    if (close != std::string_view::npos)
        line = line.substr(0, close);
    return trim(line);
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[')
        return std::nullopt;
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    KeyLine k{trim(t.substr(0, eq)), trim(t.substr(eq + 1))};
    if (k.key.empty())
        return std::nullopt;
    return k;
}

bool containsName(const std::vector<std::string>& names, std::string_view name) {
    for (const std::string& n : names)
        if (sameName(n, name))
            return true;
    return false;
}

} // namespace

IniText::IniText(std::string_view bytes) {
    size_t start = 0;
    while (start < bytes.size()) {
        size_t lf = bytes.find('\n', start);
        const size_t next = lf == std::string_view::npos ? bytes.size() : lf + 1;
        if (lf == std::string_view::npos)
            lf = bytes.size();
        std::string_view line = bytes.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines_.emplace_back(line);
        start = next;
    }
}

std::string IniText::bytes() const {
    std::string out;
    for (const std::string& l : lines_) {
        out += l;
        out += "\r\n";
    }
    return out;
}

std::optional<IniText::Range> IniText::findSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const auto name = sectionName(lines_[i]);
        if (!name || !sameName(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines_.size() && !sectionName(lines_[end]))
            ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const {
    const auto range = findSection(section);
    if (!range)
        return std::nullopt;
    for (size_t i = range->header + 1; i < range->end; ++i) {
        const auto k = keyLine(lines_[i]);
        if (k && sameName(k->key, key))
            return std::string(k->value);
    }
    return std::nullopt;
}

std::vector<std::string> IniText::keys(std::string_view section) const {
    std::vector<std::string> out;
    for (auto& [key, value] : entries(section))
        out.push_back(std::move(key));
    return out;
}

std::vector<std::pair<std::string, std::string>> IniText::entries(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> out;
    const auto range = findSection(section);
    if (!range)
        return out;
    std::unordered_set<std::string> seen; // names upper-cased: the first spelling counts
    for (size_t i = range->header + 1; i < range->end; ++i) {
        const auto k = keyLine(lines_[i]);
        if (k && seen.insert(upper1252(k->key)).second)
            out.emplace_back(k->key, k->value);
    }
    return out;
}

std::vector<std::string> IniText::sections() const {
    std::vector<std::string> out;
    for (const std::string& l : lines_) {
        const auto name = sectionName(l);
        if (name && !containsName(out, *name))
            out.emplace_back(*name);
    }
    return out;
}

void IniText::set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view k = trim(key);
    const auto range = findSection(section);
    if (!range) {
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::string(k) + "=" + std::string(value));
        return;
    }
    size_t lastFilled = range->header;
    for (size_t i = range->header + 1; i < range->end; ++i) {
        const auto kl = keyLine(lines_[i]);
        if (kl && sameName(kl->key, k)) {
            lines_[i] = std::string(kl->key) + "=" + std::string(value);
            return;
        }
        if (!trim(lines_[i]).empty())
            lastFilled = i;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastFilled + 1),
                  std::string(k) + "=" + std::string(value));
}

bool IniText::isValidEntry(std::string_view section, std::string_view key, std::string_view value) {
    auto hasBreak = [](std::string_view s) { return s.find_first_of("\r\n") != s.npos; };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value))
        return false;
    const std::string_view k = trim(key);
    return !k.empty() && k.front() != ';' && k.front() != '[' && k.find('=') == k.npos &&
           section.find(']') == section.npos;
}

std::string unquoteProfileValue(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace dn::platform
