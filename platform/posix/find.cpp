#include "platform/find.h"

#include "common/util/cp1252.h"
#include "common/util/wildexp.h"
#include "platform/fileops.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <vector>

namespace dn::platform {

namespace {

struct Search {
    std::string folder;
    std::vector<std::string> names;
    size_t next = 0;
};

std::mutex g_mutex;
std::map<FindHandle, Search> g_searches;
FindHandle g_lastHandle = 0;

bool nameOrder(const std::string& a, const std::string& b) {
    const std::string ua = upper1252(a), ub = upper1252(b);
    return ua != ub ? ua < ub : a < b;
}

// Fills data for folder/name; false when the entry has gone meanwhile.
bool fill(const std::string& folder, const std::string& name, OWIN32FINDDATA& data) {
    const std::string path = folder + "/" + name;
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0 &&
        ::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME,
                &sx) != 0)
        return false;
    const int64_t attr = GETFILEATTRIBUTES(path);
    if (attr < 0)
        return false;
    data = OWIN32FINDDATA{};
    data.nFileAttr = static_cast<uint32_t>(attr);
    data.cLastWTime = toFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    data.cLastATime = toFileTime(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
    data.cCreatTime = (sx.stx_mask & STATX_BTIME)
                          ? toFileTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                          : data.cLastWTime;
    if (!(data.nFileAttr & kAttrDirectory)) {
        data.nFileSizeH = static_cast<uint32_t>(sx.stx_size >> 32);
        data.nFileSizeL = static_cast<uint32_t>(sx.stx_size);
    }
    data.cFileName = name;
    return true;
}

// The next entry of s that still exists, filled into data.
bool advance(Search& s, OWIN32FINDDATA& data) {
    while (s.next < s.names.size()) {
        if (fill(s.folder, s.names[s.next++], data))
            return true;
    }
    return false;
}

} // namespace

FindHandle FINDFIRSTFILE(const std::string& pattern, OWIN32FINDDATA& data) {
    Search s;
    const size_t slash = pattern.find_last_of('/');
    const std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    s.folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : pattern.substr(0, slash));
    if (mask.empty())
        return kInvalidFind;
    ::DIR* dir = ::opendir(s.folder.c_str());
    if (dir == nullptr)
        return kInvalidFind;
    while (const struct dirent* e = ::readdir(dir)) {
        if (wildMatch(mask, e->d_name))
            s.names.emplace_back(e->d_name);
    }
    ::closedir(dir);
    std::sort(s.names.begin(), s.names.end(), nameOrder);
    if (!advance(s, data))
        return kInvalidFind;
    std::lock_guard<std::mutex> lock(g_mutex);
    const FindHandle h = ++g_lastHandle;
    g_searches.emplace(h, std::move(s));
    return h;
}

std::optional<uint64_t> lastWriteTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return toFileTime(st.st_mtim.tv_sec, static_cast<uint32_t>(st.st_mtim.tv_nsec));
    if (errno != ENOENT)
        return std::nullopt;
    // Another program may have written the name in other letters.
    OWIN32FINDDATA data;
    const FindHandle h = FINDFIRSTFILE(path, data);
    if (h == kInvalidFind)
        return std::nullopt;
    FINDCLOSE(h);
    return data.cLastWTime;
}

bool FINDNEXTFILE(FindHandle handle, OWIN32FINDDATA& data) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto it = g_searches.find(handle);
    return it != g_searches.end() && advance(it->second, data);
}

bool FINDCLOSE(FindHandle handle) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_searches.erase(handle) > 0;
}

} // namespace dn::platform
