// The disk checks on POSIX file systems: a full tmpfs, read-only and busy mount
// points, symbolic links.
#include "../disk_test_util.h"
#include "common/disk/checks.h"
#include "platform/drive.h"
#include "platform/file.h"
#include "tests/support/files.h"
#include "tests/support/mounts.h"
#include "tests/support/temp_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace dn::disk;
using disktest::DiskChecks;
using disktest::Texts;
using dn::test::fileNames;
using dn::test::InFolder;
using dn::test::readFile;
using dn::test::ScopedMount;
using dn::test::writeFile;
namespace fs = std::filesystem;

namespace {

// Writes into folder until its file system refuses another byte.
void fill(const std::string& folder) {
    const int fd = ::open((folder + "/fill").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const std::string chunk(1024, 'x');
    while (::write(fd, chunk.data(), chunk.size()) > 0) {
    }
    while (::write(fd, "x", 1) > 0) {
    }
    ::close(fd);
}

} // namespace

TEST_F(DiskChecks, FullDriveGivesItsMessageAndWritesNothing) {
    fs::create_directory(dir / "mnt");
    auto tmpfs = ScopedMount::tmpfs(dir / "mnt", 64 * 1024);
    if (!tmpfs.ok())
        GTEST_SKIP() << tmpfs.error();
    const std::string d = drive("mnt");
    const uint64_t free = dn::platform::DISKFREESPACE(d);
    EXPECT_GT(free, 8192u);
    EXPECT_LE(free, 64u * 1024);
    EXPECT_FALSE(ISFULL(d));
    EXPECT_TRUE(msgs.asked.empty());
    EXPECT_TRUE(ISFULL(d, free + 1));
    EXPECT_EQ(msgs.askedTexts(), Texts{"Spazio su disco insufficiente."});

    fill(dir / "mnt");
    msgs.asked.clear();
    const auto before = fileNames(dir / "mnt");
    const std::string filled = readFile(dir / "mnt/fill");
    EXPECT_LT(dn::platform::DISKFREESPACE(d), 8192u);
    EXPECT_TRUE(ISFULL(d));
    EXPECT_EQ(msgs.askedTexts(), Texts{"Spazio su disco insufficiente."});
    EXPECT_EQ(fileNames(dir / "mnt"), before);
    EXPECT_EQ(readFile(dir / "mnt/fill"), filled);

    // The current folder's drive is that file system; the empty drive is never
    // full and is not looked at.
    InFolder in(dir / "mnt");
    msgs.asked.clear();
    EXPECT_TRUE(ISFULL(dn::platform::currentDrive()));
    EXPECT_EQ(msgs.askedTexts(), Texts{"Spazio su disco insufficiente."});
    EXPECT_FALSE(ISFULL(""));
    EXPECT_FALSE(ISFULL("", UINT64_MAX));
    EXPECT_EQ(msgs.asked.size(), 1u);
}

TEST_F(DiskChecks, ProbeNeverWritesThroughALink) {
    fs::create_directory(dir / "d");
    writeFile(dir / "precious", "dati");
    fs::create_symlink(dir / "precious", probeName(drive("d")));
    EXPECT_FALSE(ISPROTECTED(drive("d")));
    EXPECT_EQ(readFile(dir / "precious"), "dati");
    EXPECT_TRUE(fileNames(dir / "d").empty());
}

TEST_F(DiskChecks, WriteProtectedDriveGivesItsMessageAndWritesNothing) {
    fs::create_directories(dir / "src");
    fs::create_directories(dir / "ro");
    writeFile(dir / "src/a.dbf", "tabella");
    auto ro = ScopedMount::bind(dir / "src", dir / "ro", true);
    if (!ro.ok())
        GTEST_SKIP() << ro.error();
    EXPECT_TRUE(ISPROTECTED(drive("ro")));
    EXPECT_EQ(msgs.askedTexts(), Texts{"Disco protetto da scrittura."});
    EXPECT_EQ(fileNames(dir / "src"), std::set<std::string>{"a.dbf"});

    // Deleting a file there is abandoned after that message; the file stays.
    msgs.asked.clear();
    EXPECT_THROW(DELFILE(dir / "ro/a.dbf"), DiskAbort);
    EXPECT_EQ(msgs.askedTexts(), Texts{"Disco protetto da scrittura."});
    EXPECT_EQ(readFile(dir / "src/a.dbf"), "tabella");

    // Its files may not be opened for writing.
    msgs.asked.clear();
    EXPECT_TRUE(ISREADONLY(dir / "ro/a.dbf"));
    EXPECT_EQ(msgs.askedTexts(), Texts{"File non accessibile."});
    EXPECT_EQ(readFile(dir / "src/a.dbf"), "tabella");
}

TEST_F(DiskChecks, DelDirDeletesFilesUntilOneCannotBeDeleted) {
    fs::create_directories(dir / "d/sub");
    writeFile(dir / "d/.nascosto", "");
    writeFile(dir / "d/a", "");
    writeFile(dir / "d/sub/x", "");
    DELDIR(dir / "d");
    EXPECT_EQ(fileNames(dir / "d"), std::set<std::string>{"sub"});
    EXPECT_EQ(fileNames(dir / "d/sub"), std::set<std::string>{"x"});

    writeFile(dir / "d/.nascosto", "");
    writeFile(dir / "d/a", "");
    writeFile(dir / "d/B", "");
    writeFile(dir / "d/c", "");
    writeFile(dir / "other", "");
    auto busy = ScopedMount::bind(dir / "other", dir / "d/B", false);
    if (!busy.ok())
        GTEST_SKIP() << busy.error();
    DELDIR(dir / "d");
    EXPECT_EQ(fileNames(dir / "d"), (std::set<std::string>{"B", "c", "sub"}));
    EXPECT_TRUE(msgs.asked.empty());
}

TEST_F(DiskChecks, DelFileDeletesOrReportsWhyNot) {
    writeFile(dir / "a", "");
    DELFILE(dir / "a");
    EXPECT_FALSE(fs::exists(dir / "a"));
    EXPECT_NO_THROW(DELFILE(dir / "a"));
    EXPECT_TRUE(msgs.asked.empty());

    writeFile(dir / "b", "");
    writeFile(dir / "other", "");
    auto busy = ScopedMount::bind(dir / "other", dir / "b", false);
    if (!busy.ok())
        GTEST_SKIP() << busy.error();
    try {
        DELFILE(dir / "b");
        FAIL() << "a failed deletion was reported as done";
    } catch (const dn::platform::FileError& e) {
        EXPECT_EQ(e.kind(), dn::platform::FileErrorKind::Sharing);
        EXPECT_EQ(e.path(), dir / "b");
    }
}
