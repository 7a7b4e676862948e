// The file operations in Windows terms: attributes, drive letters and "\", file
// times of 100 ns, drive letters as drives.
#include "platform/drive.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/find.h"
#include "platform/win/win32.h"
#include "tests/support/file_times_win.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

using namespace dn::platform;
using dn::test::setWriteTime;
using dn::test::TempFolder;
using dn::test::writeFile;
using dn::test::writeTimeOf;
namespace fs = std::filesystem;

namespace {

// 2000-01-01 00:00:00.1234567 UTC.
constexpr uint64_t kY2k = 125911584001234567ULL;

} // namespace

TEST(WinFileOps, AttributesAreTheSystemsOwn) {
    TempFolder dir;
    const std::string plain = dir / "plain.txt", sub = dir / "sub";
    writeFile(plain, "x");
    fs::create_directory(sub);
    EXPECT_EQ(GETFILEATTRIBUTES(dir / "missing"), -1);
    EXPECT_TRUE(GETFILEATTRIBUTES(sub) & kAttrDirectory);

    ASSERT_TRUE(SETFILEATTRIBUTES(plain, kAttrReadOnly));
    EXPECT_EQ(::GetFileAttributesA(plain.c_str()) & FILE_ATTRIBUTE_READONLY,
              DWORD(FILE_ATTRIBUTE_READONLY));
    // The read-only attribute stops writers, administrators too.
    EXPECT_EQ(probeWriteAccess(plain), WriteAccess::Denied);
    EXPECT_THROW(File::open(plain, true), FileError);
    ASSERT_TRUE(CLEARREADONLY(plain));
    EXPECT_EQ(probeWriteAccess(plain), WriteAccess::Writable);

    // Hidden is an attribute that can be set and cleared on any name.
    ASSERT_TRUE(SETHIDDEN(plain));
    EXPECT_TRUE(GETFILEATTRIBUTES(plain) & kAttrHidden);
    ASSERT_TRUE(CLEARHIDDEN(plain));
    EXPECT_FALSE(GETFILEATTRIBUTES(plain) & kAttrHidden);
    EXPECT_EQ(probeWriteAccess(dir / "missing"), WriteAccess::Missing);
    EXPECT_EQ(probeWriteAccess(sub), WriteAccess::Denied);
}

TEST(WinFileOps, PathsCarryTheDriveLetterAndBackslashes) {
    TempFolder dir;
    fs::create_directory(dir / "data");
    dn::test::InFolder here(dir / "data");
    const std::string cwd = FULLNAME(".");
    ASSERT_EQ(cwd[1], ':') << cwd;
    const std::string drive = cwd.substr(0, 2);
    EXPECT_EQ(FULLNAME("DELTRA.CFG"), cwd + "\\DELTRA.CFG");
    EXPECT_EQ(FULLNAME(".\\a\\..\\b/x.dbf"), cwd + "\\b\\x.dbf");
    EXPECT_EQ(FULLNAME(drive + "\\"), drive + "\\");
    EXPECT_EQ(FULLNAME(""), "");
    EXPECT_EQ(FULLPATH("DELTRA.CFG"), cwd);
    EXPECT_EQ(FULLPATH(drive + "\\x.dbf"), drive + "\\");
    EXPECT_EQ(currentDrive(), drive);
    EXPECT_EQ(CURPATH(drive), cwd.substr(2) + "\\");
    EXPECT_EQ(driveOf("x.dbf"), drive);
    EXPECT_EQ(driveOf("Q:\\dati\\x.dbf"), "Q:");

    writeFile(dir / "file", "x");
    EXPECT_TRUE(DIR(cwd));
    EXPECT_TRUE(DIR(".."));
    EXPECT_FALSE(DIR(dir / "file"));
    EXPECT_FALSE(DIR(dir / "missing"));
    EXPECT_EQ(FULLNAME("."), cwd); // DIR put the current folder back
}

TEST(WinFileOps, FolderCreationAndLastWriteTimes) {
    TempFolder dir;
    EXPECT_TRUE(CREATEDIR(dir / "new"));
    EXPECT_FALSE(CREATEDIR(dir / "new"));
    EXPECT_FALSE(CREATEDIR(dir / "missing\\new"));

    const std::string src = dir / "src.txt", dst = dir / "dst.txt";
    writeFile(src, "a");
    writeFile(dst, "b");
    setWriteTime(src, kY2k);
    ASSERT_TRUE(SETFILEDATETIME(src, dst));
    EXPECT_EQ(writeTimeOf(dst), kY2k);
    ASSERT_TRUE(SETFILEDATETIME(src, dir / "new")); // folders too
    EXPECT_EQ(writeTimeOf(dir / "new"), kY2k);
    EXPECT_FALSE(SETFILEDATETIME(dir / "missing", dst));
    EXPECT_FALSE(SETFILEDATETIME(src, dir / "missing"));
}

