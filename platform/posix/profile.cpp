#include "platform/profile.h"

#include "platform/fileops.h"
#include "platform/ini_text.h"
#include "platform/posix/posix_util.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dn::platform {

namespace {

// The whole file; nothing when it is missing or cannot be read.
std::optional<std::string> readAll(const std::string& path) {
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!fd.ok() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    std::string out;
    char buf[65536];
    for (;;) {
        const ssize_t r = ::read(fd.get(), buf, sizeof buf);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return std::nullopt;
        if (r == 0)
            return out;
        out.append(buf, static_cast<size_t>(r));
    }
}

IniText load(const std::string& file) {
    const auto bytes = readAll(file);
    return bytes ? IniText(*bytes) : IniText();
}

mode_t newFileMode() {
    const mode_t m = ::umask(022);
    ::umask(m);
    return 0666 & ~m;
}

} // namespace

std::string GETPVPROFSTRING(const std::string& section, const std::string& key,
                            const std::string& fallback, const std::string& file) {
    const auto v = load(file).value(section, key);
    return v ? unquoteProfileValue(*v) : fallback;
}

bool WRITEPVPROFSTRING(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file) {
    if (!IniText::isValidEntry(section, key, value))
        return false;
    const std::string real = resolveLinks(file);
    struct stat st {};
    const bool exists = ::stat(real.c_str(), &st) == 0;
    std::optional<std::string> old;
    if (exists) {
        // A file that may not be written is refused, as on Windows, even though
        // its folder would let us replace it.
        if (!S_ISREG(st.st_mode) || probeWriteAccess(real) != WriteAccess::Writable)
            return false;
        old = readAll(real);
        if (!old)
            return false;
    }
    IniText ini(old.value_or(std::string()));
    ini.set(section, key, value);
    const std::string bytes = ini.bytes();
    // The new text goes to a temporary file that replaces the old one whole, so a
    // full disk or a crash half-way leaves the old file intact.
    TempFile tmp(folderOf(real));
    if (!tmp.ok())
        return false;
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t w = ::write(tmp.fd(), p, left);
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0)
            return false;
        p += w;
        left -= static_cast<size_t>(w);
    }
    const mode_t mode = exists ? (st.st_mode & 07777) : newFileMode();
    if (::fchmod(tmp.fd(), mode) != 0 || ::fsync(tmp.fd()) != 0)
        return false;
    // The replacement keeps the old file's owner where the system allows it.
    if (exists && ::fchown(tmp.fd(), st.st_uid, st.st_gid) != 0) {
    }
    return tmp.commit(real);
}

std::vector<std::string> GETPVPROFSECTION(const std::string& section, const std::string& file) {
    return load(file).keys(section);
}

std::vector<std::pair<std::string, std::string>> GETPVPROFSECTIONENTRIES(const std::string& section,
                                                                         const std::string& file) {
    auto out = load(file).entries(section);
    for (auto& [key, value] : out)
        value = unquoteProfileValue(std::move(value));
    return out;
}

std::vector<std::string> GETPVPROFSECTIONNAMES(const std::string& file) {
    return load(file).sections();
}

} // namespace dn::platform
