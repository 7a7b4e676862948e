// The disk checks and folder helpers on Windows: files that another program holds
// open cannot be deleted, the read-only attribute, hidden files, folder times.
// A write-protected disk has no counterpart here: on Windows a folder's read-only
// attribute protects nothing (and Wine ignores it on folders); the Linux tests
// cover it with a read-only mount.
#include "../disk_test_util.h"
#include "common/disk/checks.h"
#include "common/disk/folders.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/win/win32.h"
#include "tests/support/file_times_win.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

using namespace dn::disk;
using namespace dn::platform;
using disktest::DiskChecks;
using disktest::Texts;
using dn::test::fileNames;
using dn::test::readFile;
using dn::test::setWriteTime;
using dn::test::writeFile;
using dn::test::writeTimeOf;
namespace fs = std::filesystem;

namespace {

// An open of the file as another instance holds a table it uses.
File heldOpen(const std::string& path) {
    return File::open(path, true, Share::Shared);
}

} // namespace

TEST_F(DiskChecks, AFileInUseIsNotDeletedAndTheFailureIsReported) {
    writeFile(dir / "b", "");
    {
        File held = heldOpen(dir / "b");
        try {
            DELFILE(dir / "b");
            FAIL() << "a failed deletion was reported as done";
        } catch (const FileError& e) {
            EXPECT_EQ(e.kind(), FileErrorKind::Sharing);
            EXPECT_EQ(e.path(), dir / "b");
        }
        EXPECT_TRUE(fs::exists(dir / "b"));
    }
    DELFILE(dir / "b");
    EXPECT_FALSE(fs::exists(dir / "b"));
    EXPECT_TRUE(msgs.asked.empty());

    // DELDIR stops at the first file it cannot delete, in listing order (which is
    // the file system's: only the held file is sure to stay).
    fs::create_directories(dir / "d/sub");
    for (const char* n : {"a", "B", "c"})
        writeFile(dir / (std::string("d/") + n), "");
    {
        File held = heldOpen(dir / "d/B");
        DELDIR(dir / "d");
        EXPECT_TRUE(fs::exists(dir / "d/B"));
        EXPECT_TRUE(fs::exists(dir / "d/sub"));
    }
    DELDIR(dir / "d");
    EXPECT_EQ(fileNames(dir / "d"), std::set<std::string>{"sub"});
    EXPECT_TRUE(msgs.asked.empty());
}

TEST_F(DiskChecks, ReadOnlyAttributeStopsDeletionWithItsMessage) {
    writeFile(dir / "a.dbf", "tabella");
    ASSERT_TRUE(SETFILEATTRIBUTES(dir / "a.dbf", kAttrReadOnly));
    EXPECT_THROW(DELFILE(dir / "a.dbf"), DiskAbort);
    EXPECT_EQ(msgs.askedTexts(), Texts{"File non accessibile."});
    EXPECT_EQ(readFile(dir / "a.dbf"), "tabella");
    ASSERT_TRUE(SETFILEATTRIBUTES(dir / "a.dbf", kAttrNormal));
}

TEST(WinFolders, CopyDirKeepsAttributesAndFolderTimes) {
    dn::test::TempFolder dir;
    dn::test::ScriptedMessages msgs{dn::test::ScriptedMessages::Unanswered::Negative};
    fs::create_directories(dir / "src/uno/due");
    writeFile(dir / "src/segreto", "nascosto");
    writeFile(dir / "src/a.dbf", "tabella");
    writeFile(dir / "src/uno/due/b.ntx", "indice");
    ASSERT_TRUE(SETFILEATTRIBUTES(dir / "src/segreto", kAttrReadOnly | kAttrHidden));
    const uint64_t t1 = 125911584000000000ULL, t2 = t1 + 36000000000ULL, t3 = t2 + 1;
    setWriteTime(dir / "src/uno/due", t1);
    setWriteTime(dir / "src/uno", t2);
    setWriteTime(dir / "src", t3);
    ASSERT_TRUE(COPYDIR(dir / "src", dir / "dst"));
    EXPECT_TRUE(msgs.asked.empty());
    EXPECT_EQ(readFile(dir / "dst/segreto"), "nascosto");
    EXPECT_EQ(GETFILEATTRIBUTES(dir / "dst/segreto") & (kAttrReadOnly | kAttrHidden),
              int64_t(kAttrReadOnly | kAttrHidden));
    EXPECT_EQ(readFile(dir / "dst/uno/due/b.ntx"), "indice");
    EXPECT_EQ(writeTimeOf(dir / "dst"), t3);
    EXPECT_EQ(writeTimeOf(dir / "dst/uno"), t2);
    EXPECT_EQ(writeTimeOf(dir / "dst/uno/due"), t1);

    // The copy and its source go, read-only files included.
    ASSERT_TRUE(DELETEDIR(dir / "dst"));
    ASSERT_TRUE(DELETEDIR(dir / "src"));
    EXPECT_TRUE(fileNames(dir.path()).empty());
    EXPECT_TRUE(msgs.asked.empty());
}

TEST(WinFolders, DeleteDirStopsAtAFileInUseAndNamesIt) {
    dn::test::TempFolder dir;
    dn::test::ScriptedMessages msgs{dn::test::ScriptedMessages::Unanswered::Negative};
    fs::create_directories(dir / "tree/sub");
    writeFile(dir / "tree/sub/b", "2");
    File held = heldOpen(dir / "tree/sub/b");
    EXPECT_FALSE(DELETEDIR(dir / "tree"));
    EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{"Impossibile cancellare il file " +
                                                          (dir / "tree\\sub\\b") + "."});
    EXPECT_TRUE(fs::exists(dir / "tree/sub/b"));
}
