#include "tests/support/readers.h"

#include "tests/support/process.h"

#include <filesystem>

namespace dn::test {

namespace {

std::string dbfTestsDir() {
    return DN_TESTS_DIR "/dbf";
}

std::string python() {
    return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

} // namespace

std::string interopScript(const std::string& command, const std::string& path,
                          const std::vector<std::string>& more) {
    std::string line = python() + " " + shellQuote(dbfTestsDir() + "/interop.py") + " " + command +
                       " " + shellQuote(path);
    for (const std::string& arg : more)
        line += " " + shellQuote(arg);
    return commandOutput(line + " 2>&1");
}

std::string perlIndexKeys(const std::string& index, const std::string& tag, char type) {
    return commandOutput("perl " + shellQuote(dbfTestsDir() + "/index_list.pl") + " " +
                         shellQuote(index) + " " + shellQuote(tag) + " " + type + " 2>&1");
}

} // namespace dn::test
