#include "common/disk/checks.h"

#include "common/data/errors.h"
#include "common/data/startup_lock.h"
#include "platform/drive.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/find.h"

#include <cerrno>
#include <cstring>

namespace dn::disk {

std::string probeName(const std::string& drive) {
    return drive + std::string(8, '\x7f') + "." + std::string(3, '\x7f');
}

bool ISREADY(const std::string& drive, bool showMessage) {
    if (platform::DIR(drive + "."))
        return true;
    if (showMessage)
        data::showNotice("Disco non pronto.");
    else
        data::SUNLOCK(); // released all the same, as before any disk message
    return false;
}

bool ISFULL(const std::string& drive, uint64_t minFree) {
    if (drive.empty())
        return false;
    if (!ISREADY(drive))
        return true;
    if (platform::DISKFREESPACE(drive) >= minFree)
        return false;
    data::showNotice("Spazio su disco insufficiente.");
    return true;
}

bool ISPROTECTED(const std::string& drive) {
    if (!ISREADY(drive))
        return true;
    const std::string probe = probeName(drive);
    if (!platform::createAndClose(probe)) {
        data::showNotice("Disco protetto da scrittura.");
        return true;
    }
    platform::removeFile(probe);
    return false;
}

bool ISREADONLY(const std::string& file) {
    if (platform::probeWriteAccess(file) != platform::WriteAccess::Denied)
        return false;
    data::showNotice("File non accessibile.");
    return true;
}

void DELDIR(const std::string& folder) {
    platform::OWIN32FINDDATA d;
    const platform::FindHandle h = platform::FINDFIRSTFILE(folder + platform::kPathSep + "*.*", d);
    if (h == platform::kInvalidFind)
        return;
    do {
        if (d.nFileAttr & platform::kAttrDirectory)
            continue; // "." and ".." included
        if (!platform::removeFile(folder + platform::kPathSep + d.cFileName))
            break;
    } while (platform::FINDNEXTFILE(h, d));
    platform::FINDCLOSE(h);
}

void DELFILE(const std::string& path) {
    if (ISPROTECTED(platform::driveOf(path)) || ISREADONLY(path))
        throw DiskAbort("file not deleted: " + path);
    int err = 0;
    if (platform::removeFile(path, &err))
        return;
    if (platform::fileErrorKind(err) == platform::FileErrorKind::NotFound)
        return;
    throw platform::FileError(platform::fileErrorKind(err), path, err,
                              "delete " + path + ": " + std::strerror(err));
}

} // namespace dn::disk
