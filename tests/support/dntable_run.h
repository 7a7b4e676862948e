#pragma once

// Runs the administrator's tool as its users run it. DN_DNTABLE is the tool's path,
// defined by the CMakeLists.txt of a test folder when the tool is part of the build;
// tests of the tool are compiled only then.

#ifdef DN_DNTABLE

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace dn::test {

struct ToolRun {
    int status = -1; // exit status; -1 when the tool did not end normally
    std::string out; // standard output and standard error, interleaved
};

// `dntable <args>`; args are passed through the shell, so quote paths.
inline ToolRun dntable(const std::string& args) {
    ToolRun r;
    FILE* p = ::popen((std::string("'" DN_DNTABLE "' ") + args + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        r.out.append(buf.data(), n);
    const int s = ::pclose(p);
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return r;
}

} // namespace dn::test

#endif
