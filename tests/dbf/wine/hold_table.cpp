// Opens a table and takes its locks as the store does, says what it got, and
// holds all of it until its standard input ends. Built for Linux and for Windows,
// so that mixed_locks.sh can set the two builds against each other on one table.
//   dn_hold_table <table> shared|exclusive [record=<n>]... [file]
// Prints "open: ok" or "open: sharing", then "record <n>: ok|busy" and
// "file: ok|busy" for each request, then "held".
#include "common/dbf/table.h"
#include "platform/file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

using namespace dn::dbf;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: dn_hold_table <table> shared|exclusive [record=<n>]... [file]\n");
        return 2;
    }
    Table t;
    try {
        t.open(argv[1], {std::strcmp(argv[2], "exclusive") != 0, false});
        std::printf("open: ok\n");
    } catch (const dn::platform::FileError& e) {
        if (e.kind() != dn::platform::FileErrorKind::Sharing) {
            std::fprintf(stderr, "dn_hold_table: %s\n", e.what());
            return 1;
        }
        std::printf("open: sharing\n");
    }
    try {
        for (int i = 3; t.isOpen() && i < argc; ++i) {
            if (std::strncmp(argv[i], "record=", 7) == 0) {
                const auto r = static_cast<uint32_t>(std::strtoul(argv[i] + 7, nullptr, 10));
                std::printf("record %u: %s\n", r, t.lockRecord(r) ? "ok" : "busy");
            } else if (std::strcmp(argv[i], "file") == 0) {
                std::printf("file: %s\n", t.lockFile() ? "ok" : "busy");
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dn_hold_table: %s\n", e.what());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
