#include "common/disk/folders.h"
#include "platform/fileops.h"
#include "tests/support/files.h"
#include "tests/support/messages_fake.h"
#include "tests/support/mounts.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace dn::disk;
using namespace dn::platform;
using dn::test::readFile;
using dn::test::ScriptedMessages;
using dn::test::TempFolder;
using dn::test::writeFile;
namespace fs = std::filesystem;

namespace {

time_t mtimeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim.tv_sec;
}

void setMtime(const std::string& path, time_t seconds) {
    struct timespec t[2] = {{seconds, 0}, {seconds, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), t, 0);
}

// src/ with a read-only hidden file, a plain file and two levels of folders,
// each folder with its own old time.
void makeTree(const TempFolder& dir) {
    fs::create_directories(dir / "src/uno/due");
    writeFile(dir / "src/.segreto", "nascosto");
    ::chmod((dir / "src/.segreto").c_str(), 0444);
    writeFile(dir / "src/a.dbf", "tabella");
    writeFile(dir / "src/uno/due/b.ntx", "indice");
    setMtime(dir / "src/uno/due", 900000000);
    setMtime(dir / "src/uno", 910000000);
    setMtime(dir / "src", 920000000);
}

} // namespace

TEST(Folders, CopyDirCopiesHiddenReadOnlyFilesAndFolderTimes) {
    TempFolder dir;
    ScriptedMessages msgs{ScriptedMessages::Unanswered::Negative};
    makeTree(dir);
    ASSERT_TRUE(COPYDIR(dir / "src", dir / "dst"));
    EXPECT_TRUE(msgs.asked.empty());
    EXPECT_EQ(readFile(dir / "dst/.segreto"), "nascosto");
    EXPECT_EQ(GETFILEATTRIBUTES(dir / "dst/.segreto"), int64_t(kAttrReadOnly | kAttrHidden));
    EXPECT_EQ(readFile(dir / "dst/a.dbf"), "tabella");
    EXPECT_EQ(readFile(dir / "dst/uno/due/b.ntx"), "indice");
    EXPECT_EQ(mtimeOf(dir / "dst"), 920000000);
    EXPECT_EQ(mtimeOf(dir / "dst/uno"), 910000000);
    EXPECT_EQ(mtimeOf(dir / "dst/uno/due"), 900000000);

    // Into a folder that exists: only without creating it.
    EXPECT_FALSE(COPYDIR(dir / "src", dir / "dst"));
    EXPECT_EQ(msgs.askedTexts(),
              std::vector<std::string>{"Impossibile creare la cartella " + (dir / "dst") + "."});
    ASSERT_EQ(msgs.asked.size(), 1u);
    EXPECT_EQ(msgs.asked[0].title, "Attenzione");
    msgs.asked.clear();
    fs::create_directory(dir / "other");
    EXPECT_TRUE(COPYDIR(dir / "src", dir / "other", false));
    EXPECT_EQ(readFile(dir / "other/uno/due/b.ntx"), "indice");
    EXPECT_TRUE(msgs.asked.empty());
}

TEST(Folders, CopyDirStopsAtTheFirstFileThatCannotBeCopied) {
    TempFolder dir;
    ScriptedMessages msgs{ScriptedMessages::Unanswered::Negative};
    fs::create_directory(dir / "src");
    fs::create_symlink(dir / "nowhere", dir / "src/b_rotto");
    writeFile(dir / "src/a", "1");
    writeFile(dir / "src/c", "3");
    EXPECT_FALSE(COPYDIR(dir / "src", dir / "dst"));
    EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{"Impossibile copiare il file " +
                                                          (dir / "src/b_rotto") + "."});
    EXPECT_EQ(dn::test::fileNames(dir / "dst"), std::set<std::string>{"a"});
}

TEST(Folders, DeleteDirRemovesTreesOrEmptiesAFolder) {
    TempFolder dir;
    ScriptedMessages msgs{ScriptedMessages::Unanswered::Negative};
    makeTree(dir);
    ::chmod((dir / "src/uno").c_str(), 0555); // a read-only folder is emptied too
    ASSERT_TRUE(DELETEDIR(dir / "src", false));
    EXPECT_TRUE(fs::is_directory(dir / "src"));
    EXPECT_TRUE(dn::test::fileNames(dir / "src").empty());
    EXPECT_GE(msgs.pumps, 3);

    makeTree(dir);
    ASSERT_TRUE(DELETEDIR(dir / "src"));
    EXPECT_FALSE(fs::exists(dir / "src"));
    EXPECT_TRUE(msgs.asked.empty());

    EXPECT_FALSE(DELETEDIR(dir / "missing"));
    EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{"Impossibile cancellare la cartella " +
                                                          (dir / "missing") + "."});
}

TEST(Folders, DeleteDirRemovesLinksWithoutFollowingThem) {
    TempFolder dir;
    ScriptedMessages msgs{ScriptedMessages::Unanswered::Negative};
    fs::create_directories(dir / "keep");
    writeFile(dir / "keep/precious", "dati");
    ::chmod((dir / "keep/precious").c_str(), 0444);
    fs::create_directories(dir / "gone");
    fs::create_directory_symlink(dir / "keep", dir / "gone/to_folder");
    fs::create_symlink(dir / "keep/precious", dir / "gone/to_file");
    ASSERT_TRUE(DELETEDIR(dir / "gone"));
    EXPECT_FALSE(fs::exists(dir / "gone"));
    EXPECT_EQ(readFile(dir / "keep/precious"), "dati");
    EXPECT_EQ(GETFILEATTRIBUTES(dir / "keep/precious"), int64_t(kAttrReadOnly));
}

TEST(Folders, DeleteDirStopsAtTheFirstFileThatCannotBeDeleted) {
    TempFolder dir;
    ScriptedMessages msgs{ScriptedMessages::Unanswered::Negative};
    fs::create_directories(dir / "tree/sub");
    writeFile(dir / "tree/a", "1");
    writeFile(dir / "tree/sub/b", "2");
    writeFile(dir / "tree/sub/c", "3");
    writeFile(dir / "tree/z", "4");
    writeFile(dir / "other", "x");
    // A file with something mounted on it cannot be deleted, even by root.
    auto busy = dn::test::ScopedMount::bind(dir / "other", dir / "tree/sub/b", false);
    if (!busy.ok())
        GTEST_SKIP() << busy.error();
    EXPECT_FALSE(DELETEDIR(dir / "tree"));
    EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{"Impossibile cancellare il file " +
                                                          (dir / "tree/sub/b") + "."});
    EXPECT_FALSE(fs::exists(dir / "tree/a"));
    EXPECT_TRUE(fs::exists(dir / "tree/sub/c"));
    EXPECT_TRUE(fs::exists(dir / "tree/z"));
}
