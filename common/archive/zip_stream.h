#pragma once

// minizip reads and writes archive files through the platform layer's files, so
// that the archive code uses no system call of its own and the platform's fault
// hooks (full disk, short write) reach archive writes too.

#include "platform/file.h"

#include <cstdint>
#include <minizip/ioapi.h>

namespace dn::archive {

// An archive file as minizip sees it. minizip's close leaves the file open: the
// caller puts it in place or deletes it.
struct ZipStream {
    platform::File file;
    uint64_t pos = 0;
    bool failed = false; // a read or write of the device failed
};

// The functions that make minizip use a ZipStream: pass the stream's address as
// the file name to zipOpen2_64 or unzOpen2_64.
zlib_filefunc64_def zipStreamFunctions();

} // namespace dn::archive
