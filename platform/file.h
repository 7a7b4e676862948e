#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace dn::platform {

// Why a file operation failed. The data layer's error handler turns each kind into
// its Italian message.
enum class FileErrorKind {
    NotFound,       // file or folder missing
    AccessDenied,   // permissions, or a read-only file opened for writing
    Sharing,        // opened elsewhere in a way that excludes this open
    DiskFull,       // no space left on the device
    WriteProtected, // read-only file system
    Io,             // any other failure of the device or the call, short writes included
};

class FileError : public std::runtime_error {
public:
    FileError(FileErrorKind kind, std::string path, int sysError, const std::string& what);
    FileErrorKind kind() const { return kind_; }
    const std::string& path() const { return path_; }
    int sysError() const { return sysError_; }

private:
    FileErrorKind kind_;
    std::string path_;
    int sysError_;
};

// The error of an open that another open of the file excludes (kind Sharing, with
// the system's code for a sharing violation).
FileError sharingConflict(const std::string& path);

enum class LockKind { Shared, Exclusive };

// How an open shares its file with other opens, after the Windows sharing modes.
// Shared opens coexist with each other; an Exclusive open coexists with no Shared
// or Exclusive open. Opens with Share::None take part in no convention (scratch
// files, reading another program's files). On POSIX these are a shared or
// exclusive byte-range lock on byte kShareLockOffset of platform/lock_layout.h,
// which lies beyond the record-lock scheme; on Windows the native sharing modes
// and the same lock, which the Linux computers of a mixed office see.
enum class Share { None, Shared, Exclusive };

// An open file with positioned reads and writes and byte-range locks.
//
// Locks belong to this open, not to the process: two File objects on the same path
// in one process conflict with each other, as two opens do on Windows. Closing the
// file releases every lock it holds. Locks may lie past the end of the file (the
// record-lock scheme uses offsets near 4 GB).
class File {
public:
    File() = default;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    // Opens an existing file. Throws FileError; kind Sharing when `share` is refused
    // because of another open. A read-only open refuses writes but can still take
    // exclusive locks.
    static File open(const std::string& path, bool writable, Share share = Share::None);
    // Creates a file, or empties an existing one, for reading and writing. An existing
    // file is emptied only once `share` has been granted. Throws FileError.
    static File create(const std::string& path, Share share = Share::None);

#ifdef _WIN32
    bool isOpen() const {
        return handle_ != nullptr;
    }
#else
    bool isOpen() const {
        return fd_ >= 0;
    }
#endif
    const std::string& path() const {
        return path_;
    }
    bool writable() const {
        return writable_;
    }

    // Reads up to n bytes at offset; returns the count read, less than n only at the
    // end of the file. Throws FileError on a device error.
    size_t readAt(uint64_t offset, void* buf, size_t n) const;
    // Writes all n bytes at offset or throws FileError (a short write is an Io error).
    void writeAt(uint64_t offset, const void* buf, size_t n);
    uint64_t size() const;
    void truncate(uint64_t size);
    // Forces written data to the device.
    void flush();

    // Takes a lock on [offset, offset + length) without waiting; false when another
    // open holds a conflicting lock. A lock refused by the fault hooks also gives false.
    bool tryLock(uint64_t offset, uint64_t length, LockKind kind);
    void unlock(uint64_t offset, uint64_t length);
    // Replaces the exclusive lock this open holds on [offset, offset + length) by one
    // on [keepOffset, keepOffset + keepLength), which lies inside it. On POSIX the
    // kept bytes stay locked throughout. On Windows the lock is released and the kept
    // bytes locked again; false when another open took them in between.
    bool narrowLock(uint64_t offset, uint64_t length, uint64_t keepOffset, uint64_t keepLength);

    void close();

private:
    friend void replaceFile(File& replacement, File& replaced, const std::string& to);
#ifdef _WIN32
    void* handle_ = nullptr; // HANDLE; nullptr when closed
#else
    int fd_ = -1;
#endif
    bool writable_ = false;
    std::string path_;
};

// Puts the file of `replacement` in the place of `to`, whose current file the caller
// has open as `replaced`; atomic where the system allows. Afterwards `replacement`
// is the open of `to` (its path is `to`) and `replaced` is closed. On POSIX
// `replaced` stays open, and its sharing lock on the name, until the rename is
// done; on Windows it must be closed first, so the rename fails (FileError, nothing
// changed) if another process opens `to` in that instant.
void replaceFile(File& replacement, File& replaced, const std::string& to);

// Hooks through which tests make file operations fail on purpose: a full disk, a
// short write, a refused lock. Production code never sets them.
struct FaultHooks {
    // Called before each write. Return -1 to let the write proceed; otherwise the
    // number of bytes (0..n) actually written before the write fails with `error`.
    std::function<long long(const std::string& path, uint64_t offset, size_t n)> onWrite;
    FileErrorKind error = FileErrorKind::DiskFull;
    // Called before each lock attempt; true refuses the lock.
    std::function<bool(const std::string& path, uint64_t offset, uint64_t length)> refuseLock;
    // When set, narrowLock works as on Windows everywhere: it releases the whole
    // lock, calls this (another open may take the bytes now), and locks the kept
    // bytes again.
    std::function<void(const std::string& path)> betweenNarrow;
};
void setFaultHooks(FaultHooks hooks);
void clearFaultHooks();
// The hooks in force (empty ones unless a test set them).
FaultHooks currentFaultHooks();

} // namespace dn::platform
