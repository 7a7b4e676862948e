#include "platform/posix/posix_util.h"

#include "platform/file.h"
#include "platform/lock_layout.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace dn::platform {

TempFile::TempFile(const std::string& folder) {
    std::string tmpl = folder + "/\x7fTMPXXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    fd_ = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd_ < 0)
        return;
    path_.assign(buf.data());
    // Held like an exclusive open, so that another instance's start-up sweep of
    // 0x7F leftovers leaves this file alone while it is being written.
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(kShareLockOffset);
    fl.l_len = 1;
    ::fcntl(fd_, F_OFD_SETLK, &fl);
}

TempFile::~TempFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
}

bool TempFile::commit(const std::string& target) {
    if (fd_ < 0)
        return false;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (closed && ::rename(path_.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(path_.c_str());
    return false;
}

std::string resolveLinks(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf) == nullptr)
        return path;
    return buf;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string_view baseName(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isHiddenName(std::string_view name) {
    return !name.empty() && name.front() == '.' && name != "." && name != "..";
}

} // namespace dn::platform
