// Plays another instance of the program for the data layer's tests. Takes what it
// is asked to hold, prints "ready", holds it for the given milliseconds, and exits
// (which releases everything).
//
//   data_worker lock <table> <recno> <ms>     record lock on a shared open
//   data_worker filelock <table> <ms>         table lock on a shared open
//   data_worker shared <table> <ms>           shared open
//   data_worker exclusive <table> <ms>        exclusive open
//   data_worker instance <folder> <ms>        a live instance folder (marker held)

#include "common/data/library.h"
#include "common/dbf/table.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

void ready() {
    std::printf("ready\n");
    std::fflush(stdout);
}

void hold(const char* ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(ms)));
}

int usage() {
    std::fprintf(stderr, "usage: data_worker lock|filelock|shared|exclusive|instance ...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return usage();
    const std::string cmd = argv[1];
    try {
        if (cmd == "instance") {
            std::filesystem::create_directories(argv[2]);
            dn::platform::File marker = dn::data::holdMarker(argv[2]);
            ready();
            hold(argv[3]);
            return 0;
        }
        dn::dbf::Table t;
        t.open(argv[2], dn::dbf::OpenOptions{cmd != "exclusive", false});
        if (cmd == "lock") {
            if (argc < 5 || !t.lockRecord(static_cast<uint32_t>(std::atol(argv[3]))))
                return 3;
            ready();
            hold(argv[4]);
        } else if (cmd == "filelock") {
            if (!t.lockFile())
                return 3;
            ready();
            hold(argv[3]);
        } else if (cmd == "shared" || cmd == "exclusive") {
            ready();
            hold(argv[3]);
        } else {
            return usage();
        }
        t.close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "data_worker: %s\n", e.what());
        return 1;
    }
    return 0;
}
