#include "common/util/wildexp.h"

#include "common/util/cp1252.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace dn {

namespace {

// "*" and "?" matching with one backtrack point: no recursion, and linear on the
// patterns people write.
bool globMatch(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || upper1252(pattern[p]) == upper1252(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool wildMatch(std::string_view pattern, std::string_view name) {
    if (globMatch(pattern, name))
        return true;
    // As on Windows, "x.*" also matches "x".
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
           name.find('.') == std::string_view::npos &&
           globMatch(pattern.substr(0, pattern.size() - 2), name);
}

std::vector<std::string> WILDEXP(const std::vector<std::string>& patterns) {
    std::vector<std::string> out;
    for (const std::string& pattern : patterns) {
        const size_t slash = pattern.find_last_of("/\\");
        std::string folder = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
#ifndef _WIN32
        std::replace(folder.begin(), folder.end(), '\\', '/');
#endif
        const std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
        if (mask.empty() || mask.find('\0') != std::string::npos ||
            folder.find('\0') != std::string::npos)
            continue;
        std::vector<std::string> names;
        std::error_code ec;
        fs::directory_iterator it(fs::path(folder), ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::error_code typeEc;
            if (it->is_directory(typeEc))
                continue;
            std::string name = it->path().filename().string();
            if (wildMatch(mask, name))
                names.push_back(std::move(name));
        }
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            const std::string ua = upper1252(a), ub = upper1252(b);
            return ua != ub ? ua < ub : a < b;
        });
        out.insert(out.end(), names.begin(), names.end());
    }
    return out;
}

} // namespace dn
