#include "platform/drive.h"

#include "platform/fileops.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mntent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace dn::platform {

namespace {

std::string readFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

enum class DeviceKind { Floppy, Fixed, Removable };

// Classifies a block device by its sysfs entry; a partition takes the kind of
// the whole disk it belongs to.
DeviceKind classify(dev_t dev) {
    const std::string link =
        "/sys/dev/block/" + std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
    char buf[PATH_MAX];
    if (::realpath(link.c_str(), buf) == nullptr)
        return DeviceKind::Fixed;
    std::string sys = buf;
    if (::access((sys + "/partition").c_str(), F_OK) == 0)
        sys = sys.substr(0, sys.find_last_of('/'));
    const std::string name = sys.substr(sys.find_last_of('/') + 1);
    if (name.rfind("fd", 0) == 0)
        return DeviceKind::Floppy;
    if (name.rfind("sr", 0) == 0)
        return DeviceKind::Fixed; // optical drives count with the fixed ones
    return readFirstLine(sys + "/removable") == "1" ? DeviceKind::Removable : DeviceKind::Fixed;
}

} // namespace

std::string currentDrive() {
    return "./";
}

std::string driveOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return currentDrive();
    return path.substr(0, slash + 1);
}

uint64_t DISKFREESPACE(const std::string& driveOrFolder) {
    struct statvfs vfs {};
    const std::string path = driveOrFolder.empty() ? "." : driveOrFolder;
    if (::statvfs(path.c_str(), &vfs) != 0)
        return 0;
    // Blocks reserved for the superuser are free only to the superuser.
    const uint64_t blocks = ::geteuid() == 0 ? vfs.f_bfree : vfs.f_bavail;
    return blocks * vfs.f_frsize;
}

std::string CURPATH(const std::string& drive) {
    std::string path = FULLNAME(drive.empty() ? "./" : drive);
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::vector<std::string> ADISK(int kind) {
    std::vector<std::string> out;
    FILE* mounts = ::setmntent("/proc/self/mounts", "r");
    if (mounts == nullptr)
        return out;
    while (const struct mntent* m = ::getmntent(mounts)) {
        struct stat st {};
        if (std::string_view(m->mnt_fsname).rfind("/dev/", 0) != 0 ||
            ::stat(m->mnt_fsname, &st) != 0 || !S_ISBLK(st.st_mode))
            continue;
        const DeviceKind k = classify(st.st_rdev);
        const bool wanted = (k == DeviceKind::Floppy && (kind == 0 || kind == 1)) ||
                            (k == DeviceKind::Fixed && (kind == 0 || kind == 2));
        std::string dir = m->mnt_dir;
        if (dir.empty() || dir.back() != '/')
            dir += '/';
        if (wanted && std::find(out.begin(), out.end(), dir) == out.end())
            out.push_back(dir);
    }
    ::endmntent(mounts);
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace dn::platform
