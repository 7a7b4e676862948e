#include "platform/drive.h"

#include "platform/fileops.h"

#include "platform/win/win32.h"

namespace dn::platform {

namespace {
bool hasDriveLetter(const std::string& path) {
    return path.size() >= 2 && path[1] == ':';
}
} // namespace

std::string currentDrive() {
    char here[MAX_PATH + 1];
    const DWORD n = GetCurrentDirectoryA(sizeof here, here);
    if (n == 0 || n > MAX_PATH)
        return {};
    const std::string dir(here, n);
    return hasDriveLetter(dir) ? dir.substr(0, 2) : std::string();
}

std::string driveOf(const std::string& path) {
    return hasDriveLetter(path) ? path.substr(0, 2) : currentDrive();
}

uint64_t DISKFREESPACE(const std::string& driveOrFolder) {
    std::string root = driveOrFolder;
    if (root.size() == 2 && root[1] == ':')
        root += '\\';
    ULARGE_INTEGER callerFree{}, total{}, totalFree{};
    if (!GetDiskFreeSpaceExA(root.empty() ? nullptr : root.c_str(), &callerFree, &total,
                             &totalFree))
        return 0;
    return totalFree.QuadPart;
}

std::string CURPATH(const std::string& drive) {
    std::string path = FULLNAME(drive + ".");
    if (hasDriveLetter(path))
        path.erase(0, 2);
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

std::vector<std::string> ADISK(int kind) {
    std::vector<std::string> out;
    const DWORD present = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(present & (1u << i)))
            continue;
        const std::string drive = std::string(1, char('A' + i)) + ":";
        const UINT type = GetDriveTypeA((drive + "\\").c_str());
        const bool floppy = i < 2 && type == DRIVE_REMOVABLE;
        const bool fixed = i >= 2 && (type == DRIVE_FIXED || type == DRIVE_CDROM);
        if ((floppy && (kind == 0 || kind == 1)) || (fixed && (kind == 0 || kind == 2)))
            out.push_back(drive);
    }
    return out;
}

} // namespace dn::platform
