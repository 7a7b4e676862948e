// Several processes append, edit and delete records of one shared table at once;
// afterwards no record is lost or duplicated and the header count is right, and the
// index check finds every live record once, in order. A writer killed outright
// leaves files that still open, and an index it left half-written is reported by
// the check and mended by a rebuild.
#include "common/dbf/index_check.h"
#include "common/dbf/index_expr.h"
#include "common/dbf/index_maintain.h"
#include "common/dbf/table.h"
#include "dbf_test_util.h"
#include "tests/support/dntable_run.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

using namespace dn::dbf;
using dn::test::ChildProcess;
using dn::test::TempFolder;

namespace {

// A writer (worker/dbf_worker.cpp) whose report goes to the file out.
std::unique_ptr<ChildProcess> spawnWorker(const std::string& table, int id, int operations,
                                          const std::string& out,
                                          std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {table, std::to_string(id), std::to_string(operations),
                                     std::to_string(1000 + id)};
    args.insert(args.end(), extra.begin(), extra.end());
    ChildProcess::Options options;
    options.outputFile = out;
    return std::make_unique<ChildProcess>(DN_DBF_WORKER, args, options);
}

struct Report {
    std::vector<std::string> appended;
    std::set<std::string> deleted;
};

Report readReport(const std::string& path) {
    Report r;
    std::istringstream in(dn::test::readFile(path));
    std::string kind, tag;
    while (in >> kind >> tag)
        (kind == "A" ? r.appended.push_back(tag) : (void)r.deleted.insert(tag));
    return r;
}

struct TableState {
    std::map<std::string, int> tagCount; // GENERAZIO -> number of records carrying it
    std::set<std::string> deletedTags;
    int blank = 0; // appended but never filled (a writer died in between)
    uint32_t count = 0;
};

// Reads every record, checking on the way that each record's memo belongs to it.
TableState inspect(const std::string& path) {
    TableState s;
    Table t;
    t.open(path, {true, true});
    s.count = t.recordCount();
    const uint64_t size = std::filesystem::file_size(path);
    const uint64_t end = t.structure().headerLength() +
                         static_cast<uint64_t>(s.count) * t.structure().recordLength();
    EXPECT_LE(end, size);
    for (uint32_t r = 1; r <= s.count; ++r) {
        t.goTo(r);
        std::string tag = t.get("GENERAZIO").text();
        if (tag == std::string(10, ' ')) {
            ++s.blank;
            continue;
        }
        ++s.tagCount[tag];
        if (t.deleted())
            s.deletedTags.insert(tag);
        const std::string memo = t.get("INCOMBENZA").text();
        EXPECT_EQ(memo.substr(0, 16), "memo " + tag + " ") << "record " << r;
        EXPECT_EQ(t.get("CODICE").text().substr(0, 10),
                  std::string(10, ' ').replace(0,
                                               std::to_string(std::stoi(tag.substr(0, 2))).size(),
                                               std::to_string(std::stoi(tag.substr(0, 2)))));
    }
    return s;
}

std::string seedTable(const TempFolder& dir, int records) {
    const std::string p = Table::create(dir / "scadenze", dbftest::deadlineFields());
    Table t;
    t.open(p);
    for (int i = 1; i <= records; ++i) {
        EXPECT_TRUE(t.append());
        char tag[16];
        std::snprintf(tag, sizeof tag, "00%08d", i);
        t.put("CODICE", std::string("0"));
        t.put("GENERAZIO", std::string(tag));
        t.put("INCOMBENZA", "memo " + std::string(tag) + " seed");
        t.commit();
        t.unlockAll();
    }
    return p;
}

// The deadline index of the table, which the workers keep current with "index=".
std::string seedIndex(const TempFolder& dir, const std::string& table) {
    Table t;
    t.open(table, {false, true});
    IndexDefinition def;
    def.keyExpression = dn::schema::kDeadlineKey;
    const KeyExpression key = compileKeyExpression(def.keyExpression, def.forExpression, t);
    def.keyLength = key.shape.length;
    return IndexFile::create(dir / "scadenze", "", def, tableScan(t), key.eval).path();
}

// The index check of the tool (of the library when the tool is not built): true when
// it finds nothing wrong; its report in `out`.
bool indexCheck(const std::string& table, const std::string& index, std::string& out) {
#ifdef DN_DNTABLE
    const dn::test::ToolRun r = dn::test::dntable({"check", table, index});
    out = r.out;
    return r.status == 0;
#else
    Table t;
    t.open(table, {true, true});
    const IndexFile idx = IndexFile::open(index, false);
    const IndexDefinition& d = idx.definition();
    const IndexCheckReport r = checkIndex(
        idx, tableScan(t), compileKeyExpression(d.keyExpression, d.forExpression, t).eval);
    out.clear();
    for (const std::string& p : r.problems)
        out += p + "\n";
    return r.ok();
#endif
}

void rebuildIndex(const std::string& table, const std::string& index) {
    Table t;
    t.open(table, {false, false});
    IndexDefinition def;
    std::string tag;
    {
        // Closed before the rebuild: Windows replaces no open file.
        const IndexFile old = IndexFile::open(index, false);
        def = old.definition();
        tag = old.tagName();
    }
    const KeyExpression key = compileKeyExpression(def.keyExpression, def.forExpression, t);
    IndexFile::create(index, tag, def, tableScan(t), key.eval);
}

} // namespace