TEST(WinFileOps, CopyFileKeepsContentsAttributesAndTime) {
    TempFolder dir;
    const std::string src = dir / "src.bin", dst = dir / "dst.bin";
    std::string big(3 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 7 + i / 4096);
    writeFile(src, big);
    writeFile(dst, "old target");
    setWriteTime(src, kY2k);
    ASSERT_TRUE(SETFILEATTRIBUTES(src, kAttrReadOnly | kAttrHidden));
    ASSERT_TRUE(COPYFILE(src, dst));
    EXPECT_EQ(dn::test::readFile(dst), big);
    EXPECT_EQ(GETFILEATTRIBUTES(dst) & (kAttrReadOnly | kAttrHidden),
              int64_t(kAttrReadOnly | kAttrHidden));
    EXPECT_EQ(writeTimeOf(dst), kY2k);
    // (Window events run through the call's progress routine, which Wine never
    // calls: nothing to count here.)

    // A read-only target is not written over; a failed copy changes nothing.
    EXPECT_FALSE(COPYFILE(src, dst));
    ASSERT_TRUE(SETFILEATTRIBUTES(dst, kAttrNormal));
    EXPECT_FALSE(COPYFILE(dir / "missing", dst));
    EXPECT_FALSE(COPYFILE(dir.path(), dst)); // a folder is no file to copy
    EXPECT_EQ(dn::test::readFile(dst), big);
    EXPECT_EQ(dn::test::fileNames(dir.path()), (std::set<std::string>{"dst.bin", "src.bin"}));
    SETFILEATTRIBUTES(src, kAttrNormal);
}

TEST(WinFileOps, FindListsMatchingNamesWithoutRegardToCase) {
    TempFolder dir;
    writeFile(dir / "b.DBF", "12345");
    writeFile(dir / "A.dbf", "");
    writeFile(dir / "c.ntx", "");
    fs::create_directory(dir / "Sub.dbf");
    ASSERT_TRUE(SETHIDDEN(dir / "A.dbf"));
    setWriteTime(dir / "b.DBF", kY2k);

    // The order is the file system's: compare as a set of name and attributes.
    auto list = [](const std::string& pattern) {
        std::map<std::string, uint32_t> out;
        OWIN32FINDDATA d;
        const FindHandle h = FINDFIRSTFILE(pattern, d);
        if (h == kInvalidFind)
            return out;
        do
            out[d.cFileName] = d.nFileAttr & (kAttrHidden | kAttrDirectory | kAttrReadOnly);
        while (FINDNEXTFILE(h, d));
        EXPECT_TRUE(FINDCLOSE(h));
        return out;
    };
    using M = std::map<std::string, uint32_t>;
    EXPECT_EQ(list(dir / "*.dbf"),
              (M{{"A.dbf", kAttrHidden}, {"b.DBF", 0}, {"Sub.dbf", kAttrDirectory}}));
    EXPECT_EQ(list(dir / "?.NTX"), (M{{"c.ntx", 0}}));
    EXPECT_TRUE(list(dir / "*.xyz").empty());
    EXPECT_TRUE(list(dir / "missing\\*.*").empty());

    OWIN32FINDDATA d;
    const FindHandle h = FINDFIRSTFILE(dir / "B.Dbf", d);
    ASSERT_NE(h, kInvalidFind);
    EXPECT_EQ(d.cFileName, "b.DBF");
    EXPECT_EQ(d.nFileSizeL, 5u);
    EXPECT_EQ(fileTimeToUnixSeconds(d.cLastWTime), 946684800);
    EXPECT_FALSE(FINDNEXTFILE(h, d));
    FINDCLOSE(h);
}

TEST(WinFileOps, DriveListsHoldDriveLetters) {
    const auto all = ADISK(0), floppies = ADISK(1), fixed = ADISK(2);
    EXPECT_FALSE(fixed.empty());
    for (const std::string& d : all) {
        ASSERT_EQ(d.size(), 2u) << d;
        EXPECT_EQ(d[1], ':');
        EXPECT_TRUE(DIR(d + "\\")) << d;
    }
    for (const std::string& d : floppies)
        EXPECT_TRUE(d == "A:" || d == "B:") << d;
    const std::string here = currentDrive();
    EXPECT_NE(std::find(fixed.begin(), fixed.end(), here), fixed.end()) << here;
}
