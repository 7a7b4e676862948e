#include "platform/find.h"

#include "platform/win/win32.h"

namespace dn::platform {

namespace {

uint64_t fileTime(const FILETIME& t) {
    return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

void fill(const WIN32_FIND_DATAA& w, OWIN32FINDDATA& data) {
    data.nFileAttr = w.dwFileAttributes;
    data.cCreatTime = fileTime(w.ftCreationTime);
    data.cLastATime = fileTime(w.ftLastAccessTime);
    data.cLastWTime = fileTime(w.ftLastWriteTime);
    data.nFileSizeH = w.nFileSizeHigh;
    data.nFileSizeL = w.nFileSizeLow;
    data.nReserved0 = w.dwReserved0;
    data.nReserved1 = w.dwReserved1;
    data.cFileName = w.cFileName;
    data.cShortName = w.cAlternateFileName;
}

} // namespace

FindHandle FINDFIRSTFILE(const std::string& pattern, OWIN32FINDDATA& data) {
    WIN32_FIND_DATAA w{};
    HANDLE h = FindFirstFileA(pattern.c_str(), &w);
    if (h == INVALID_HANDLE_VALUE)
        return kInvalidFind;
    fill(w, data);
    return reinterpret_cast<FindHandle>(h);
}

std::optional<uint64_t> lastWriteTime(const std::string& path) {
    // The system's own lookup ignores letter case: one call either way.
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a))
        return std::nullopt;
    return fileTime(a.ftLastWriteTime);
}

bool FINDNEXTFILE(FindHandle handle, OWIN32FINDDATA& data) {
    WIN32_FIND_DATAA w{};
    if (handle == kInvalidFind || !FindNextFileA(reinterpret_cast<HANDLE>(handle), &w))
        return false;
    fill(w, data);
    return true;
}

bool FINDCLOSE(FindHandle handle) {
    return handle != kInvalidFind && FindClose(reinterpret_cast<HANDLE>(handle)) != 0;
}

} // namespace dn::platform
