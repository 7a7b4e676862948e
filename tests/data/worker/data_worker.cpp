// Plays another instance of the program for the data layer's tests. Takes what it
// is asked to hold, reports READY, and holds it for the given milliseconds or, when
// none are given, until a line (or the end) comes on its standard input: a minute
// at most, so that a test whose code never lets it go still ends. Then it reports
// RELEASE with the moment just before it let go, and exits. Events are printed as
// tests/support/events.h describes.
//
//   data_worker lock <table> <recno> [ms]     record lock on a shared open
//   data_worker filelock <table> [ms]         table lock on a shared open
//   data_worker shared <table> [ms]           shared open
//   data_worker exclusive <table> [ms]        exclusive open
//   data_worker instance <folder> [ms]        a live instance folder (marker held)
//   data_worker append <table> <count> <ms>   appends count deadlines (appended.h)
//                                             as the program's writers do, each
//                                             locked until its commit, pausing ms
//                                             before the commit and after the
//                                             unlock; READY after the first,
//                                             RELEASE after the last
//   data_worker foreign <table> <recno> [ms]  another program's lock, without the
//                                             sharing byte: record recno's, or the
//                                             file lock when recno is 0

#include "common/data/library.h"
#include "common/dbf/table.h"
#include "platform/file.h"
#include "platform/lock_layout.h"
#include "tests/data/worker/appended.h"
#include "tests/support/events.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Holds until the test says so (or for ms milliseconds), then returns the moment
// of the release.
long long holdUntilReleased(int argc, char** argv, int msArg) {
    dn::test::reportEvent("READY");
    if (argc > msArg) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(argv[msArg])));
    } else {
        // A reader of its own, so that the wait can end after a minute (on Windows
        // as well, where a pipe cannot be waited on with a time limit).
        static std::mutex m;
        static std::condition_variable said;
        static bool line = false;
        std::thread([] {
            int c;
            while ((c = std::getchar()) != EOF && c != '\n') {
            }
            const std::lock_guard<std::mutex> l(m);
            line = true;
            said.notify_one();
        }).detach();
        std::unique_lock<std::mutex> l(m);
        said.wait_for(l, std::chrono::minutes(1), [] { return line; });
    }
    return dn::test::monotonicMs();
}

int usage() {
    std::fprintf(stderr,
                 "usage: data_worker lock|filelock|shared|exclusive|instance|append|foreign ...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return usage();
    const std::string cmd = argv[1];
    try {
        if (cmd == "instance") {
            std::filesystem::create_directories(argv[2]);
            dn::platform::File marker = dn::data::holdMarker(argv[2]);
            const long long released = holdUntilReleased(argc, argv, 3);
            marker.close();
            dn::test::reportEvent("RELEASE", {}, released);
            return 0;
        }
        if (cmd == "foreign") {
            if (argc < 4)
                return usage();
            const long recno = std::atol(argv[3]);
            dn::platform::File f = dn::platform::File::open(argv[2], true);
            const bool got =
                recno == 0 ? f.tryLock(dn::platform::kFileLockOffset, dn::platform::kFileLockLength,
                                       dn::platform::LockKind::Exclusive)
                           : f.tryLock(dn::platform::kRecordLockBase + static_cast<uint64_t>(recno),
                                       1, dn::platform::LockKind::Exclusive);
            if (!got)
                return 3;
            const long long released = holdUntilReleased(argc, argv, 4);
            f.close();
            dn::test::reportEvent("RELEASE", {}, released);
            return 0;
        }
        dn::dbf::Table t;
        t.open(argv[2], dn::dbf::OpenOptions{cmd != "exclusive", false});
        long long released = 0;
        if (cmd == "append") {
            if (argc < 5)
                return usage();
            const unsigned count = static_cast<unsigned>(std::atol(argv[3]));
            const auto pause = std::chrono::milliseconds(std::atol(argv[4]));
            const unsigned first = t.recordCount();
            for (unsigned i = first; i < first + count; ++i) {
                // The append takes the file lock and leaves the new record, blank
                // and counted, locked until it is filled and committed.
                while (!t.append())
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                std::this_thread::sleep_for(pause);
                workerdata::putAppended(t, i);
                t.commit();
                t.unlockAll();
                if (i == first)
                    dn::test::reportEvent("READY");
                std::this_thread::sleep_for(pause);
            }
            released = dn::test::monotonicMs();
        } else if (cmd == "lock") {
            if (argc < 4 || !t.lockRecord(static_cast<uint32_t>(std::atol(argv[3]))))
                return 3;
            released = holdUntilReleased(argc, argv, 4);
        } else if (cmd == "filelock") {
            if (!t.lockFile())
                return 3;
            released = holdUntilReleased(argc, argv, 3);
        } else if (cmd == "shared" || cmd == "exclusive") {
            released = holdUntilReleased(argc, argv, 3);
        } else {
            return usage();
        }
        t.close();
        dn::test::reportEvent("RELEASE", {}, released);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "data_worker: %s\n", e.what());
        return 1;
    }
    return 0;
}
