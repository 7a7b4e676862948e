#include "common/archive/entry_names.h"

#include "common/util/cp1252.h"

#include <vector>

namespace dn::archive {

namespace {

std::vector<std::string> splitParts(std::string_view path) {
    std::vector<std::string> parts(1);
    for (char c : path) {
        if (c == '/' || c == '\\')
            parts.emplace_back();
        else
            parts.back().push_back(c);
    }
    return parts;
}

bool forbiddenChar(unsigned char c) {
    if (c < 0x20 || c == 0x7F)
        return true;
    switch (c) {
    case ':':
    case '<':
    case '>':
    case '"':
    case '|':
    case '?':
    case '*':
        return true;
    default:
        return false;
    }
}

bool deviceName(const std::string& part) {
    const std::string base = upper1252(part.substr(0, part.find('.')));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

} // namespace

std::string_view lastPart(std::string_view path) {
    const size_t sep = path.find_last_of("/\\");
    return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

std::string entryNameOf(const std::string& listed, bool withFolders) {
    if (!withFolders)
        return std::string(lastPart(listed));
    std::string_view rest = listed;
    if (rest.size() >= 2 && rest[1] == ':')
        rest.remove_prefix(2);
    std::string out;
    for (const std::string& p : splitParts(rest)) {
        if (p.empty() || p == "." || p == "..")
            continue;
        if (!out.empty())
            out += '/';
        out += p;
    }
    return out;
}

EntryTarget entryTarget(std::string_view stored, bool withFolders) {
    EntryTarget refused;
    if (stored.empty() || stored.front() == '/' || stored.front() == '\\')
        return refused;
    for (unsigned char c : stored)
        if (forbiddenChar(c))
            return refused;
    const std::vector<std::string> parts = splitParts(stored);
    std::string path;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& p = parts[i];
        const bool last = i + 1 == parts.size();
        if (p == "..")
            return refused;
        if (p.empty() || p == ".") {
            if (last && p == ".")
                return refused;
            continue;
        }
        if (p.back() == '.' || p.back() == ' ' || deviceName(p))
            return refused;
        if (!path.empty())
            path += '/';
        path += p;
    }
    if (parts.back().empty()) {
        // A folder entry: "name/".
        EntryTarget folder;
        folder.kind = EntryTarget::Folder;
        folder.path = withFolders ? path : std::string();
        return folder;
    }
    EntryTarget t;
    t.kind = EntryTarget::File;
    t.path = withFolders ? path : parts.back();
    return t;
}

} // namespace dn::archive
