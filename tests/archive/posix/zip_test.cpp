// Backups on POSIX: read back with the unzip command, written onto a full tmpfs.
#include "archive/archive_fixture.h"
#include "common/data/wait.h"
#include "platform/file.h"
#include "tests/support/mounts.h"

using namespace archivetest;
using dn::archive::kMsgCreateFailed;
using dn::archive::kMsgNotFound;
using dn::archive::ZIP;
using dn::archive::ZipOptions;

namespace {

const std::vector<std::string> kFiles = {"RUBRICA.DBF", "RUBRICA.DBT", "SCADENZE.DBF",
                                         "SCADENZE.DBT", "DELTRA.CFG"};

class ZipTest : public ArchiveTest {
protected:
    std::string archive() const { return out() + "/copia.zip"; }
};

} // namespace

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

TEST_F(ZipTest, AMissingFileLeavesTheOldArchiveAsItWas) {
    writeFile(archive(), "the old archive");
    EXPECT_FALSE(ZIP(archive(), {"SCADENZE.DBF", "MANCA.DBF", "DELTRA.CFG"}));
    EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{kMsgNotFound + std::string("MANCA.DBF")});
    EXPECT_EQ(readFile(archive()), "the old archive");
    EXPECT_EQ(fileNames(out()), std::set<std::string>{"copia.zip"});
    // Without messages, the same answer in silence.
    ZipOptions quiet;
    quiet.showMessages = false;
    EXPECT_FALSE(ZIP(archive(), {"MANCA.DBF"}, quiet));
    EXPECT_EQ(msgs.askedTexts().size(), 1u);
}

TEST_F(ZipTest, AFailedWriteIsReportedAndLeavesTheOldArchiveAsItWas) {
    writeFile(archive(), "the old archive");
    // Every way a write can fail half-way: the device refuses the n-th write.
    for (int failAt : {0, 1, 2, 5}) {
        int writes = 0;
        dn::platform::FaultHooks hooks;
        hooks.onWrite = [&](const std::string& path, uint64_t, size_t n) -> long long {
            if (path.rfind(out(), 0) != 0 || writes++ < failAt)
                return -1;
            return static_cast<long long>(n / 2);
        };
        dn::platform::setFaultHooks(hooks);
        forget();
        EXPECT_FALSE(ZIP(archive(), kFiles)) << failAt;
        dn::platform::clearFaultHooks();
        EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{kMsgCreateFailed + archive()});
        EXPECT_EQ(readFile(archive()), "the old archive");
        EXPECT_EQ(fileNames(out()), std::set<std::string>{"copia.zip"});
    }
    EXPECT_TRUE(instanceFiles().empty());
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

TEST_F(ZipTest, ADamagedTableStopsTheBackupWithItsOwnMessage) {
    std::string bytes = readFile("SCADENZE.DBF");
    bytes.resize(100);
    writeFile("SCADENZE.DBF", bytes);
    EXPECT_FALSE(ZIP(archive(), kFiles));
    ASSERT_EQ(msgs.askedTexts().size(), 1u);
    EXPECT_NE(msgs.askedTexts()[0].find("SCADENZE.DBF risulta corrotto."), std::string::npos)
        << msgs.askedTexts()[0];
    EXPECT_TRUE(fs::is_empty(out()));
    EXPECT_TRUE(instanceFiles().empty());
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