TEST(Concurrency, WritersInSeveralProcessesLoseAndDuplicateNothing) {
    TempFolder dir;
    const std::string p = seedTable(dir, 20);
    const std::string index = seedIndex(dir, p);
    const int workers = 4, operations = 400;
    std::vector<std::unique_ptr<ChildProcess>> writers;
    for (int id = 1; id <= workers; ++id)
        writers.push_back(spawnWorker(p, id, operations, dir / ("out" + std::to_string(id)),
                                      id == workers
                                          ? std::vector<std::string>{"delete", "index=" + index}
                                          : std::vector<std::string>{"index=" + index}));
    for (auto& w : writers)
        EXPECT_EQ(w->wait(), 0);

    std::vector<std::string> appended;
    std::set<std::string> deleted;
    for (int id = 1; id <= workers; ++id) {
        Report r = readReport(dir / ("out" + std::to_string(id)));
        appended.insert(appended.end(), r.appended.begin(), r.appended.end());
        deleted.insert(r.deleted.begin(), r.deleted.end());
    }
    ASSERT_GT(appended.size(), 100u);
    EXPECT_FALSE(deleted.empty());

    const TableState s = inspect(p);
    EXPECT_EQ(s.count, 20 + appended.size());
    EXPECT_EQ(s.blank, 0);
    for (const std::string& tag : appended)
        EXPECT_EQ(s.tagCount.count(tag) ? s.tagCount.at(tag) : 0, 1) << tag;
    for (int i = 1; i <= 20; ++i) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "00%08d", i);
        EXPECT_EQ(s.tagCount.count(tag) ? s.tagCount.at(tag) : 0, 1) << tag;
    }
    EXPECT_EQ(s.deletedTags, deleted);
    // The file holds exactly the records that the header counts, and the end mark.
    Table t;
    t.open(p, {true, true});
    EXPECT_EQ(std::filesystem::file_size(p),
              t.structure().headerLength() + uint64_t{s.count} * t.structure().recordLength() + 1);
    // Every live record in the index once, in key order.
    std::string report;
    EXPECT_TRUE(indexCheck(p, index, report)) << report;
    EXPECT_EQ(IndexFile::open(index, false).count(), s.count - s.deletedTags.size());
}

