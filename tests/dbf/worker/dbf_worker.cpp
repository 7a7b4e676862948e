// Worker of the multi-process table test. Appends, edits and (optionally) deletes
// records of a shared table under the lock convention and prints what it did:
//   A <tag>   a record appended with that tag in GENERAZIO
//   D <tag>   the record with that tag marked deleted
// Usage: dbf_worker <table> <id> <operations> <seed> [delete] [forever]
//                   [index=<index file>] [die-in-index]
// With "forever" it runs until killed. With an index file, every write also keeps
// that index current; "die-in-index" ends the worker outright in the middle of
// its 20th index change. Exit code 2 when a lock stays busy too long.
#include "common/dbf/index_expr.h"
#include "common/dbf/index_maintain.h"
#include "common/dbf/table.h"
#include "tests/support/process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>

using namespace dn::dbf;

namespace {

// Retries a non-blocking lock as the data layer does, with a bound so that a
// broken lock protocol ends the test instead of hanging it.
template <typename F>
void waitFor(F tryIt) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!tryIt()) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "lock stays busy\n");
            std::exit(2);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

std::string tagOf(int id, int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%08d", id, n);
    return buf;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5)
        return 1;
    const std::string path = argv[1];
    const int id = std::atoi(argv[2]);
    const int operations = std::atoi(argv[3]);
    std::mt19937 rng(static_cast<unsigned>(std::atoi(argv[4])));
    bool deletes = false, forever = false, dieInIndex = false;
    std::string indexPath;
    for (int i = 5; i < argc; ++i) {
        deletes = deletes || std::strcmp(argv[i], "delete") == 0;
        forever = forever || std::strcmp(argv[i], "forever") == 0;
        dieInIndex = dieInIndex || std::strcmp(argv[i], "die-in-index") == 0;
        if (std::strncmp(argv[i], "index=", 6) == 0)
            indexPath = argv[i] + 6;
    }
    try {
        IndexFile index; // declared before the table, which tells it of writes until closed
        IndexMaintainer indexes;
        Table t;
        t.open(path);
        if (!indexPath.empty()) {
            index = IndexFile::open(indexPath, true);
            const IndexDefinition& d = index.definition();
            indexes.add(&index, compileKeyExpression(d.keyExpression, d.forExpression, t).eval);
            t.addObserver(&indexes);
        }
        if (dieInIndex) {
            // Page writes come only after a change has marked the index as changing.
            dn::platform::FaultHooks hooks;
            static int pages = 0;
            hooks.onWrite = [p = index.path()](const std::string& file, uint64_t,
                                               size_t n) -> long long {
                if (file == p && n == 512 && ++pages == 20)
                    dn::test::dieNow();
                return -1;
            };
            dn::platform::setFaultHooks(hooks);
        }
        int appended = 0;
        for (int op = 0; forever || op < operations; ++op) {
            const int kind = static_cast<int>(rng() % 10);
            const uint32_t count = t.recordCount();
            if (kind < 5 || count == 0) {
                // Append: file lock, append, fields, commit, release.
                waitFor([&] { return t.lockFile(); });
                waitFor([&] { return t.append(); });
                // On Windows the append may come back without the new record's lock
                // (docs/locking.md); it is then taken as any record lock is.
                waitFor([&] { return t.lockRecord(t.recno()); });
                const std::string tag = tagOf(id, ++appended);
                t.put("CODICE", std::to_string(id));
                t.put("GENERAZIO", tag);
                t.put("INCOMBENZA", "memo " + tag + " v0\r\n" + std::string(rng() % 300, 'a'));
                t.commit();
                t.unlockAll();
                std::printf("A %s\n", tag.c_str());
                std::fflush(stdout);
            } else if (kind < 9 || !deletes) {
                // Edit: record lock, change a field and the memo, commit, release.
                const uint32_t r = 1 + static_cast<uint32_t>(rng() % count);
                waitFor([&] { return t.lockRecord(r); });
                t.goTo(r);
                if (!t.deleted()) {
                    const std::string tag = t.get("GENERAZIO").text();
                    t.put("ORA", std::to_string(op % 100000));
                    t.put("INCOMBENZA", "memo " + tag + " v" + std::to_string(op) + "\r\n" +
                                            std::string(rng() % 2000, 'b'));
                    t.commit();
                }
                t.unlockAll();
            } else {
                // Delete: file lock, mark, commit, release.
                const uint32_t r = 1 + static_cast<uint32_t>(rng() % count);
                waitFor([&] { return t.lockFile(); });
                t.goTo(r);
                if (!t.deleted()) {
                    t.setDeleted(true);
                    t.commit();
                    std::printf("D %s\n", t.get("GENERAZIO").text().c_str());
                    std::fflush(stdout);
                }
                t.unlockAll();
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "worker %d: %s\n", id, e.what());
        return 3;
    }
    return 0;
}
