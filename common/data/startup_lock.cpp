#include "common/data/startup_lock.h"

#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/instance.h"
#include "common/data/library.h"
#include "common/data/records.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "platform/file.h"
#include "platform/fileops.h"

#include <cstdio>
#include <random>

#ifdef _WIN32
#include "platform/win/win32.h"
#else
#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#endif

namespace dn::data {

namespace {

constexpr const char* kLockTable = "NET";

bool exists(const std::string& path) {
    return platform::GETFILEATTRIBUTES(path) >= 0;
}

// A name for building the lock table that no other instance picks: 0x7F (so that a
// crash leaves nothing the next start does not sweep), "NET", random digits.
std::string buildName() {
    std::random_device rd;
    char buf[32];
    std::snprintf(buf, sizeof buf, "\x7FNET%08X.TMP", static_cast<unsigned>(rd()));
    return buf;
}

// Moves from to to unless to exists. False when to exists (nothing moved); throws
// platform::FileError for any other failure.
bool moveNoReplace(const std::string& from, const std::string& to) {
#ifdef _WIN32
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD err = ::GetLastError();
    if (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS)
        return false;
    throw platform::FileError(platform::fileErrorKind(static_cast<int>(err)),
                              err == ERROR_FILE_NOT_FOUND ? from : to, static_cast<int>(err),
                              "cannot move " + from + " to " + to);
#else
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    int err = errno;
    if (err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) {
        // File systems without an exclusive rename: a new link fails the same way
        // when the name is taken.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return true;
        }
        err = errno;
    }
    if (err == EEXIST)
        return false;
    throw platform::FileError(platform::fileErrorKind(err), err == ENOENT ? from : to, err,
                              "cannot move " + from + " to " + to);
#endif
}

// Builds the lock table under a temporary name and moves it into place.
void buildLockTable(const std::string& temp) {
    DBGEN(temp, {{"LOCK", 'C', 1, 0}});
    {
        AreaGuard guard;
        guard.open(temp, "NETNEW", true);
        DBAPP();
        DBCOMMIT();
        DBUNLOCK();
        guard.release();
    }
    moveNoReplace(temp, kLockTable); // another instance's table serves as well
}

// The lock table as DBOPEN names it: a final "." for a name without extension.
std::string lockTableName() {
    return (ISVELT() ? veltLockTable() : std::string(kLockTable)) + ".";
}

// The area selected before, selected again on every way out.
class KeepSelection {
public:
    KeepSelection() : previous_(SELECT()) {}
    ~KeepSelection() { DBSELECTAREA(previous_); }
    KeepSelection(const KeepSelection&) = delete;
    KeepSelection& operator=(const KeepSelection&) = delete;

private:
    int previous_;
};

} // namespace

bool SCREATE() {
    if (exists(kLockTable) || ISVELT())
        return true;
    // The sweep of another instance starting now may delete the temporary table
    // under this one (POSIX lets it delete open files): then build it again.
    constexpr int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        const std::string temp = buildName();
        try {
            buildLockTable(temp);
            platform::removeFile(temp);
            return true;
        } catch (...) {
            const std::exception_ptr error = std::current_exception();
            platform::removeFile(temp);
            if (exists(kLockTable))
                return true;
            bool vanished = false;
            try {
                std::rethrow_exception(error);
            } catch (const platform::FileError& e) {
                vanished = e.kind() == platform::FileErrorKind::NotFound;
            } catch (...) {
            }
            if (!vanished || attempt == kAttempts)
                return recover(error, std::source_location::current());
        }
    }
}

void SLOCK() {
    if (instance().name.empty())
        return;
    KeepSelection keep;
    DBSELECTAREA(kStartupLockArea);
    DBOPEN(false, {}, lockTableName(), "NET", true, false);
    DBLOCK(true);
}

void SUNLOCK() {
    static bool releasing = false;
    if (instance().name.empty() || releasing || !area(kStartupLockArea).used())
        return;
    releasing = true;
    try {
        KeepSelection keep;
        DBSELECTAREA(kStartupLockArea);
        DBCLOSE();
    } catch (...) {
        // Closing frees the lock even when it fails; the table holds no data.
    }
    releasing = false;
}

bool startupLockHeld() {
    return !instance().name.empty() && area(kStartupLockArea).used();
}

} // namespace dn::data
