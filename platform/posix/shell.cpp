#include "platform/shell.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace dn::platform {

bool openUrl(const std::string& url) {
    // xdg-open may keep running as long as the mail program does; a double fork
    // leaves no child of ours to reap later.
    const pid_t middle = ::fork();
    if (middle < 0)
        return false;
    if (middle == 0) {
        ::setsid();
        pid_t handler = 0;
        std::string prog = "xdg-open";
        char* argv[] = {prog.data(), const_cast<char*>(url.c_str()), nullptr};
        const int rc = ::posix_spawnp(&handler, "xdg-open", nullptr, nullptr, argv, environ);
        ::_exit(rc == 0 ? 0 : 127);
    }
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string programPath() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return std::string();
    return std::string(buf, static_cast<size_t>(n));
}

} // namespace dn::platform
