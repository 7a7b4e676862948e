#include "platform/profile.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST(Profile, WritingReplacesInPlaceAppendsAtSectionEndAndKeepsOtherLines) {
    TempFolder dir;
    const std::string f = dir / "x.ini";
    // Mixed line ends, a comment, a line before any section, an unknown line, a
    // blank line between sections and Windows-1252 letters (0xE0 = a grave).
    writeFile(f, "; impostazioni\n"
                 "top=1\r\n"
                 "[vars]\r\n"
                 "; nota\r\n"
                 "CFG_A = vecchio \r\n"
                 "riga senza uguale\r\n"
                 "CFG_B=L.T.\r\n"
                 "\r\n"
                 "[Citt\xE0]\n"
                 "Nome=Perch\xE9");
    ::chmod(f.c_str(), 0640);
    ASSERT_TRUE(WRITEPVPROFSTRING("VARS", "cfg_a", "Cnuovo", f));
    ASSERT_TRUE(WRITEPVPROFSTRING("Vars", "CFG_C", "N5", f));
    ASSERT_TRUE(WRITEPVPROFSTRING("CITT\xC0", "nome", "Luc\xE0", f)); // 0xC0 = upper a grave
    ASSERT_TRUE(WRITEPVPROFSTRING("Citt\xE0", "Via", "\x80 5", f));
    EXPECT_EQ(readFile(f), "; impostazioni\r\n"
                           "top=1\r\n"
                           "[vars]\r\n"
                           "; nota\r\n"
                           "CFG_A=Cnuovo\r\n"
                           "riga senza uguale\r\n"
                           "CFG_B=L.T.\r\n"
                           "CFG_C=N5\r\n"
                           "\r\n"
                           "[Citt\xE0]\r\n"
                           "Nome=Luc\xE0\r\n"
                           "Via=\x80 5\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(Profile, ReadsValuesKeysAndSectionsWithoutRegardToCase) {
    TempFolder dir;
    const std::string f = dir / "x.ini";
    writeFile(f, "k0=fuori\r\n"
                 "[Vars]\r\n"
                 "CFG_B =  L.T.  \r\n"
                 "; CFG_X=commento\r\n"
                 "solo testo\r\n"
                 "CFG_A=\"  tra virgolette \"\r\n"
                 "cfg_b=doppione\r\n"
                 "CFG_\xC8=\xE8\r\n"
                 "[Vuota]\r\n"
                 "[vars]\r\n"
                 "CFG_Z=seconda sezione\r\n");
    EXPECT_EQ(GETPVPROFSTRING("vars", "cfg_b", "?", f), "L.T.");
    EXPECT_EQ(GETPVPROFSTRING("Vars", "CFG_A", "?", f), "  tra virgolette ");
    EXPECT_EQ(GETPVPROFSTRING("Vars", "cfg_\xE8", "?", f), "\xE8");
    EXPECT_EQ(GETPVPROFSTRING("Vars", "CFG_X", "?", f), "?");
    EXPECT_EQ(GETPVPROFSTRING("Vars", "k0", "?", f), "?");
    EXPECT_EQ(GETPVPROFSTRING("Vars", "CFG_Z", "?", f), "?"); // only the first [Vars] counts
    EXPECT_EQ(GETPVPROFSTRING("Manca", "CFG_A", "def", f), "def");
    EXPECT_EQ(GETPVPROFSTRING("Vars", "CFG_A", "def", dir / "manca.ini"), "def");
    EXPECT_EQ(GETPVPROFSECTION("VARS", f),
              (std::vector<std::string>{"CFG_B", "CFG_A", "CFG_\xC8"}));
    EXPECT_TRUE(GETPVPROFSECTION("Vuota", f).empty());
    EXPECT_TRUE(GETPVPROFSECTION("Manca", f).empty());
    EXPECT_TRUE(GETPVPROFSECTION("Vars", dir / "manca.ini").empty());
    EXPECT_EQ(GETPVPROFSECTIONNAMES(f), (std::vector<std::string>{"Vars", "Vuota"}));
    EXPECT_TRUE(GETPVPROFSECTIONNAMES(dir / "manca.ini").empty());
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
    if (::geteuid() != 0) {
        ::chmod(f.c_str(), 0444);
        EXPECT_FALSE(WRITEPVPROFSTRING("Vars", "A", "2", f));
        EXPECT_EQ(readFile(f), before);
    }
    EXPECT_EQ(dn::test::fileNames(dir.path()), std::set<std::string>{"x.ini"});
}

TEST(Profile, WritingThroughALinkUpdatesTheFileItLeadsTo) {
    TempFolder dir;
    const std::string real = dir / "real.ini";
    writeFile(real, "[Vars]\r\nA=1\r\n");
    std::filesystem::create_symlink(real, dir / "link.ini");
    ASSERT_TRUE(WRITEPVPROFSTRING("Vars", "A", "2", dir / "link.ini"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(readFile(real), "[Vars]\r\nA=2\r\n");
}
