#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/lock_layout.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dn::platform {

namespace {

[[noreturn]] void fail(const std::string& path, int err, const char* op) {
    throw FileError(fileErrorKind(err), path, err,
                    std::string(op) + " " + path + ": " + std::strerror(err));
}

} // namespace

File::File(File&& other) noexcept
    : fd_(other.fd_), writable_(other.writable_), path_(std::move(other.path_)) {
    other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        writable_ = other.writable_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

File::~File() {
    close();
}

void File::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

namespace {

// Takes the sharing lock of `share` on fd; false when another open holds a
// conflicting one (or the fault hooks refuse it).
bool takeShareLock(int fd, const std::string& path, Share share) {
    if (share == Share::None)
        return true;
    const FaultHooks hooks = currentFaultHooks();
    if (hooks.refuseLock && hooks.refuseLock(path, kShareLockOffset, 1))
        return false;
    struct flock fl {};
    fl.l_type = share == Share::Exclusive ? F_WRLCK : F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(kShareLockOffset);
    fl.l_len = 1;
    if (::fcntl(fd, F_OFD_SETLK, &fl) == 0)
        return true;
    if (errno == EAGAIN || errno == EACCES)
        return false;
    fail(path, errno, "lock");
}

} // namespace

FileError sharingConflict(const std::string& path) {
    return FileError(FileErrorKind::Sharing, path, EBUSY,
                     "open " + path + ": in use by another open");
}

File File::open(const std::string& path, bool writable, Share share) {
    File f;
    // A read-only open still asks for a read-write descriptor when the file allows
    // it, because exclusive byte-range locks need one; writes stay refused below.
    f.fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (f.fd_ < 0 && !writable && (errno == EACCES || errno == EROFS || errno == EPERM))
        f.fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (f.fd_ < 0)
        fail(path, errno, "open");
    struct stat st {};
    if (::fstat(f.fd_, &st) == 0 && S_ISDIR(st.st_mode))
        fail(path, EISDIR, "open");
    if (!takeShareLock(f.fd_, path, share))
        throw sharingConflict(path);
    f.writable_ = writable;
    f.path_ = path;
    return f;
}

File File::create(const std::string& path, Share share) {
    File f;
    f.fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (f.fd_ < 0)
        fail(path, errno, "create");
    // Empty the file only once no other open can be using it.
    if (!takeShareLock(f.fd_, path, share))
        throw sharingConflict(path);
    f.writable_ = true;
    f.path_ = path;
    if (::ftruncate(f.fd_, 0) != 0)
        fail(path, errno, "create");
    return f;
}

size_t File::readAt(uint64_t offset, void* buf, size_t n) const {
    size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pread(fd_, static_cast<char*>(buf) + done, n - done,
                                  static_cast<off_t>(offset + done));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            fail(path_, errno, "read");
        }
        if (r == 0)
            break;
        done += static_cast<size_t>(r);
    }
    return done;
}

void File::writeAt(uint64_t offset, const void* buf, size_t n) {
    if (!writable_)
        throw FileError(FileErrorKind::AccessDenied, path_, EBADF,
                        "write " + path_ + ": opened read-only");
    const FaultHooks hooks = currentFaultHooks();
    if (hooks.onWrite) {
        const long long allowed = hooks.onWrite(path_, offset, n);
        if (allowed >= 0) {
            const size_t k = std::min(static_cast<size_t>(allowed), n);
            if (k > 0 && ::pwrite(fd_, buf, k, static_cast<off_t>(offset)) < 0)
                fail(path_, errno, "write");
            throw FileError(hooks.error, path_, 0, "write " + path_ + ": injected failure");
        }
    }
    size_t done = 0;
    while (done < n) {
        const ssize_t w = ::pwrite(fd_, static_cast<const char*>(buf) + done, n - done,
                                   static_cast<off_t>(offset + done));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            fail(path_, errno, "write");
        }
        if (w == 0)
            fail(path_, ENOSPC, "write");
        done += static_cast<size_t>(w);
    }
}

uint64_t File::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        fail(path_, errno, "stat");
    return static_cast<uint64_t>(st.st_size);
}

void File::truncate(uint64_t size) {
    if (!writable_)
        throw FileError(FileErrorKind::AccessDenied, path_, EBADF,
                        "truncate " + path_ + ": opened read-only");
    const FaultHooks hooks = currentFaultHooks();
    if (hooks.onWrite && hooks.onWrite(path_, size, 0) >= 0)
        throw FileError(hooks.error, path_, 0, "truncate " + path_ + ": injected failure");
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
        fail(path_, errno, "truncate");
}

void File::flush() {
    if (::fdatasync(fd_) != 0 && errno != EINVAL)
        fail(path_, errno, "flush");
}

bool File::tryLock(uint64_t offset, uint64_t length, LockKind kind) {
    const FaultHooks hooks = currentFaultHooks();
    if (hooks.refuseLock && hooks.refuseLock(path_, offset, length))
        return false;
    struct flock fl {};
    fl.l_type = kind == LockKind::Exclusive ? F_WRLCK : F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    fl.l_pid = 0;
    if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0)
        return true;
    if (errno == EAGAIN || errno == EACCES)
        return false;
    fail(path_, errno, "lock");
}

void File::unlock(uint64_t offset, uint64_t length) {
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    fl.l_pid = 0;
    ::fcntl(fd_, F_OFD_SETLK, &fl);
}

bool File::narrowLock(uint64_t offset, uint64_t length, uint64_t keepOffset, uint64_t keepLength) {
    const FaultHooks hooks = currentFaultHooks();
    if (hooks.betweenNarrow) {
        unlock(offset, length);
        hooks.betweenNarrow(path_);
        return tryLock(keepOffset, keepLength, LockKind::Exclusive);
    }
    // Releasing the parts on either side leaves the kept bytes locked all along.
    if (keepOffset > offset)
        unlock(offset, keepOffset - offset);
    const uint64_t end = offset + length;
    const uint64_t keepEnd = keepOffset + keepLength;
    if (end > keepEnd)
        unlock(keepEnd, end - keepEnd);
    return true;
}

void replaceFile(File& replacement, File& replaced, const std::string& to) {
    if (::rename(replacement.path_.c_str(), to.c_str()) != 0)
        fail(to, errno, "rename");
    // Make the new name durable before the old file is let go.
    const std::string::size_type slash = to.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : to.substr(0, slash + 1);
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    replacement.path_ = to;
    replaced.close();
}

} // namespace dn::platform
