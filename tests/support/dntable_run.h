#pragma once

// Runs the administrator's tool as its users run it. DN_DNTABLE is the tool's path,
// defined by the CMakeLists.txt of a test folder when the tool is part of the build;
// tests of the tool are compiled only then.

#ifdef DN_DNTABLE

#include "tests/support/process.h"

#include <string>
#include <vector>

namespace dn::test {

// Its exit status, and its standard output and standard error interleaved.
using ToolRun = CommandResult;

// `dntable <args>`, each argument one word (paths need no quoting).
inline ToolRun dntable(const std::vector<std::string>& args) {
    return runProgram(DN_DNTABLE, args);
}

} // namespace dn::test

#endif
