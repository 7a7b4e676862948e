// The file operations in POSIX terms: permissions, dot names, symbolic links,
// mount points, nanosecond times.
#include "platform/drive.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/find.h"
#include "platform/sound.h"
#include "tests/support/files.h"
#include "tests/support/messages_fake.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utility>

using namespace dn::platform;
using dn::test::InFolder;
using dn::test::readFile;
using dn::test::TempFolder;
using dn::test::writeFile;
namespace fs = std::filesystem;

namespace {

struct timespec mtimeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim;
}

void setMtime(const std::string& path, time_t seconds, long nanos) {
    struct timespec t[2] = {{seconds, nanos}, {seconds, nanos}};
    ::utimensat(AT_FDCWD, path.c_str(), t, 0);
}

} // namespace

TEST(FileOps, AttributesMapOntoPermissionsAndDotNames) {
    TempFolder dir;
    const std::string plain = dir / "plain.txt", dot = dir / ".dot", sub = dir / "sub";
    writeFile(plain, "x");
    writeFile(dot, "x");
    fs::create_directory(sub);
    EXPECT_EQ(GETFILEATTRIBUTES(dir / "missing"), -1);
    EXPECT_EQ(GETFILEATTRIBUTES(plain), int64_t(kAttrNormal));
    EXPECT_EQ(GETFILEATTRIBUTES(dot), int64_t(kAttrHidden));
    EXPECT_EQ(GETFILEATTRIBUTES(sub), int64_t(kAttrDirectory));

    const mode_t oldMask = ::umask(002);
    ::chmod(plain.c_str(), 0644);
    ASSERT_TRUE(SETFILEATTRIBUTES(plain, kAttrReadOnly));
    EXPECT_EQ(GETFILEATTRIBUTES(plain), int64_t(kAttrReadOnly));
    struct stat st {};
    ::stat(plain.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    // Writable again by whoever may read it, as the creation mask allows.
    ASSERT_TRUE(CLEARREADONLY(plain));
    ::stat(plain.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0664u);
    ::umask(022);
    ::chmod(plain.c_str(), 0440);
    ASSERT_TRUE(SETFILEATTRIBUTES(plain, kAttrNormal));
    ::stat(plain.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    ::umask(oldMask);

    // Hidden follows the name: it can be confirmed but not changed.
    EXPECT_TRUE(SETHIDDEN(dot));
    EXPECT_FALSE(CLEARHIDDEN(dot));
    EXPECT_FALSE(SETHIDDEN(plain));
    EXPECT_TRUE(CLEARHIDDEN(plain));
    ASSERT_TRUE(SETFILEATTRIBUTES(dot, kAttrHidden | kAttrReadOnly | kAttrArchive));
    EXPECT_EQ(GETFILEATTRIBUTES(dot), int64_t(kAttrHidden | kAttrReadOnly));

    fs::create_symlink(dir / "nowhere", dir / "dangling");
    EXPECT_EQ(GETFILEATTRIBUTES(dir / "dangling"), int64_t(kAttrReparsePoint));
}

TEST(FileOps, PathsAreAbsoluteAndNormalised) {
    TempFolder dir;
    fs::create_directory(dir / "data");
    InFolder here(dir / "data");
    const std::string cwd = fs::current_path().string();
    EXPECT_EQ(FULLNAME("DELTRA.CFG"), cwd + "/DELTRA.CFG");
    EXPECT_EQ(FULLNAME("./a/../b/x.dbf"), cwd + "/b/x.dbf");
    EXPECT_EQ(FULLNAME("a/b/.."), cwd + "/a");
    EXPECT_EQ(FULLNAME("/"), "/");
    EXPECT_EQ(FULLNAME(""), "");
    EXPECT_EQ(FULLPATH("DELTRA.CFG"), cwd);
    EXPECT_EQ(FULLPATH("/x.dbf"), "/");
    EXPECT_EQ(CURPATH(currentDrive()), cwd + "/");
    EXPECT_EQ(CURPATH(""), cwd + "/");
    EXPECT_EQ(CURPATH("/"), "/");
    EXPECT_EQ(driveOf("x.dbf"), currentDrive());
    EXPECT_EQ(driveOf("/srv/dati/x.dbf"), "/srv/dati/");
    EXPECT_EQ(currentDrive() + ".", "./.");

    writeFile(dir / "file", "x");
    EXPECT_TRUE(DIR(cwd));
    EXPECT_TRUE(DIR(".."));
    EXPECT_FALSE(DIR(dir / "file"));
    EXPECT_FALSE(DIR(dir / "missing"));
    EXPECT_FALSE(DIR(""));
    EXPECT_EQ(fs::current_path().string(), cwd);
}

TEST(FileOps, FolderCreationAndLastWriteTimes) {
    TempFolder dir;
    EXPECT_TRUE(CREATEDIR(dir / "new"));
    EXPECT_FALSE(CREATEDIR(dir / "new"));
    EXPECT_FALSE(CREATEDIR(dir / "missing/new"));

    const std::string src = dir / "src.txt", dst = dir / "dst.txt";
    writeFile(src, "a");
    writeFile(dst, "b");
    setMtime(src, 946684800, 123456700);
    ASSERT_TRUE(SETFILEDATETIME(src, dst));
    EXPECT_EQ(mtimeOf(dst).tv_sec, 946684800);
    EXPECT_EQ(mtimeOf(dst).tv_nsec, 123456700);
    ASSERT_TRUE(SETFILEDATETIME(src, dir / "new")); // folders too
    EXPECT_EQ(mtimeOf(dir / "new").tv_sec, 946684800);
    EXPECT_FALSE(SETFILEDATETIME(dir / "missing", dst));
    EXPECT_FALSE(SETFILEDATETIME(src, dir / "missing"));
}

TEST(FileOps, CopyFileKeepsContentsPermissionsAndTime) {
    TempFolder dir;
    dn::test::ScriptedMessages msgs{dn::test::ScriptedMessages::Unanswered::Negative};
    const std::string src = dir / "src.bin", dst = dir / "dst.bin";
    std::string big(3 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 7 + i / 4096);
    writeFile(src, big);
    ::chmod(src.c_str(), 0640);
    setMtime(src, 1000000000, 0);
    writeFile(dst, "old target");
    ASSERT_TRUE(COPYFILE(src, dst));
    EXPECT_EQ(readFile(dst), big);
    struct stat st {};
    ::stat(dst.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_GE(msgs.pumps, 3); // window events ran during the copy

    // A failed copy leaves the old target alone and no temporary file behind.
    EXPECT_FALSE(COPYFILE(dir / "missing", dst));
    EXPECT_FALSE(COPYFILE(dir.path(), dst)); // a folder is no file to copy
    EXPECT_EQ(readFile(dst), big);
    EXPECT_EQ(dn::test::fileNames(dir.path()), (std::set<std::string>{"dst.bin", "src.bin"}));
}

TEST(FileOps, FindListsMatchingNamesInNameOrderWithoutRegardToCase) {
    TempFolder dir;
    writeFile(dir / "b.DBF", "12345");
    writeFile(dir / "A.dbf", "");
    writeFile(dir / ".h.dbf", "");
    writeFile(dir / "c.ntx", "");
    writeFile(dir / "noext", "");
    fs::create_directory(dir / "Sub.dbf");

    auto list = [](const std::string& pattern) {
        std::vector<std::pair<std::string, uint32_t>> out;
        OWIN32FINDDATA d;
        const FindHandle h = FINDFIRSTFILE(pattern, d);
        if (h == kInvalidFind)
            return out;
        do
            out.emplace_back(d.cFileName, d.nFileAttr);
        while (FINDNEXTFILE(h, d));
        EXPECT_TRUE(FINDCLOSE(h));
        EXPECT_FALSE(FINDCLOSE(h));
        return out;
    };
    using V = std::vector<std::pair<std::string, uint32_t>>;
    EXPECT_EQ(list(dir / "*.dbf"), (V{{".h.dbf", kAttrHidden},
                                      {"A.dbf", kAttrNormal},
                                      {"b.DBF", kAttrNormal},
                                      {"Sub.dbf", kAttrDirectory}}));
    EXPECT_EQ(list(dir / "?.NTX"), (V{{"c.ntx", kAttrNormal}}));
    EXPECT_EQ(list(dir / "*.*").size(), 8u); // "." and ".." included, as on Windows
    EXPECT_EQ(list(dir / "*.*")[0].first, ".");
    EXPECT_TRUE(list(dir / "*.xyz").empty());
    EXPECT_TRUE(list(dir / "missing/*.*").empty());

    OWIN32FINDDATA d;
    const FindHandle h = FINDFIRSTFILE(dir / "b.dbf", d);
    ASSERT_NE(h, kInvalidFind);
    EXPECT_EQ(d.cFileName, "b.DBF");
    EXPECT_EQ(d.nFileSizeL, 5u);
    EXPECT_EQ(fileTimeToUnixSeconds(d.cLastWTime),
              static_cast<int64_t>(mtimeOf(dir / "b.DBF").tv_sec));
    EXPECT_FALSE(FINDNEXTFILE(h, d));
    FINDCLOSE(h);
    EXPECT_FALSE(FINDNEXTFILE(kInvalidFind, d));

    // Entries deleted while the listing is walked are skipped.
    const FindHandle w = FINDFIRSTFILE(dir / "*.dbf", d);
    ASSERT_EQ(d.cFileName, ".h.dbf");
    fs::remove(dir / "A.dbf");
    ASSERT_TRUE(FINDNEXTFILE(w, d));
    EXPECT_EQ(d.cFileName, "b.DBF");
    FINDCLOSE(w);
}

TEST(FileOps, LastWriteTimeByTheExactNameElseInAnyLetterCase) {
    TempFolder dir;
    writeFile(dir / "SCADENZE.DBF", "dati");
    setMtime(dir / "SCADENZE.DBF", 1700000000, 500000000);
    EXPECT_EQ(lastWriteTime(dir / "SCADENZE.DBF"), toFileTime(1700000000, 500000000));
    // Written by another program in other letters: found by listing the folder.
    fs::rename(dir / "SCADENZE.DBF", dir / "Scadenze.dbf");
    EXPECT_EQ(lastWriteTime(dir / "SCADENZE.DBF"), toFileTime(1700000000, 500000000));
    EXPECT_EQ(lastWriteTime(dir / "RUBRICA.DBF"), std::nullopt);
    EXPECT_EQ(lastWriteTime(dir / "missing/SCADENZE.DBF"), std::nullopt);
}

TEST(FileOps, DriveListsHoldMountedFolders) {
    const auto all = ADISK(0), floppies = ADISK(1), fixed = ADISK(2);
    std::vector<std::string> both = floppies;
    both.insert(both.end(), fixed.begin(), fixed.end());
    std::sort(both.begin(), both.end());
    EXPECT_EQ(all, both);
    for (const std::string& d : all) {
        EXPECT_EQ(d.back(), '/') << d;
        EXPECT_TRUE(DIR(d)) << d;
    }
}
