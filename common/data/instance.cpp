#include "common/data/instance.h"

#include "common/data/library.h"
#include "common/data/startup_lock.h"
#include "common/data/tables.h"
#include "common/util/startup_lock_hook.h"
#include "platform/file.h"
#include "platform/fileops.h"

namespace dn::data {

namespace {

std::string& veltOverride() {
    static std::string path;
    return path;
}

bool isFile(const std::string& path) {
    const int64_t attrs = platform::GETFILEATTRIBUTES(path);
    return attrs >= 0 && !(attrs & platform::kAttrDirectory);
}

} // namespace

std::string veltLockTable() {
    if (!veltOverride().empty())
        return veltOverride();
#ifdef _WIN32
    return "C:\\VELT\\NET";
#else
    return "/VELT/NET";
#endif
}

void setVeltLockTable(const std::string& path) {
    veltOverride() = path;
}

bool ISVELT() {
    return isFile(veltLockTable());
}

void USER() {
    SLOCK(); // nothing yet: the instance has no name
    const std::string name = GETNEWFNAME();
    std::string folder = tempFolder();
    if (folder.back() != '/' && folder.back() != '\\')
        folder += platform::kPathSep;
    folder += name;
    platform::CREATEDIR(folder);
    platform::File marker;
    try {
        marker = holdMarker(folder);
    } catch (...) {
        platform::removeDir(folder);
        throw;
    }
    if (!isFile("USER.USR"))
        access().user = name;
    setInstance(name, folder, std::move(marker));
    setStartupLockReleaser([] { SUNLOCK(); });
    SUNLOCK(); // nothing is held yet
}

} // namespace dn::data
