// Restores: every file given back, nothing changed when a write fails, tables
// replaced only once no other instance has them open.
#include "archive/archive_fixture.h"
#include "platform/file.h"

using namespace archivetest;
using dn::archive::kMsgExtractFailed;
using dn::archive::kMsgNotFound;
using dn::archive::StagedFile;
using dn::archive::UNZIP;
using dn::archive::UnzipOptions;
using dn::archive::ZIP;

TEST_F(UnzipTest, ARestoreGivesBackEveryFileAndDropsTheOldIndex) {
    const auto before = tree(".");
    const std::string a = backup();
    changeLiveFiles();
    std::vector<StagedFile> seen;
    UnzipOptions o;
    o.check = [&](const std::vector<StagedFile>& files) {
        seen = files;
        return true;
    };
    ASSERT_TRUE(UNZIP(a, o));
    EXPECT_TRUE(msgs.events.empty());
    EXPECT_EQ(tree("."), before); // SCADENZE.NTX is gone with the table it described
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[2].entry, "SCADENZE.DBF");
    EXPECT_EQ(seen[2].target, fs::path("./SCADENZE.DBF").make_preferred().string());
    ASSERT_TRUE(seen[2].structure);
    EXPECT_EQ(seen[2].structure->fields().size(), deadlineFields().size());
    EXPECT_FALSE(seen[4].structure); // DELTRA.CFG
    EXPECT_EQ(seen[4].size, readFile("DELTRA.CFG").size());

    // Refused by the caller's check: nothing changes.
    changeLiveFiles();
    const auto changed = tree(".");
    o.check = [](const std::vector<StagedFile>&) { return false; };
    EXPECT_FALSE(UNZIP(a, o));
    EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{kMsgExtractFailed + a});
    EXPECT_EQ(tree("."), changed);
}

TEST_F(UnzipTest, AWriteThatFailsHalfWayChangesNothing) {
    const std::string a = backup();
    changeLiveFiles();
    const auto before = tree(".");
    for (int failAt : {0, 1, 3}) {
        int writes = 0;
        dn::platform::FaultHooks hooks;
        hooks.onWrite = [&](const std::string& path, uint64_t, size_t n) -> long long {
            if (path.find('\x7f') == std::string::npos || writes++ < failAt)
                return -1;
            return static_cast<long long>(n / 2);
        };
        dn::platform::setFaultHooks(hooks);
        forget();
        EXPECT_FALSE(UNZIP(a)) << failAt;
        dn::platform::clearFaultHooks();
        EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{kMsgExtractFailed + a});
        EXPECT_EQ(tree("."), before);
    }
}

TEST_F(UnzipTest, TablesAreReplacedOnlyOnceNoOtherInstanceHasThemOpen) {
    const std::string a = backup();
    const auto want = tree(".");
    changeLiveFiles();
    Worker w({"shared", "SCADENZE.DBF", "1500"});
    ASSERT_TRUE(w.ready());
    msgs.showWait("Decompressione in corso...", "Attendere", false);
    ASSERT_TRUE(UNZIP(a));
    EXPECT_EQ(w.wait(), 0);
    const auto* shown = msgs.firstShown("Spegnere tutti i terminali...");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->title, "Attenzione");
    EXPECT_EQ(msgs.currentWait(), "Decompressione in corso..."); // the earlier text is back
    EXPECT_EQ(tree("."), want);
}

// Archives that try to write outside the data folder, or cannot be put back
// whole, on a real file system of its own: nothing outside the folder is
// written, no live file changes, the decompression message shows.
