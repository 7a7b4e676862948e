#include "../platform/fs_fixture.h"
#include "../platform/mounts.h"
#include "common/disk/folders.h"
#include "platform/fileops.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

using namespace dn::disk;
using namespace dn::platform;
using fstest::readBytes;
using fstest::RecordingMessages;
using fstest::TempDir;
using fstest::writeBytes;
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
void makeTree(const TempDir& dir) {
    fs::create_directories(dir / "src/uno/due");
    writeBytes(dir / "src/.segreto", "nascosto");
    ::chmod((dir / "src/.segreto").c_str(), 0444);
    writeBytes(dir / "src/a.dbf", "tabella");
    writeBytes(dir / "src/uno/due/b.ntx", "indice");
    setMtime(dir / "src/uno/due", 900000000);
    setMtime(dir / "src/uno", 910000000);
    setMtime(dir / "src", 920000000);
}

} // namespace

TEST(Folders, CopyDirCopiesHiddenReadOnlyFilesAndFolderTimes) {
    TempDir dir;
    RecordingMessages msgs;
    makeTree(dir);
    ASSERT_TRUE(COPYDIR(dir / "src", dir / "dst"));
    EXPECT_TRUE(msgs.asked.empty());
    EXPECT_EQ(readBytes(dir / "dst/.segreto"), "nascosto");
    EXPECT_EQ(GETFILEATTRIBUTES(dir / "dst/.segreto"), int64_t(kAttrReadOnly | kAttrHidden));
    EXPECT_EQ(readBytes(dir / "dst/a.dbf"), "tabella");
    EXPECT_EQ(readBytes(dir / "dst/uno/due/b.ntx"), "indice");
    EXPECT_EQ(mtimeOf(dir / "dst"), 920000000);
    EXPECT_EQ(mtimeOf(dir / "dst/uno"), 910000000);
    EXPECT_EQ(mtimeOf(dir / "dst/uno/due"), 900000000);

    // Into a folder that exists: only without creating it.
    EXPECT_FALSE(COPYDIR(dir / "src", dir / "dst"));
    EXPECT_EQ(msgs.asked,
              std::vector<std::string>{"Impossibile creare la cartella " + (dir / "dst") + "."});
    EXPECT_EQ(msgs.titles, std::vector<std::string>{"Attenzione"});
    msgs.asked.clear();
    fs::create_directory(dir / "other");
    EXPECT_TRUE(COPYDIR(dir / "src", dir / "other", false));
    EXPECT_EQ(readBytes(dir / "other/uno/due/b.ntx"), "indice");
    EXPECT_TRUE(msgs.asked.empty());
}

TEST(Folders, CopyDirStopsAtTheFirstFileThatCannotBeCopied) {
    TempDir dir;
    RecordingMessages msgs;
    fs::create_directory(dir / "src");
    fs::create_symlink(dir / "nowhere", dir / "src/b_rotto");
    writeBytes(dir / "src/a", "1");
    writeBytes(dir / "src/c", "3");
    EXPECT_FALSE(COPYDIR(dir / "src", dir / "dst"));
    EXPECT_EQ(msgs.asked, std::vector<std::string>{"Impossibile copiare il file " +
                                                   (dir / "src/b_rotto") + "."});
    EXPECT_EQ(fstest::names(dir / "dst"), std::set<std::string>{"a"});
}

TEST(Folders, DeleteDirRemovesTreesOrEmptiesAFolder) {
    TempDir dir;
    RecordingMessages msgs;
    makeTree(dir);
    ::chmod((dir / "src/uno").c_str(), 0555); // a read-only folder is emptied too
    ASSERT_TRUE(DELETEDIR(dir / "src", false));
    EXPECT_TRUE(fs::is_directory(dir / "src"));
    EXPECT_TRUE(fstest::names(dir / "src").empty());
    EXPECT_GE(msgs.pumps, 3);

    makeTree(dir);
    ASSERT_TRUE(DELETEDIR(dir / "src"));
    EXPECT_FALSE(fs::exists(dir / "src"));
    EXPECT_TRUE(msgs.asked.empty());

    EXPECT_FALSE(DELETEDIR(dir / "missing"));
    EXPECT_EQ(msgs.asked, std::vector<std::string>{"Impossibile cancellare la cartella " +
                                                   (dir / "missing") + "."});
}

TEST(Folders, DeleteDirRemovesLinksWithoutFollowingThem) {
    TempDir dir;
    RecordingMessages msgs;
    fs::create_directories(dir / "keep");
    writeBytes(dir / "keep/precious", "dati");
    ::chmod((dir / "keep/precious").c_str(), 0444);
    fs::create_directories(dir / "gone");
    fs::create_directory_symlink(dir / "keep", dir / "gone/to_folder");
    fs::create_symlink(dir / "keep/precious", dir / "gone/to_file");
    ASSERT_TRUE(DELETEDIR(dir / "gone"));
    EXPECT_FALSE(fs::exists(dir / "gone"));
    EXPECT_EQ(readBytes(dir / "keep/precious"), "dati");
    EXPECT_EQ(GETFILEATTRIBUTES(dir / "keep/precious"), int64_t(kAttrReadOnly));
}

TEST(Folders, DeleteDirStopsAtTheFirstFileThatCannotBeDeleted) {
    TempDir dir;
    RecordingMessages msgs;
    fs::create_directories(dir / "tree/sub");
    writeBytes(dir / "tree/a", "1");
    writeBytes(dir / "tree/sub/b", "2");
    writeBytes(dir / "tree/sub/c", "3");
    writeBytes(dir / "tree/z", "4");
    writeBytes(dir / "other", "x");
    // A file with something mounted on it cannot be deleted, even by root.
    auto busy = fstest::ScopedMount::bind(dir / "other", dir / "tree/sub/b", false);
    if (!busy.ok())
        GTEST_SKIP() << busy.error();
    EXPECT_FALSE(DELETEDIR(dir / "tree"));
    EXPECT_EQ(msgs.asked, std::vector<std::string>{"Impossibile cancellare il file " +
                                                   (dir / "tree/sub/b") + "."});
    EXPECT_FALSE(fs::exists(dir / "tree/a"));
    EXPECT_TRUE(fs::exists(dir / "tree/sub/c"));
    EXPECT_TRUE(fs::exists(dir / "tree/z"));
}
