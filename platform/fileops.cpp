#include "platform/fileops.h"

#include "platform/file.h"

#include <algorithm>

namespace dn::platform {

namespace {

// Attribute bits that may be handed back to SETFILEATTRIBUTES.
constexpr uint32_t kSettable = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive |
                               0x100 /* temporary */ | 0x1000 /* offline */ |
                               0x2000 /* not indexed */;

bool changeAttribute(const std::string& path, uint32_t bit, bool set) {
    const int64_t attr = GETFILEATTRIBUTES(path);
    if (attr < 0)
        return false;
    const uint32_t bits = static_cast<uint32_t>(attr);
    if (bool(bits & bit) == set)
        return true;
    uint32_t next = set ? (bits | bit) : (bits & ~bit);
    next &= kSettable;
    return SETFILEATTRIBUTES(path, next == 0 ? kAttrNormal : next);
}

} // namespace

bool CLEARREADONLY(const std::string& path) {
    return changeAttribute(path, kAttrReadOnly, false);
}
bool CLEARHIDDEN(const std::string& path) {
    return changeAttribute(path, kAttrHidden, false);
}
bool SETHIDDEN(const std::string& path) {
    return changeAttribute(path, kAttrHidden, true);
}

std::string FULLPATH(const std::string& file) {
    const std::string full = FULLNAME(file);
    const size_t sep = full.find_last_of(kPathSep == '/' ? "/" : "\\/");
    if (sep == std::string::npos)
        return full;
#ifdef _WIN32
    // Only the drive left: keep its root separator.
    if (sep == 2 && full[1] == ':')
        return full.substr(0, 3);
#else
    if (sep == 0)
        return full.substr(0, 1);
#endif
    return full.substr(0, sep);
}

std::optional<std::string> FREADLINE(const File& f, uint64_t& pos, size_t max) {
    max = std::max<size_t>(max, 1);
    std::string buf(max, '\0');
    const size_t n = f.readAt(pos, buf.data(), max);
    if (n == 0)
        return std::nullopt;
    buf.resize(n);
    const size_t end = buf.find_first_of("\r\n");
    if (end == std::string::npos) {
        pos += n; // no terminator within max bytes: the line goes on in the next call
        return buf;
    }
    size_t term = 1;
    if (buf[end] == '\r') {
        char next = 0;
        if (end + 1 < n)
            next = buf[end + 1];
        else
            f.readAt(pos + n, &next, 1); // the LF of a CR LF may lie past the bytes read
        if (next == '\n')
            term = 2;
    }
    buf.resize(end);
    pos += end + term;
    return buf;
}

} // namespace dn::platform
