// Windows implementation of the file layer: native sharing modes and LockFileEx
// byte-range locks. Paths are ANSI (Windows-1252) bytes, as everywhere below the
// toolkit.
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/lock_layout.h"

#include <algorithm>

#include "platform/win/win32.h"

namespace dn::platform {

namespace {

[[noreturn]] void fail(const std::string& path, DWORD err, const char* op) {
    throw FileError(fileErrorKind(static_cast<int>(err)), path, static_cast<int>(err),
                    std::string(op) + " " + path + ": Windows error " + std::to_string(err));
}

OVERLAPPED overlappedAt(uint64_t offset) {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return ov;
}

DWORD shareMode(Share share) {
    switch (share) {
    case Share::None:
        return FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    case Share::Shared:
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    case Share::Exclusive:
        // No other open may read or write; renaming stays possible so that pack can
        // move its new file into place while holding it.
        return FILE_SHARE_DELETE;
    }
    return 0;
}

HANDLE openHandle(const std::string& path, DWORD access, Share share, DWORD disposition) {
    return ::CreateFileA(path.c_str(), access, shareMode(share), nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Takes, besides the sharing mode, the byte-range lock that stands for it on
// POSIX: computers running the Linux build on the same shared folder see no
// Windows sharing mode, only this lock (docs/platform.md, "A mixed office").
// False when another open holds a conflicting one (or the fault hooks refuse it).
bool takeShareLock(HANDLE h, const std::string& path, Share share) {
    if (share == Share::None)
        return true;
    const FaultHooks hooks = currentFaultHooks();
    if (hooks.refuseLock && hooks.refuseLock(path, kShareLockOffset, 1))
        return false;
    OVERLAPPED ov = overlappedAt(kShareLockOffset);
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY;
    if (share == Share::Exclusive)
        flags |= LOCKFILE_EXCLUSIVE_LOCK;
    if (::LockFileEx(h, flags, 0, 1, 0, &ov))
        return true;
    const DWORD err = ::GetLastError();
    if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING)
        return false;
    fail(path, err, "lock");
}

} // namespace

FileError sharingConflict(const std::string& path) {
    return FileError(FileErrorKind::Sharing, path, ERROR_SHARING_VIOLATION,
                     "open " + path + ": in use by another open");
}

File::File(File&& other) noexcept
    : handle_(other.handle_), writable_(other.writable_), path_(std::move(other.path_)) {
    other.handle_ = nullptr;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        writable_ = other.writable_;
        path_ = std::move(other.path_);
        other.handle_ = nullptr;
    }
    return *this;
}

File::~File() {
    close();
}

void File::close() {
    if (handle_) {
        ::CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
    }
}

File File::open(const std::string& path, bool writable, Share share) {
    const DWORD access = writable ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
    HANDLE h = openHandle(path, access, share, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE)
        fail(path, ::GetLastError(), "open");
    File f;
    f.handle_ = h;
    f.writable_ = writable;
    f.path_ = path;
    const DWORD attrs = ::GetFileAttributesA(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
        fail(path, ERROR_ACCESS_DENIED, "open");
    if (!takeShareLock(h, path, share))
        throw sharingConflict(path);
    return f;
}

File File::create(const std::string& path, Share share) {
    // OPEN_ALWAYS and then emptying: a sharing conflict fails the open before any
    // byte of an existing file is lost.
    HANDLE h = openHandle(path, GENERIC_READ | GENERIC_WRITE, share, OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE)
        fail(path, ::GetLastError(), "create");
    File f;
    f.handle_ = h;
    f.writable_ = true;
    f.path_ = path;
    if (!takeShareLock(h, path, share))
        throw sharingConflict(path);
    FILE_END_OF_FILE_INFO eof{};
    eof.EndOfFile.QuadPart = 0;
    if (!::SetFileInformationByHandle(h, FileEndOfFileInfo, &eof, sizeof eof))
        fail(path, ::GetLastError(), "create");
    return f;
}

size_t File::readAt(uint64_t offset, void* buf, size_t n) const {
    size_t done = 0;
    while (done < n) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 30));
        OVERLAPPED ov = overlappedAt(offset + done);
        DWORD got = 0;
        if (!::ReadFile(static_cast<HANDLE>(handle_), static_cast<char*>(buf) + done, chunk, &got,
                        &ov)) {
            const DWORD err = ::GetLastError();
            if (err == ERROR_HANDLE_EOF)
                break;
            fail(path_, err, "read");
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

void File::writeAt(uint64_t offset, const void* buf, size_t n) {
    if (!writable_)
        throw FileError(FileErrorKind::AccessDenied, path_, ERROR_ACCESS_DENIED,
                        "write " + path_ + ": opened read-only");
    auto rawWrite = [&](uint64_t at, const char* p, size_t len) {
        size_t done = 0;
        while (done < len) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(len - done, 1u << 30));
            OVERLAPPED ov = overlappedAt(at + done);
            DWORD put = 0;
            if (!::WriteFile(static_cast<HANDLE>(handle_), p + done, chunk, &put, &ov))
                fail(path_, ::GetLastError(), "write");
            if (put == 0)
                fail(path_, ERROR_DISK_FULL, "write");
            done += put;
        }
    };
    const FaultHooks hooks = currentFaultHooks();
    if (hooks.onWrite) {
        const long long allowed = hooks.onWrite(path_, offset, n);
        if (allowed >= 0) {
            const size_t k = std::min(static_cast<size_t>(allowed), n);
            if (k > 0)
                rawWrite(offset, static_cast<const char*>(buf), k);
            throw FileError(hooks.error, path_, 0, "write " + path_ + ": injected failure");
        }
    }
    rawWrite(offset, static_cast<const char*>(buf), n);
}

