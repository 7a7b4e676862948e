#include "platform/fileops.h"
#include "platform/profile.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

using namespace dn::platform;
using dn::test::readFile;
using dn::test::TempFolder;
using dn::test::writeFile;

TEST(Profile, WritingCreatesFileAndSectionsWithCrLfAndLeavesNothingElse) {
    TempFolder dir;
    const std::string f = dir / "DELTRA.CFG";
    ASSERT_TRUE(WRITEPVPROFSTRING("Vars", "CFG_NM01", "CRossi", f));
    EXPECT_EQ(readFile(f), "[Vars]\r\nCFG_NM01=CRossi\r\n");
    ASSERT_TRUE(WRITEPVPROFSTRING("Vars", "CFG_NM02", "C", f));
    ASSERT_TRUE(WRITEPVPROFSTRING("Altro", "A", "1", f));
    ASSERT_TRUE(WRITEPVPROFSTRING("vars", "cfg_nm01", "CBianchi", f));
    EXPECT_EQ(readFile(f), "[Vars]\r\nCFG_NM01=CBianchi\r\nCFG_NM02=C\r\n[Altro]\r\nA=1\r\n");
    // Saving the same values again writes the same file.
    ASSERT_TRUE(WRITEPVPROFSTRING("Vars", "CFG_NM02", "C", f));
    EXPECT_EQ(readFile(f), "[Vars]\r\nCFG_NM01=CBianchi\r\nCFG_NM02=C\r\n[Altro]\r\nA=1\r\n");
    EXPECT_EQ(dn::test::fileNames(dir.path()), std::set<std::string>{"DELTRA.CFG"});
}

TEST(Profile, RefusedWritesLeaveTheFileAsItWas) {
    TempFolder dir;
    const std::string f = dir / "x.ini";
    const std::string before = "[Vars]\r\nA=1\r\n";
    writeFile(f, before);
    // Texts that would add lines or keys of their own are refused.
    EXPECT_FALSE(WRITEPVPROFSTRING("Vars", "A", "2\r\n[Altro]\r\nB=3", f));
    EXPECT_FALSE(WRITEPVPROFSTRING("Vars", "A=B", "2", f));
    EXPECT_FALSE(WRITEPVPROFSTRING("Vars", "", "2", f));
    EXPECT_FALSE(WRITEPVPROFSTRING("Va]rs", "A", "2", f));
    EXPECT_EQ(readFile(f), before);
    EXPECT_FALSE(WRITEPVPROFSTRING("Vars", "A", "2", dir / "manca/x.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir / "manca"));
    // A file that may not be written (no write permission, which does not stop
    // root; the read-only attribute on Windows, which stops everyone).
#ifdef _WIN32
    const bool enforced = true;
#else
    const bool enforced = ::geteuid() != 0;
#endif
    if (enforced) {
        ASSERT_TRUE(SETFILEATTRIBUTES(f, kAttrReadOnly));
        EXPECT_FALSE(WRITEPVPROFSTRING("Vars", "A", "2", f));
        EXPECT_EQ(readFile(f), before);
        ASSERT_TRUE(SETFILEATTRIBUTES(f, kAttrNormal));
    }
    EXPECT_EQ(dn::test::fileNames(dir.path()), std::set<std::string>{"x.ini"});
}
