// Backups: the old archive kept on every failure, a damaged table refused.
#include "archive/archive_fixture.h"
#include "platform/file.h"

using namespace archivetest;
using dn::archive::kMsgCreateFailed;
using dn::archive::kMsgNotFound;
using dn::archive::ZIP;
using dn::archive::ZipOptions;

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
