#include "common/data/instance.h"

#include "common/data/library.h"
#include "common/data/startup_lock.h"
#include "common/data/tables.h"
#include "platform/file.h"
#include "platform/fileops.h"

#include <filesystem>

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

namespace {

// Makes the instance folder for name under temp and holds its marker. Another
// instance starting now sweeps every 0x7F folder whose marker nobody holds, so the
// folder must never be visible under its name without a held marker: it is made
// under a name the sweep ignores and renamed once the marker is held (POSIX lets a
// folder with open files be renamed; Windows does not, so there the marker is taken
// right after the rename and a folder swept in between is reported as missing).
platform::File makeFolder(const std::string& temp, const std::string& name,
                          const std::string& folder) {
    const std::string staging = temp + "~" + name.substr(1);
    if (!platform::CREATEDIR(staging))
        throw platform::FileError(platform::FileErrorKind::AccessDenied, staging, 0,
                                  "cannot create the instance folder " + staging);
    try {
#ifdef _WIN32
        if (!platform::createAndClose(staging + platform::kPathSep + kMarkerName))
            throw platform::FileError(platform::FileErrorKind::AccessDenied, staging, 0,
                                      "cannot create the marker file in " + staging);
        std::filesystem::rename(staging, folder);
        return holdMarker(folder);
#else
        platform::File marker = holdMarker(staging);
        std::filesystem::rename(staging, folder);
        return marker;
#endif
    } catch (const std::filesystem::filesystem_error& e) {
        std::error_code ec;
        std::filesystem::remove_all(staging, ec);
        throw platform::FileError(platform::FileErrorKind::AccessDenied, folder, e.code().value(),
                                  e.what());
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove_all(staging, ec);
        throw;
    }
}

} // namespace

void USER() {
    SLOCK(); // nothing yet: the instance has no name
    std::string temp = tempFolder();
    if (temp.back() != '/' && temp.back() != '\\')
        temp += platform::kPathSep;
    // A folder that another instance's sweep removed in the instant before its
    // marker was held is made again under a new name.
    constexpr int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        const std::string name = GETNEWFNAME();
        const std::string folder = temp + name;
        platform::File marker;
        try {
            marker = makeFolder(temp, name, folder);
        } catch (const platform::FileError&) {
            if (attempt == kAttempts)
                throw;
            continue;
        }
        if (!isFile("USER.USR"))
            access().user = name;
        setInstance(name, folder, std::move(marker));
        break;
    }
    SUNLOCK(); // nothing is held yet
}

} // namespace dn::data
