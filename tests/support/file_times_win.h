#pragma once

// Last-write times of files and folders as Windows keeps them: file times, 100 ns
// since 1601. For the tests of the Windows build.

#include "platform/win/win32.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace dn::test {

// The last-write time of path; 0 when it cannot be read.
inline uint64_t writeTimeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d))
        return 0;
    return (uint64_t{d.ftLastWriteTime.dwHighDateTime} << 32) | d.ftLastWriteTime.dwLowDateTime;
}

// Sets it (folders too); fails the test when it cannot.
inline void setWriteTime(const std::string& path, uint64_t fileTime) {
    HANDLE h = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    const FILETIME ft{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    ::SetFileTime(h, nullptr, nullptr, &ft);
    ::CloseHandle(h);
}

} // namespace dn::test