// On Windows an append lets the file lock go before it locks its new record, and
// another open may edit the new, blank record in that instant. The index must
// already hold the blank record's key then, or the editor's change cannot move it
// and the appender adds a second, stale key afterwards.
TEST(Concurrency, AnEditInTheInstantAnAppendLetsGoLeavesOneKeyForTheRecord) {
    TempFolder dir;
    const std::string p = seedTable(dir, 3);
    const std::string index = seedIndex(dir, p);
    auto keep = [&](Table& t, IndexFile& idx, IndexMaintainer& m) {
        t.open(p);
        idx = IndexFile::open(index, true);
        const IndexDefinition& d = idx.definition();
        m.add(&idx, compileKeyExpression(d.keyExpression, d.forExpression, t).eval);
        t.addObserver(&m);
    };
    IndexFile myIndex, otherIndex; // declared before the tables that tell them of writes
    IndexMaintainer mine, others;
    Table appender, editor;
    keep(appender, myIndex, mine);
    keep(editor, otherIndex, others);

    bool edited = false;
    dn::platform::FaultHooks hooks;
    hooks.betweenNarrow = [&](const std::string&) {
        if (edited)
            return;
        edited = true;
        const uint32_t fresh = editor.recordCount();
        ASSERT_TRUE(editor.lockRecord(fresh));
        editor.goTo(fresh);
        editor.put("ORA", std::string("1200"));
        editor.commit();
        editor.unlockAll();
    };
    dn::platform::setFaultHooks(hooks);
    const bool appended = appender.append();
    dn::platform::clearFaultHooks();
    ASSERT_TRUE(appended);
    ASSERT_TRUE(edited);
    appender.unlockAll();

    std::string report;
    EXPECT_TRUE(indexCheck(p, index, report)) << report;
    EXPECT_EQ(IndexFile::open(index, false).count(), 4u);
}

TEST(Concurrency, AWriterKilledMidWriteLeavesFilesThatOpenAndLoseNothingCommitted) {
    TempFolder dir;
    const std::string p = seedTable(dir, 10);
    const std::string index = seedIndex(dir, p);
    std::vector<std::unique_ptr<ChildProcess>> writers;
    for (int id = 1; id <= 3; ++id)
        writers.push_back(
            spawnWorker(p, id, 0, dir / ("out" + std::to_string(id)),
                        id == 1 ? std::vector<std::string>{"forever", "delete", "index=" + index}
                                : std::vector<std::string>{"forever", "index=" + index}));
    // Killed once each has appended a few records, however long a busy machine
    // takes to get them going.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    for (int id = 1; id <= 3; ++id) {
        while (readReport(dir / ("out" + std::to_string(id))).appended.size() < 10 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Stopped first, so that none sees what the kill of another left behind.
    for (auto& w : writers)
        w->stop();
    for (auto& w : writers)
        w->kill();
    for (auto& w : writers)
        EXPECT_EQ(w->wait(), ChildProcess::kKilledStatus);

    std::vector<std::string> appended;
    for (int id = 1; id <= 3; ++id) {
        Report r = readReport(dir / ("out" + std::to_string(id)));
        appended.insert(appended.end(), r.appended.begin(), r.appended.end());
    }
    ASSERT_GE(appended.size(), 30u) << "the writers did not get going";
    const TableState s = inspect(p);
    EXPECT_LE(s.blank, 3); // at most one append per killed writer was left unfilled
    for (const std::string& tag : appended)
        EXPECT_EQ(s.tagCount.count(tag) ? s.tagCount.at(tag) : 0, 1) << tag;
    // Whatever the kills left in the index, a rebuild mends it.
    std::string report;
    indexCheck(p, index, report);
    rebuildIndex(p, index);
    EXPECT_TRUE(indexCheck(p, index, report)) << report;
    // A writer killed in the middle of an index change: the check names the change
    // left half-written, and a rebuild mends it.
    EXPECT_EQ(
        spawnWorker(p, 8, 0, dir / "out8", {"forever", "index=" + index, "die-in-index"})->wait(),
        ChildProcess::kKilledStatus);
    EXPECT_FALSE(indexCheck(p, index, report));
    EXPECT_NE(report.find("rimasta a met"), std::string::npos) << report;
    rebuildIndex(p, index);
    EXPECT_TRUE(indexCheck(p, index, report)) << report;
    // The dead writers' locks went with them: a new writer works at once.
    EXPECT_EQ(spawnWorker(p, 9, 50, dir / "out9", {"index=" + index})->wait(), 0);
    const TableState t = inspect(p);
    // Worker 8 may have died after writing a record and before reporting it.
    size_t by8 = 0;
    for (const auto& [tag, n] : t.tagCount)
        by8 += tag.compare(0, 2, "08") == 0 ? static_cast<size_t>(n) : 0;
    EXPECT_GE(by8, readReport(dir / "out8").appended.size());
    EXPECT_EQ(t.count, s.count + by8 + readReport(dir / "out9").appended.size() +
                           static_cast<uint32_t>(t.blank - s.blank));
    EXPECT_TRUE(indexCheck(p, index, report)) << report;
}
