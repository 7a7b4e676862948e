#include "platform/fileops.h"

#include "common/util/messages.h"
#include "platform/file.h"
#include "platform/posix/posix_util.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace dn::platform {

namespace {

constexpr size_t kCopyChunk = 1 << 20;

bool writeAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// Copies the bytes of in into out, letting window events run after each chunk.
bool copyBytes(int in, int out) {
    std::vector<char> buf(kCopyChunk);
    for (;;) {
        const ssize_t r = ::read(in, buf.data(), buf.size());
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (r == 0)
            return true;
        if (!writeAll(out, buf.data(), static_cast<size_t>(r)))
            return false;
        messages().processEvents();
    }
}

// The process's file-creation mask, read without changing it for good.
mode_t currentUmask() {
    const mode_t m = ::umask(022);
    ::umask(m);
    return m;
}

} // namespace

bool COPYFILE(const std::string& source, const std::string& target) {
    const Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!in.ok() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // An existing target that may not be written stays as it is, as on Windows.
    if (::access(target.c_str(), F_OK) == 0 && probeWriteAccess(target) != WriteAccess::Writable)
        return false;
    const std::string real = resolveLinks(target);
    TempFile tmp(folderOf(real));
    if (!tmp.ok())
        return false;
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (!copyBytes(in.get(), tmp.fd()) || ::fchmod(tmp.fd(), st.st_mode & 0777) != 0 ||
        ::futimens(tmp.fd(), times) != 0 || ::fsync(tmp.fd()) != 0)
        return false;
    return tmp.commit(real);
}

bool CREATEDIR(const std::string& folder) {
    return !folder.empty() && ::mkdir(folder.c_str(), 0777) == 0;
}

std::string FULLNAME(const std::string& path) {
    if (path.empty())
        return {};
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(path, ec);
    if (ec)
        return {};
    std::string out = abs.lexically_normal().string();
    // "a/b/.." normalises to "a/"; keep a trailing "/" only where the caller wrote one.
    if (out.size() > 1 && out.back() == '/' && path.back() != '/')
        out.pop_back();
    return out;
}

int64_t GETFILEATTRIBUTES(const std::string& path) {
    struct stat lst {};
    if (path.empty() || ::lstat(path.c_str(), &lst) != 0)
        return -1;
    uint32_t bits = 0;
    struct stat st = lst;
    if (S_ISLNK(lst.st_mode)) {
        bits |= kAttrReparsePoint;
        if (::stat(path.c_str(), &st) != 0)
            return bits; // a dangling link: only the link itself
    }
    if (S_ISDIR(st.st_mode))
        bits |= kAttrDirectory;
    if (!(st.st_mode & S_IWUSR))
        bits |= kAttrReadOnly;
    if (isHiddenName(baseName(path)))
        bits |= kAttrHidden;
    return bits == 0 ? kAttrNormal : bits;
}

bool SETFILEATTRIBUTES(const std::string& path, uint32_t bits) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return false;
    mode_t mode = st.st_mode & 07777;
    if (bits & kAttrReadOnly) {
        mode &= ~mode_t(0222);
    } else if (!(mode & S_IWUSR)) {
        // Writable again by the owner, and by group and others where they may read
        // it and the file-creation mask allows.
        const mode_t readers = mode & 0444;
        mode |= ((readers >> 1) | S_IWUSR) & ~currentUmask();
        mode |= S_IWUSR;
    }
    if (mode != (st.st_mode & 07777) && ::chmod(path.c_str(), mode) != 0)
        return false;
    return bool(bits & kAttrHidden) == isHiddenName(baseName(path));
}

bool SETFILEDATETIME(const std::string& source, const std::string& target) {
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0)
        return false;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1] = st.st_mtim;
    return ::utimensat(AT_FDCWD, target.c_str(), times, 0) == 0;
}

bool DIR(const std::string& folder) {
    struct stat st {};
    return !folder.empty() && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::faccessat(AT_FDCWD, folder.c_str(), X_OK, AT_EACCESS) == 0;
}

bool removeFile(const std::string& path, int* sysError) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        if (sysError)
            *sysError = EISDIR;
        return false;
    }
    if (::unlink(path.c_str()) == 0)
        return true;
    if (sysError)
        *sysError = errno;
    return false;
}

bool removeDir(const std::string& path, int* sysError) {
    if (::rmdir(path.c_str()) == 0)
        return true;
    if (sysError)
        *sysError = errno;
    return false;
}

FileErrorKind fileErrorKind(int sysError) {
    switch (sysError) {
    case ENOENT:
    case ENOTDIR:
        return FileErrorKind::NotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
        return FileErrorKind::AccessDenied;
    case ENOSPC:
    case EDQUOT:
        return FileErrorKind::DiskFull;
    case EROFS:
        return FileErrorKind::WriteProtected;
    case EBUSY:
    case ETXTBSY:
        return FileErrorKind::Sharing;
    default:
        return FileErrorKind::Io;
    }
}

WriteAccess probeWriteAccess(const std::string& path) {
    // Non-blocking so that a FIFO or a device never holds the caller up.
    const Fd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.ok())
        return WriteAccess::Writable;
    switch (errno) {
    case ENOENT:
    case ENOTDIR:
        return WriteAccess::Missing;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return WriteAccess::Denied;
    default:
        return WriteAccess::Failed;
    }
}

bool createAndClose(const std::string& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Fd fd(::open(path.c_str(),
                           O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK,
                           0666));
        if (fd.ok())
            return true;
        // A symbolic link left under this name is removed, never written through.
        if (errno != ELOOP || attempt > 0 || ::unlink(path.c_str()) != 0)
            return false;
    }
    return false;
}

} // namespace dn::platform
