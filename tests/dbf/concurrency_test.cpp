// Several processes append, edit and delete records of one shared table at once;
// afterwards no record is lost or duplicated and the header count is right. A
// writer killed with SIGKILL leaves files that still open.
#include "dbf_test_util.h"

#include "common/dbf/table.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

using namespace dn::dbf;
using dbftest::TempDir;

extern char** environ;

namespace {

pid_t spawnWorker(const std::string& table, int id, int operations, const std::string& out,
                  std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {DN_DBF_WORKER, table, std::to_string(id),
                                     std::to_string(operations), std::to_string(1000 + id)};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, DN_DBF_WORKER, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(rc, 0);
    return pid;
}

int waitExit(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct Report {
    std::vector<std::string> appended;
    std::set<std::string> deleted;
};

Report readReport(const std::string& path) {
    Report r;
    std::istringstream in(dbftest::slurp(path));
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
    const uint64_t size = dbftest::fs::file_size(path);
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

std::string seedTable(const TempDir& dir, int records) {
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

} // namespace

TEST(Concurrency, WritersInSeveralProcessesLoseAndDuplicateNothing) {
    TempDir dir;
    const std::string p = seedTable(dir, 20);
    const int workers = 4, operations = 400;
    std::vector<pid_t> pids;
    for (int id = 1; id <= workers; ++id)
        pids.push_back(spawnWorker(p, id, operations, dir / ("out" + std::to_string(id)),
                                   id == workers ? std::vector<std::string>{"delete"}
                                                 : std::vector<std::string>{}));
    for (pid_t pid : pids)
        EXPECT_EQ(waitExit(pid), 0);

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
    EXPECT_EQ(dbftest::fs::file_size(p),
              t.structure().headerLength() + uint64_t{s.count} * t.structure().recordLength() + 1);
}

TEST(Concurrency, AWriterKilledMidWriteLeavesFilesThatOpenAndLoseNothingCommitted) {
    TempDir dir;
    const std::string p = seedTable(dir, 10);
    std::vector<pid_t> pids;
    for (int id = 1; id <= 3; ++id)
        pids.push_back(spawnWorker(p, id, 0, dir / ("out" + std::to_string(id)),
                                   {"forever", id == 1 ? "delete" : "edit"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    for (pid_t pid : pids)
        ::kill(pid, SIGKILL);
    for (pid_t pid : pids)
        EXPECT_EQ(waitExit(pid), 128 + SIGKILL);

    std::vector<std::string> appended;
    for (int id = 1; id <= 3; ++id) {
        Report r = readReport(dir / ("out" + std::to_string(id)));
        appended.insert(appended.end(), r.appended.begin(), r.appended.end());
    }
    ASSERT_FALSE(appended.empty());
    const TableState s = inspect(p);
    EXPECT_LE(s.blank, 3); // at most one append per killed writer was left unfilled
    for (const std::string& tag : appended)
        EXPECT_EQ(s.tagCount.count(tag) ? s.tagCount.at(tag) : 0, 1) << tag;
    // The dead writers' locks went with them: a new writer works at once.
    const pid_t after = spawnWorker(p, 9, 50, dir / "out9");
    EXPECT_EQ(waitExit(after), 0);
    const TableState t = inspect(p);
    EXPECT_EQ(t.count, s.count + readReport(dir / "out9").appended.size());
}
