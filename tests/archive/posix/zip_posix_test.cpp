// Backups on POSIX: read back with the unzip command, written onto a full tmpfs,
// copied while another process holds the table's lock.
#include "archive/archive_fixture.h"
#include "common/data/wait.h"
#include "tests/support/mounts.h"

using namespace archivetest;
using dn::archive::kMsgCreateFailed;
using dn::archive::kMsgNotFound;
using dn::archive::ZIP;
using dn::archive::ZipOptions;

TEST_F(ZipTest, ListedFilesGoInInListOrderAndTheArchiveReadsSound) {
    ASSERT_TRUE(ZIP(archive(), kFiles));
    EXPECT_TRUE(msgs.events.empty());
    const auto listed = runCommand("unzip -Z1 " + shellQuote(archive()));
    EXPECT_EQ(listed.out, "RUBRICA.DBF\nRUBRICA.DBT\nSCADENZE.DBF\nSCADENZE.DBT\nDELTRA.CFG\n");
    const auto test = runCommand("unzip -t " + shellQuote(archive()));
    EXPECT_EQ(test.status, 0) << test.out;
    ASSERT_EQ(
        runCommand("unzip -q " + shellQuote(archive()) + " -d " + shellQuote(out() + "/x")).status,
        0);
    for (const std::string& f : kFiles)
        EXPECT_EQ(readFile(out() + "/x/" + f), readFile(f)) << f;
    // Nothing is left beside the archive or in the instance folder.
    EXPECT_EQ(fileNames(out()), (std::set<std::string>{"copia.zip", "x"}));
    EXPECT_TRUE(instanceFiles().empty());
}

TEST_F(ZipTest, NamesWithFoldersKeepOnlyTheLastPartUnlessAsked) {
    fs::create_directories("sub");
    writeFile("sub/NOTE.TXT", "nota");
    const std::string full = fs::absolute("sub/NOTE.TXT").string();
    ASSERT_TRUE(ZIP(archive(), {"sub/NOTE.TXT", full}));
    EXPECT_EQ(runCommand("unzip -Z1 " + shellQuote(archive())).out, "NOTE.TXT\nNOTE.TXT\n");
    ZipOptions o;
    o.withFolders = true;
    ASSERT_TRUE(ZIP(archive(), {"sub/NOTE.TXT", "./sub/../sub/NOTE.TXT"}, o));
    EXPECT_EQ(runCommand("unzip -Z1 " + shellQuote(archive())).out,
              "sub/NOTE.TXT\nsub/sub/NOTE.TXT\n");
}

TEST_F(ZipTest, AFullDiskIsReportedAndLeavesTheOldArchiveAsItWas) {
    const std::string mnt = tmpDir() + "/mnt";
    fs::create_directories(mnt);
    auto tmpfs = dn::test::ScopedMount::tmpfs(mnt, 64 * 1024);
    if (!tmpfs.ok())
        GTEST_SKIP() << tmpfs.error();
    const std::string old = mnt + "/copia.zip";
    writeFile(old, "the old archive");
    // Bytes that do not compress, more than the medium holds.
    std::string noise(200 * 1024, '\0');
    uint32_t x = 12345;
    for (char& c : noise)
        c = static_cast<char>((x = x * 1103515245 + 12345) >> 24);
    writeFile("DELTRA.CFG", noise);
    EXPECT_FALSE(ZIP(old, kFiles));
    EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{kMsgCreateFailed + old});
    EXPECT_EQ(readFile(old), "the old archive");
    EXPECT_EQ(fileNames(mnt), std::set<std::string>{"copia.zip"});
}

TEST_F(ZipTest, ATableIsCopiedOnlyOnceAWriterHasLetGoOfIt) {
    // Another instance holds the table lock for longer than the quiet wait.
    Worker w({"filelock", "SCADENZE.DBF", "4500"});
    ASSERT_TRUE(w.ready());
    ASSERT_TRUE(ZIP(archive(), kFiles));
    EXPECT_EQ(w.wait(), 0);
    EXPECT_NE(msgs.firstShown(dn::data::kBusyText), nullptr);
    EXPECT_FALSE(msgs.currentWait());
    EXPECT_EQ(runCommand("unzip -t " + shellQuote(archive())).status, 0);
}
