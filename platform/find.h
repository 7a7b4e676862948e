#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace dn::platform {

// One entry of a folder listing, with the members of the Windows find-data
// record. Times are file times: 100-nanosecond units since 1 January 1601 UTC.
// On POSIX the creation time is the birth time when the file system reports it,
// else the last-write time, and there are no short names.
struct OWIN32FINDDATA {
    uint32_t nFileAttr = 0;
    uint64_t cCreatTime = 0;
    uint64_t cLastATime = 0;
    uint64_t cLastWTime = 0;
    uint32_t nFileSizeH = 0;
    uint32_t nFileSizeL = 0;
    uint32_t nReserved0 = 0;
    uint32_t nReserved1 = 0;
    std::string cFileName;
    std::string cShortName;
};

using FindHandle = std::intptr_t;
inline constexpr FindHandle kInvalidFind = -1;

// Starts a listing of the entries that match pattern (a folder, a separator and a
// name with the wildcards "*" and "?"; a trailing ".*" also matches a name
// without extension, so "*.*" matches every name) and fills data
// with the first. kInvalidFind when nothing matches. On POSIX names match without
// regard to letter case, entries come in name order and "." and ".." are listed
// as on Windows; the folder is read at once, so deleting entries while walking
// the listing is safe.
FindHandle FINDFIRSTFILE(const std::string& pattern, OWIN32FINDDATA& data);
// The next entry; false at the end of the listing.
bool FINDNEXTFILE(FindHandle handle, OWIN32FINDDATA& data);
// Ends the listing; false for a handle that is not open.
bool FINDCLOSE(FindHandle handle);

// The last-write time (a file time) of one entry named without wildcards, in any
// letter case as FINDFIRSTFILE matches it, but found with one status call when the
// name is there exactly as written: only then is the folder listed. Nothing when
// there is no such entry.
std::optional<uint64_t> lastWriteTime(const std::string& path);

// Converts between file times and seconds + nanoseconds since 1970 (UTC).
uint64_t toFileTime(int64_t unixSeconds, uint32_t nanoseconds);
int64_t fileTimeToUnixSeconds(uint64_t fileTime);

} // namespace dn::platform
