#pragma once

#include <string>
#include <string_view>
#include <unistd.h>

namespace dn::platform {

// An owned file descriptor.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    int get() const { return fd_; }

private:
    int fd_;
};

// A new file in folder, named 0x7F + "TMP" + random letters (so that the start-up
// sweep removes it if the process dies), that either replaces a target by
// renaming or is deleted when dropped.
class TempFile {
public:
    explicit TempFile(const std::string& folder);
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();
    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Closes the file and renames it to target; false (and deleted) on failure.
    bool commit(const std::string& target);

private:
    int fd_ = -1;
    std::string path_;
};

// The path a symbolic link leads to, or path itself when it is no link or its
// end cannot be resolved.
std::string resolveLinks(const std::string& path);
// The folder part of path ("." when it has none, "/" for a file at the root).
std::string folderOf(const std::string& path);
// The last name of path, trailing "/" ignored.
std::string_view baseName(std::string_view path);
// A name that begins with "." other than "." and "..".
bool isHiddenName(std::string_view name);

} // namespace dn::platform
