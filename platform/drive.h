#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dn::platform {

// Drive designations (docs/platform.md). On Windows: a drive letter and ":"
// ("C:"), or the empty text when the current folder is a network path without a
// drive letter. On POSIX: a folder followed by "/", standing for that folder's
// file system; "./" is the current folder. On both, drive + "." names the drive's
// current folder and drive + name a file in it; the empty text still means "no
// drive letter".

// The designation of the current folder's drive: "X:" or "" on Windows, "./" on
// POSIX (never empty there, so that the disk checks guard the real folder).
std::string currentDrive();

// The drive of path: on Windows its first two characters when the second is ":",
// else currentDrive(); on POSIX the folder part of path with its "/", else "./".
std::string driveOf(const std::string& path);

// Free bytes on the volume that holds the drive or folder (all free bytes on
// Windows; on POSIX those this process may use: reserved blocks count only for
// root). 0 when the volume cannot be asked. "" means the current folder.
uint64_t DISKFREESPACE(const std::string& driveOrFolder);

// The drive's current folder with a separator before and after it ("\DATA\",
// "\" at the root). On POSIX the absolute folder of the designation ("/srv/data/").
std::string CURPATH(const std::string& drive);

// Drives of a kind, in letter order: 0 all, 1 floppy drives (A: and B:), 2 fixed
// and optical drives (C: to Z:). On POSIX: mount points of block devices, each
// ending in "/" (1: floppy devices; 2: other devices that are not removable, CD
// and DVD drives included), sorted by name.
std::vector<std::string> ADISK(int kind = 0);

} // namespace dn::platform
