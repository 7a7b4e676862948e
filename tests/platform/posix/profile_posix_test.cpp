// Profile files as the POSIX build edits them, byte for byte as the Windows
// profile functions do (on Windows those functions do the work themselves, and
// win/profile_api_test.cpp sets them against the same text engine), and reached
// through symbolic links.
#include "platform/profile.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace dn::platform;
using dn::test::readFile;
using dn::test::TempFolder;
using dn::test::writeFile;

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

TEST(Profile, WritingThroughALinkUpdatesTheFileItLeadsTo) {
    TempFolder dir;
    const std::string real = dir / "real.ini";
    writeFile(real, "[Vars]\r\nA=1\r\n");
    std::filesystem::create_symlink(real, dir / "link.ini");
    ASSERT_TRUE(WRITEPVPROFSTRING("Vars", "A", "2", dir / "link.ini"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(readFile(real), "[Vars]\r\nA=2\r\n");
}
