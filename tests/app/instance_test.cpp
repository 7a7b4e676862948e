// Instance identity and the start-up lock: names, folders, the marker file, the
// lock table and who holds its record lock.
#include "common/data/errors.h"
#include "common/data/instance.h"
#include "common/data/library.h"
#include "common/data/startup_lock.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/dbf/table.h"
#include "startup_fixture.h"
#include "tests/support/env.h"

using namespace dn;
using namespace starttest;

namespace {

// Whether another open of the lock table could take its record lock now, which it
// cannot while an instance holds the start-up lock.
bool recordLockFree(const std::string& table) {
    dbf::Table t;
    t.open(table + ".", dbf::OpenOptions{}); // "NET." is the file NET
    const bool free = t.lockRecord(1);
    t.close();
    return free;
}

} // namespace

TEST_F(StartupTest, LockTableIsCreatedOnceWithOneRecord) {
    ASSERT_TRUE(data::SCREATE());
    EXPECT_EQ(fileNames(data()), std::set<std::string>{"NET"});
    EXPECT_EQ(dbfreadFields(file("NET")), "LOCK C 1 0\n1 0\n");
    EXPECT_EQ(dbfreadRows(file("NET")), " |\n");
    const std::string before = readFile(file("NET"));
    ASSERT_TRUE(data::SCREATE());
    EXPECT_EQ(readFile(file("NET")), before);
    EXPECT_TRUE(data::usedAreas().empty());
}

TEST_F(StartupTest, LockTableThatCannotBeWrittenEndsTheStartAndLeavesNothing) {
    platform::FaultHooks hooks;
    hooks.onWrite = [](const std::string&, uint64_t, size_t) -> long long { return 0; };
    platform::setFaultHooks(hooks);
    EXPECT_FALSE(data::SCREATE());
    platform::clearFaultHooks();
    EXPECT_TRUE(fileNames(data()).empty()); // neither the table nor its temporary file
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_NE(messages_.asked[0].text.find("insufficiente"), std::string::npos);
    EXPECT_TRUE(data::SCREATE());
}

TEST_F(StartupTest, LockAndUnlockDoNothingBeforeTheInstanceHasAName) {
    ASSERT_TRUE(data::SCREATE());
    data::DBSELECTAREA(3);
    data::SLOCK();
    EXPECT_FALSE(data::startupLockHeld());
    EXPECT_TRUE(data::usedAreas().empty());
    EXPECT_TRUE(recordLockFree(file("NET")));
    data::SUNLOCK();
    EXPECT_EQ(data::SELECT(), 3);
    EXPECT_TRUE(data::instance().name.empty());
    EXPECT_TRUE(data::access().temp.empty());
}

TEST_F(StartupTest, UserNamesTheInstanceAndHoldsItsFolder) {
    const dn::test::FixedClock fixed(Date::fromYmd(2024, 2, 19),
                                     ((12 * 60 + 34) * 60 + 56) * 1000 + 780);
    data::USER();
    const std::string name = data::instance().name;
    EXPECT_EQ(name, std::string("\x7F") + "20240219" + "4529678");
    const fs::path folder = temp() / name;
    EXPECT_EQ(data::instance().folder, folder.string());
    EXPECT_EQ(data::access().temp, folder.string() + "/");
    EXPECT_EQ(data::access().user, name);
    EXPECT_EQ(fileNames(folder), std::set<std::string>{"USER"});
    EXPECT_TRUE(data::isLiveInstanceFolder(folder.string()));

    // The sweep of another starting instance leaves the live folder alone and
    // removes a crashed one's.
    fs::create_directories(temp() / "\x7F"
                                    "2024021800001");
    writeFile((temp() /
               "\x7F"
               "2024021800001" /
               "USER")
                  .string(),
              "");
    EXPECT_EQ(data::sweepLeftovers(data().string(), temp().string()), 1);
    EXPECT_TRUE(fs::exists(folder / "USER"));

    // The shut-down removes the folder.
    data::shutdownLibrary();
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(data::instance().name.empty());
}

