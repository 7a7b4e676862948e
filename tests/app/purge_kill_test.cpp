// A start killed in the middle of its purge (SIGKILL, as a computer switched off):
// the next start finishes the purge and loses nothing. The start runs in the
// start-up worker, which kills itself just before a chosen write to the table or
// to its index: among the flag writes of the table, after the pages of an index
// rebuilt in place and before its headers, and among the key removals of a purge of
// a few deadlines.
#include "startup_fixture.h"

#include "app/startup.h"
#include "app/tables.h"
#include "common/dbf/index_check.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "common/util/clock.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>

extern char** environ;

using namespace dn;
using namespace starttest;

namespace {

// Runs the start-up worker in the data folder; returns its exit code, or 128 + the
// signal that ended it. What it reported goes to `said`.
int runStart(const fs::path& folder, const fs::path& temp, const std::string& dieAt,
             std::string& said) {
    dn::test::ChildProcess::Options o;
    o.workDir = folder.string();
    o.env = {{"TEMP", temp.string()}};
    dn::test::ChildProcess worker(DN_STARTUP_WORKER,
                                  dieAt.empty() ? std::vector<std::string>{}
                                                : std::vector<std::string>{"die-at=" + dieAt},
                                  o);
    worker.closeInput(); // it goes on at once where it would wait for the test
    said.clear();
    while (const auto line = worker.readLine())
        said += *line + "\n";
    return worker.wait();
}

struct Purge {
    std::vector<std::string> records;   // every record's bytes, flag included
    std::set<uint32_t> expectedDeleted; // done deadlines of past days
};

// Writes a deadline table of `count` records into the current folder: every third
// one not done, dates from 300 days ago to 100 days ahead; `everyPurged` > 1 keeps
// all but one in that many of the done past ones by moving them to today.
Purge writeDeadlines(uint32_t count, uint32_t everyPurged = 1) {
    Purge p;
    const Date today = clock::today();
    dbf::Table::create(schema::kDeadlines, schema::deadlineFields());
    dbf::Table t;
    t.open(schema::kDeadlines, {false, false});
    uint32_t past = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const bool done = i % 3 != 0;
        Date due = today.addDays(static_cast<int>(i % 401) - 300);
        if (done && due < today && ++past % everyPurged != 0)
            due = today;
        t.append();
        t.put("CODICE", schema::slotCode(1 + static_cast<int>(i % 10)));
        t.put("DATA", due);
        t.put("INCOMBENZA", "Scadenza " + std::to_string(i + 1));
        t.put("EVASA", done);
        if (done && due < today)
            p.expectedDeleted.insert(i + 1);
    }
    t.commit();
    t.scan(1, count, [&](uint32_t, std::string_view rec) { p.records.emplace_back(rec); });
    return p;
}

} // namespace

class PurgeKill : public StartupTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PurgeKill, TheNextStartFinishesThePurgeAndLosesNothing) {
    // The cases differ in how many deadlines go: many (the index is rebuilt in
    // place) or few (its keys are removed one by one).
    const std::string dieAt = GetParam();
    const bool few = dieAt.find("few") != std::string::npos;
    ASSERT_TRUE(app::MAIN()); // every other file of a data folder
    restart();
    const Purge p = writeDeadlines(20000, few ? 40 : 1);
    fs::remove(file("SCADENZE.NTX"));
    ASSERT_TRUE(app::ensureIndex(schema::kDeadlines, schema::kDeadlineKey, app::deadlineKey()));
    ASSERT_GT(p.expectedDeleted.size(), few ? 100u : 5000u);
    if (few) {
        ASSERT_LT(p.expectedDeleted.size(), 20000u / 16);
    }
    // Whatever the kill hit, the files were in use by the start and are not now.
    const std::string where = dieAt.substr(0, dieAt.find(' '));
    std::string said;
    ASSERT_EQ(runStart(data(), temp(), where, said), 128 + SIGKILL) << said;
    // Until then the index says that a change was left half-written.
    const dbf::IndexCheckReport check =
        dbf::verifyIndexStructure(dbf::IndexFile::open(file("SCADENZE.NTX"), false));
    ASSERT_FALSE(check.ok());
    EXPECT_NE(check.problems.front().find("rimasta a met"), std::string::npos);
    ASSERT_EQ(runStart(data(), temp(), {}, said), 0) << said;

    dbf::Table t;
    t.open(schema::kDeadlines, {true, true});
    ASSERT_EQ(t.recordCount(), p.records.size());
    std::set<uint32_t> deleted, live;
    t.scan(1, t.recordCount(), [&](uint32_t r, std::string_view rec) {
        (rec[0] == '*' ? deleted : live).insert(r);
        // Nothing but the flag changed.
        EXPECT_EQ(rec.substr(1), std::string_view(p.records[r - 1]).substr(1)) << r;
    });
    EXPECT_EQ(deleted, p.expectedDeleted);
    // The index lists exactly the live records, as an independent reader sees it.
    std::istringstream keys(perlKeys(file("SCADENZE.NTX"), "SCADENZE"));
    std::set<uint32_t> keyed;
    for (std::string line; std::getline(keys, line);)
        keyed.insert(static_cast<uint32_t>(std::stoul(line.substr(line.find('\t') + 1))));
    EXPECT_EQ(keyed, live);
}

INSTANTIATE_TEST_SUITE_P(, PurgeKill,
                         ::testing::Values("SCADENZE.DBF:2 while marking records",
                                           "SCADENZE.NTX:3 while rebuilding the index",
                                           "SCADENZE.NTX:4 while removing few keys"));