uint64_t File::size() const {
    LARGE_INTEGER sz{};
    if (!::GetFileSizeEx(static_cast<HANDLE>(handle_), &sz))
        fail(path_, ::GetLastError(), "stat");
    return static_cast<uint64_t>(sz.QuadPart);
}

void File::truncate(uint64_t size) {
    if (!writable_)
        throw FileError(FileErrorKind::AccessDenied, path_, ERROR_ACCESS_DENIED,
                        "truncate " + path_ + ": opened read-only");
    const FaultHooks hooks = currentFaultHooks();
    if (hooks.onWrite && hooks.onWrite(path_, size, 0) >= 0)
        throw FileError(hooks.error, path_, 0, "truncate " + path_ + ": injected failure");
    FILE_END_OF_FILE_INFO eof{};
    eof.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFileInformationByHandle(static_cast<HANDLE>(handle_), FileEndOfFileInfo, &eof,
                                      sizeof eof))
        fail(path_, ::GetLastError(), "truncate");
}

void File::flush() {
    if (writable_ && !::FlushFileBuffers(static_cast<HANDLE>(handle_)))
        fail(path_, ::GetLastError(), "flush");
}

bool File::tryLock(uint64_t offset, uint64_t length, LockKind kind) {
    const FaultHooks hooks = currentFaultHooks();
    if (hooks.refuseLock && hooks.refuseLock(path_, offset, length))
        return false;
    OVERLAPPED ov = overlappedAt(offset);
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY;
    if (kind == LockKind::Exclusive)
        flags |= LOCKFILE_EXCLUSIVE_LOCK;
    if (::LockFileEx(static_cast<HANDLE>(handle_), flags, 0,
                     static_cast<DWORD>(length & 0xFFFFFFFFu), static_cast<DWORD>(length >> 32),
                     &ov))
        return true;
    const DWORD err = ::GetLastError();
    if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING || err == ERROR_SHARING_VIOLATION)
        return false;
    fail(path_, err, "lock");
}

void File::unlock(uint64_t offset, uint64_t length) {
    // Windows releases only a range locked exactly so; callers unlock what they locked.
    OVERLAPPED ov = overlappedAt(offset);
    ::UnlockFileEx(static_cast<HANDLE>(handle_), 0, static_cast<DWORD>(length & 0xFFFFFFFFu),
                   static_cast<DWORD>(length >> 32), &ov);
}

bool File::narrowLock(uint64_t offset, uint64_t length, uint64_t keepOffset, uint64_t keepLength) {
    // A Windows lock cannot be split: release it and lock the kept bytes again.
    unlock(offset, length);
    if (const FaultHooks hooks = currentFaultHooks(); hooks.betweenNarrow)
        hooks.betweenNarrow(path_);
    return tryLock(keepOffset, keepLength, LockKind::Exclusive);
}

void replaceFile(File& replacement, File& replaced, const std::string& to) {
    // An open file cannot be replaced on Windows: close it first.
    replaced.close();
    if (!::MoveFileExA(replacement.path_.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail(to, ::GetLastError(), "rename");
    replacement.path_ = to;
}

} // namespace dn::platform