TEST_F(StartupTest, ATemporaryFolderThatDoesNotExistIsCreatedOrPassedOver) {
    // TEMP names a folder not made yet (a new user's setting): it is made.
    const fs::path missing = temp() / "nuova" / "Cartella";
    {
        const dn::test::ScopedEnv var("TEMP", missing.string());
        ASSERT_TRUE(data::protect([] { data::USER(); }));
        EXPECT_TRUE(messages_.asked.empty());
        EXPECT_EQ(data::instance().folder, (missing / data::instance().name).string());
        EXPECT_TRUE(data::isLiveInstanceFolder(data::instance().folder));
        data::shutdownLibrary();
        data::startupLibrary();
    }
    // One that cannot be made (below a file): the next variable's folder serves.
    writeFile((temp() / "file").string(), "");
    const dn::test::ScopedEnv var("TEMP", (temp() / "file" / "sub").string());
#ifdef _WIN32
    const dn::test::ScopedEnv next("TMP", temp().string());
#else
    const dn::test::ScopedEnv next("TMPDIR", temp().string());
#endif
    ASSERT_TRUE(data::protect([] { data::USER(); }));
    EXPECT_TRUE(messages_.asked.empty());
    EXPECT_EQ(data::instance().folder, (temp() / data::instance().name).string());
}

TEST_F(StartupTest, UserFileInTheDataFolderKeepsTheDefaultUser) {
    writeFile(file("USER.USR"), "");
    data::USER();
    EXPECT_EQ(data::access().user, "USER");
    EXPECT_FALSE(data::instance().name.empty());
}

TEST_F(StartupTest, StartupLockIsTheRecordLockOfTheLockTable) {
    ASSERT_TRUE(data::SCREATE());
    data::USER();
    data::DBSELECTAREA(2);
    data::SLOCK();
    EXPECT_TRUE(data::startupLockHeld());
    EXPECT_EQ(data::SELECT(), 2);
    EXPECT_EQ(data::usedAreas(), std::vector<int>{data::kStartupLockArea});
    EXPECT_FALSE(recordLockFree(file("NET")));
    data::SUNLOCK();
    EXPECT_FALSE(data::startupLockHeld());
    EXPECT_TRUE(recordLockFree(file("NET")));
    data::SUNLOCK(); // again: nothing
    EXPECT_EQ(data::SELECT(), 2);

    // A disk or file message releases the lock before it shows.
    data::SLOCK();
    bool freeWhileShown = false;
    messages_.onAsk = [&](const dn::test::ScriptedMessages::Asked&) {
        freeWhileShown = recordLockFree(file("NET"));
    };
    EXPECT_FALSE(data::protect([&] {
        throw platform::FileError(platform::FileErrorKind::DiskFull, file("SCADENZE.DBF"), 0,
                                  "full");
    }));
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text.rfind("Spazio sul disco ", 0), 0u) << messages_.asked[0].text;
    EXPECT_TRUE(freeWhileShown);
    EXPECT_FALSE(data::startupLockHeld());
}

TEST_F(StartupTest, MachineWideLockTableReplacesTheLocalOne) {
    const std::string velt = (temp() / "VELT" / "NET").string();
    data::setVeltLockTable(velt);
    EXPECT_FALSE(data::ISVELT());
    fs::create_directories(temp() / "VELT");
    dbf::Table::create(velt + ".", {{"LOCK", 'C', 1, 0}});
    {
        dbf::Table t;
        t.open(velt + ".", dbf::OpenOptions{});
        ASSERT_TRUE(t.append());
        t.close();
    }
    EXPECT_TRUE(data::ISVELT());
    EXPECT_TRUE(data::SCREATE());
    EXPECT_TRUE(fileNames(data()).empty()); // no local lock table
    data::USER();
    data::SLOCK();
    EXPECT_FALSE(recordLockFree(velt));
    data::SUNLOCK();
    EXPECT_TRUE(recordLockFree(velt));
    data::setVeltLockTable({});
    EXPECT_FALSE(data::ISVELT() && data::veltLockTable() == velt);
}
