#include "common/data/library.h"

#include "common/data/area.h"
#include "common/data/errors.h"
#include "common/data/tables.h"
#include "common/data/views.h"
#include "common/disk/checks.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/find.h"

#include <cstdlib>
#include <exception>
#include <filesystem>

#ifdef _WIN32
#include "platform/win/win32.h"
#endif

namespace dn::data {

namespace {

std::string join(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    const char last = folder.back();
    if (last == '/' || last == '\\')
        return folder + name;
    return folder + platform::kPathSep + name;
}

// Names in folder (files, folders or both), "." and ".." left out.
std::vector<platform::OWIN32FINDDATA> listing(const std::string& folder) {
    std::vector<platform::OWIN32FINDDATA> out;
    platform::OWIN32FINDDATA d;
    const platform::FindHandle h = platform::FINDFIRSTFILE(join(folder, "*.*"), d);
    if (h == platform::kInvalidFind)
        return out;
    do {
        if (d.cFileName != "." && d.cFileName != "..")
            out.push_back(d);
    } while (platform::FINDNEXTFILE(h, d));
    platform::FINDCLOSE(h);
    return out;
}

[[noreturn]] void reportUncaught() {
    if (std::exception_ptr e = std::current_exception()) {
        try {
            handleError(e, std::source_location::current());
        } catch (...) {
        }
    }
    std::abort();
}

} // namespace

AccessGlobals& access() {
    static AccessGlobals g;
    return g;
}

Instance& instance() {
    static Instance i;
    return i;
}

void setInstance(const std::string& name, const std::string& folder, platform::File marker) {
    Instance& i = instance();
    i.name = name;
    i.folder = folder;
    i.marker = std::move(marker);
    access().temp = join(folder, "");
    if (access().temp.empty() || (access().temp.back() != '/' && access().temp.back() != '\\'))
        access().temp += platform::kPathSep;
}

platform::File holdMarker(const std::string& folder) {
    const std::string path = join(folder, kMarkerName);
    if (!platform::createAndClose(path))
        throw platform::FileError(platform::FileErrorKind::AccessDenied, path, 0,
                                  "cannot create the marker file " + path);
    return platform::File::open(path, false, platform::Share::Exclusive);
}

bool isLiveInstanceFolder(const std::string& folder) {
    try {
        platform::File probe =
            platform::File::open(join(folder, kMarkerName), false, platform::Share::Shared);
        return false;
    } catch (const platform::FileError& e) {
        return e.kind() == platform::FileErrorKind::Sharing;
    }
}

std::string tempFolder() {
#ifdef _WIN32
    const char* names[] = {"TEMP", "TMP"};
    const char* fallback = ".";
#else
    const char* names[] = {"TEMP", "TMPDIR"};
    const char* fallback = "/tmp";
#endif
    // A folder named but missing is created; one that cannot be passes the choice
    // to the next name, so that a wrong setting does not end the start.
    for (const char* n : names) {
        const char* v = std::getenv(n);
        if (v && *v) {
            std::string s = v;
            while (s.size() > 1 && (s.back() == '/' || s.back() == '\\'))
                s.pop_back();
            std::error_code ec;
            if (std::filesystem::is_directory(s, ec) ||
                (std::filesystem::create_directories(s, ec) && !ec))
                return s;
        }
    }
    return fallback;
}

// True when another open holds the file (a scratch file that a running instance is
// still writing: its writer holds it exclusively). Windows refuses to delete such a
// file by itself; on POSIX the sweep has to ask first.
static bool heldElsewhere(const std::string& path) {
    try {
        platform::File f = platform::File::open(path, false, platform::Share::Exclusive);
        return false;
    } catch (const platform::FileError& e) {
        return e.kind() == platform::FileErrorKind::Sharing;
    }
}

int sweepLeftovers(const std::string& dataFolder, const std::string& tempDir) {
    for (const auto& d : listing(dataFolder))
        if (!(d.nFileAttr & platform::kAttrDirectory) && !d.cFileName.empty() &&
            d.cFileName[0] == '\x7f' && !heldElsewhere(join(dataFolder, d.cFileName)))
            platform::removeFile(join(dataFolder, d.cFileName));
    int removed = 0;
    for (const auto& d : listing(tempDir)) {
        if (!(d.nFileAttr & platform::kAttrDirectory) || d.cFileName.empty() ||
            d.cFileName[0] != '\x7f')
            continue;
        const std::string folder = join(tempDir, d.cFileName);
        // A running instance holds its marker file. On Windows that alone stops the
        // deletion; on POSIX a file held open can still be deleted, so the folder
        // is left alone before anything in it is touched.
        if (isLiveInstanceFolder(folder))
            continue;
        disk::DELDIR(folder);
        if (platform::removeDir(folder))
            ++removed;
    }
    return removed;
}

void startupLibrary() {
    std::set_terminate(reportUncaught);
    setDeletedHidden(true);
    access() = AccessGlobals{};
    sweepLeftovers(".", tempFolder());
#ifdef _WIN32
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
#endif
}

void shutdownLibrary() {
    std::exception_ptr pending;
    try {
        CLOSEALL();
    } catch (...) {
        pending = std::current_exception();
    }
    resetViewState();
    Instance& i = instance();
    if (!i.name.empty()) {
        i.marker.close();
        if (!i.folder.empty()) {
            disk::DELDIR(i.folder);
            platform::removeDir(i.folder);
        }
        const std::string usr = i.name + ".USR";
        std::error_code ec;
        if (std::filesystem::is_regular_file(usr, ec) && std::filesystem::file_size(usr, ec) == 0 &&
            !ec)
            platform::removeFile(usr);
        i.name.clear();
        i.folder.clear();
        access().temp.clear();
    }
    if (pending)
        std::rethrow_exception(pending);
}

} // namespace dn::data
