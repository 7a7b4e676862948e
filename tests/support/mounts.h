#pragma once

// Mounts made by tests that need a real full or write-protected file system, or
// a file that cannot be deleted. They need the right to mount (root in CI, or a
// user namespace); the first one moves the test process into a private mount
// namespace where it can, so that nothing is left mounted when a test dies.

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace dn::test {

namespace detail {
inline bool writeProcFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ::close(fd);
    return ok;
}
} // namespace detail

// Root gets a private mount namespace; another user, where the system allows it, a
// user namespace in which it is root as well (permissions then no longer stop it,
// and geteuid() says so).
inline void enterPrivateMounts() {
    static const bool done = [] {
        if (::geteuid() != 0) {
            const std::string uid = std::to_string(::geteuid()), gid = std::to_string(::getegid());
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                return false;
            detail::writeProcFile("/proc/self/setgroups", "deny");
            detail::writeProcFile("/proc/self/uid_map", "0 " + uid + " 1");
            detail::writeProcFile("/proc/self/gid_map", "0 " + gid + " 1");
        } else if (::unshare(CLONE_NEWNS) != 0) {
            return false;
        }
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        return true;
    }();
    (void)done;
}

class ScopedMount {
public:
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
    ~ScopedMount() {
        if (ok_)
            ::umount2(target_.c_str(), MNT_DETACH);
    }

    // A tmpfs of the given size in bytes on the folder dir.
    static ScopedMount tmpfs(const std::string& dir, unsigned long bytes) {
        enterPrivateMounts();
        const std::string opts = "size=" + std::to_string(bytes);
        ScopedMount m(dir);
        m.attempt(::mount("tmpfs", dir.c_str(), "tmpfs", 0, opts.c_str()), "tmpfs");
        return m;
    }

    // source (a file or folder) seen again at target, which must exist; read-only
    // when readOnly is true.
    static ScopedMount bind(const std::string& source, const std::string& target, bool readOnly) {
        enterPrivateMounts();
        ScopedMount m(target);
        m.attempt(::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr), "bind");
        if (m.ok_ && readOnly) {
            // A bind mount takes the read-only flag only on a remount.
            if (::mount(nullptr, target.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                        nullptr) != 0) {
                m.error_ = std::string("read-only remount: ") + std::strerror(errno);
                ::umount2(target.c_str(), MNT_DETACH);
                m.ok_ = false;
            }
        }
        return m;
    }

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

private:
    explicit ScopedMount(std::string target) : target_(std::move(target)) {}
    ScopedMount(ScopedMount&& o) noexcept
        : target_(std::move(o.target_)), ok_(o.ok_), error_(std::move(o.error_)) {
        o.ok_ = false;
    }
    void attempt(int rc, const char* what) {
        ok_ = rc == 0;
        if (!ok_)
            error_ = std::string(what) + " mount not allowed here: " + std::strerror(errno);
    }

    std::string target_;
    bool ok_ = false;
    std::string error_;
};

} // namespace dn::test
