#include "common/config/inifile.h"
#include "common/config/variables.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "tests/support/files.h"
#include "tests/support/first_start.h"
#ifndef _WIN32
#include "tests/support/mounts.h"
#endif
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace dn;
using namespace dn::config;
using dn::test::readFile;
using dn::test::writeFile;

namespace {

// Each test runs in a fresh folder as the working directory, with no variables.
class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        variables().clear();
    }
    void TearDown() override {
        std::filesystem::current_path(old_);
        variables().clear();
    }
    // The application's variables with their defaults, in their creation order.
    static void createDefaults() {
        for (int i = 1; i <= 10; ++i) {
            const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
            variables().set("CFG_NM" + n, "");
            variables().set("CFG_PW" + n, "");
        }
        variables().set("CFG_SUP", 0);
        variables().set("CFG_SOT", false);
        variables().set("CFG_SIN", 0);
        variables().set("CFG_DES", false);
    }

    // The text as the test compares it. On Windows the system's profile functions
    // write the file, and Wine's drop blank lines; every other line must stay.
    static std::string withoutBlankLines(std::string text) {
#ifdef _WIN32
        for (size_t at; (at = text.find("\r\n\r\n")) != std::string::npos;)
            text.erase(at, 2);
#endif
        return text;
    }

    dn::test::TempFolder dir_;
    std::filesystem::path old_;
};

} // namespace

TEST(ConfigValues, EachKindIsWrittenWithItsLetterAndReadBack) {
    EXPECT_EQ(iniValue(Value("Rossi  ")), "CRossi");
    EXPECT_EQ(iniValue(Value("")), "C");
    EXPECT_EQ(iniValue(Value(150)), "N150");
    EXPECT_EQ(iniValue(Value(-3)), "N-3");
    EXPECT_EQ(iniValue(Value(0.5)), "N0.5");
    EXPECT_EQ(iniValue(Value(true)), "L.T.");
    EXPECT_EQ(iniValue(Value(Date::fromYmd(2024, 2, 9))), "D09/02/2024");
    EXPECT_EQ(iniValue(Value(Date())), "D  /  /");
    EXPECT_FALSE(iniValue(Value()));

    EXPECT_EQ(parseIniValue("CRossi")->text(), "Rossi");
    EXPECT_EQ(parseIniValue("C  a b ")->text(), "  a b ");
    EXPECT_TRUE(parseIniValue("L.T.")->logical());
    EXPECT_TRUE(parseIniValue("L.T.x")->logical());
    EXPECT_FALSE(parseIniValue("L")->logical());
    EXPECT_FALSE(parseIniValue("L.F.")->logical());
    EXPECT_FALSE(parseIniValue("LT")->logical());
    EXPECT_EQ(parseIniValue("N12abc")->number(), 12);
    EXPECT_EQ(parseIniValue("N")->number(), 0);
    EXPECT_EQ(parseIniValue("N-3")->number(), -3);
    EXPECT_EQ(parseIniValue("N2.5.1")->number(), 2.5);
    EXPECT_EQ(parseIniValue("N-")->number(), 0);
    EXPECT_EQ(parseIniValue("D09/02/2024")->date(), Date::fromYmd(2024, 2, 9));
    EXPECT_TRUE(parseIniValue("D  /  /")->date().isEmpty());
    EXPECT_TRUE(parseIniValue("D31/02/2024")->date().isEmpty());
    EXPECT_FALSE(parseIniValue("X1"));
    EXPECT_FALSE(parseIniValue("c lower-case letter"));
    EXPECT_FALSE(parseIniValue(""));
}

TEST(ConfigValues, RegistryKeepsUpperCaseNamesAndRefusesOtherKinds) {
    Variables v;
    v.set("cfg_nm01", "Rossi");
    EXPECT_TRUE(v.exists("CFG_NM01"));
    EXPECT_EQ(v.text("Cfg_Nm01"), "Rossi");
    // Typed reads never throw on a kind a hand-edited file may have changed.
    EXPECT_EQ(v.number("CFG_NM01", 7), 7);
    v.declare("CFG_NM01");
    EXPECT_EQ(v.text("CFG_NM01"), "Rossi");
    v.declare("CFG_NEW");
    EXPECT_TRUE(v.get("CFG_NEW").isAbsent());
    EXPECT_THROW(v.set("CFG_L", Value(ValueList{})), std::invalid_argument);
    EXPECT_FALSE(v.exists("CFG_L"));
    EXPECT_EQ(v.names(), (std::vector<std::string>{"CFG_NEW", "CFG_NM01"}));
}

TEST_F(ConfigFile, FirstStartWritesAllDefaultsInNameOrder) {
    createDefaults();
    variables().set("ALTRO", "not in the group");
    variables().set("cfg_", Value()); // declared only: nothing to write
    SAVEINI("CFG_*", "DELTRA.CFG");
    EXPECT_EQ(readFile(dir_ / "DELTRA.CFG"), dn::test::kFirstStartConfig);
    // Saving again writes the same file.
    SAVEINI("CFG_*", "DELTRA.CFG");
    EXPECT_EQ(readFile(dir_ / "DELTRA.CFG"), dn::test::kFirstStartConfig);
    // The prefix is case-sensitive.
    std::filesystem::remove(dir_ / "DELTRA.CFG");
    SAVEINI("cfg_*", "DELTRA.CFG");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "DELTRA.CFG"));
}

TEST_F(ConfigFile, RestoreLoadsKnownAndUnknownNamesAndSkipsUnknownLetters) {
    createDefaults();
    writeFile(dir_ / "DELTRA.CFG", "[Vars]\r\n"
                                   "CFG_NM01=CRossi\r\n"
                                   "CFG_SUP=N12abc\r\n"
                                   "CFG_DES=L.T.\r\n"
                                   "CFG_SIN=X1\r\n"
                                   "CFG_PW01=\r\n"
                                   "CFG_XYZ=Cabc\r\n"
                                   "cfg_low=D01/03/2025\r\n");
    RESTOREINI("DELTRA.CFG");
    auto& v = variables();
    EXPECT_EQ(v.text("CFG_NM01"), "Rossi");
    EXPECT_EQ(v.number("CFG_SUP"), 12);
    EXPECT_TRUE(v.logical("CFG_DES"));
    EXPECT_TRUE(v.get("CFG_SIN").isNumber()); // X1 ignored: the default stays
    EXPECT_EQ(v.number("CFG_SIN"), 0);
    EXPECT_EQ(v.text("CFG_PW01", "?"), "");
    EXPECT_FALSE(v.logical("CFG_SOT", true)); // not in the file: default false
    EXPECT_EQ(v.text("CFG_XYZ"), "abc");
    EXPECT_EQ(v.date("CFG_LOW"), Date::fromYmd(2025, 3, 1));
}

TEST_F(ConfigFile, UnknownLineWithUnknownLetterStaysAsItIs) {
    writeFile(dir_ / "DELTRA.CFG", "[Vars]\r\nCFG_ODD=X1\r\nCFG_A=N1\r\n");
    for (const auto& name : std::vector<std::string>{"CFG_ODD", "CFG_A"})
        variables().declare(name);
    RESTOREINI("DELTRA.CFG");
    EXPECT_TRUE(variables().get("CFG_ODD").isAbsent());
    SAVEINI("CFG_*", "DELTRA.CFG");
    EXPECT_EQ(readFile(dir_ / "DELTRA.CFG"), "[Vars]\r\nCFG_ODD=X1\r\nCFG_A=N1\r\n");
}

TEST_F(ConfigFile, HandEditedFileKeepsCommentsOrderAndOtherSections) {
    const std::string edited = "; impostazioni di Deltranota\r\n"
                               "[Vars]\r\n"
                               "CFG_SUP=N40\r\n"
                               "; posizione\r\n"
                               "CFG_DES=L.T.\r\n"
                               "\r\n"
                               "[Altro]\r\n"
                               "CFG_NM01=Cnon mio\r\n";
    writeFile(dir_ / "DELTRA.CFG", edited);
    variables().set("CFG_SUP", 0);
    variables().set("CFG_DES", false);
    variables().set("CFG_NM01", "Bianchi");
    RESTOREINI("DELTRA.CFG");
    EXPECT_EQ(variables().number("CFG_SUP"), 40);
    EXPECT_EQ(variables().text("CFG_NM01"), "Bianchi"); // other sections are not read
    SAVEINI("CFG_*", "DELTRA.CFG");
    const std::string expected = "; impostazioni di Deltranota\r\n"
                                 "[Vars]\r\n"
                                 "CFG_SUP=N40\r\n"
                                 "; posizione\r\n"
                                 "CFG_DES=L.T.\r\n"
                                 "CFG_NM01=CBianchi\r\n"
                                 "\r\n"
                                 "[Altro]\r\n"
                                 "CFG_NM01=Cnon mio\r\n";
    EXPECT_EQ(withoutBlankLines(readFile(dir_ / "DELTRA.CFG")), withoutBlankLines(expected));
    SAVEINI("CFG_*", "DELTRA.CFG");
    EXPECT_EQ(withoutBlankLines(readFile(dir_ / "DELTRA.CFG")), withoutBlankLines(expected));
}

TEST_F(ConfigFile, MissingFileChangesNothingAndRelativeNamesMeanTheWorkingFolder) {
    createDefaults();
    variables().set("CFG_NM01", "Verdi");
    RESTOREINI("DELTRA.CFG");
    EXPECT_EQ(variables().text("CFG_NM01"), "Verdi");
    std::filesystem::create_directory(dir_ / "sub");
    SAVEINI("CFG_NM01*", "sub/../DELTRA.CFG");
    EXPECT_EQ(readFile(dir_ / "DELTRA.CFG"), "[Vars]\r\nCFG_NM01=CVerdi\r\n");
}

TEST_F(ConfigFile, TextWithALineBreakIsRefusedBeforeTheFileIsTouched) {
    variables().set("CFG_A", "due\r\nrighe");
    EXPECT_THROW(SAVEINI("CFG_*", "DELTRA.CFG"), std::invalid_argument);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "DELTRA.CFG"));
}

// A refused write is reported as the file error behind it, never passed over; the
// run keeps its values and the file keeps what it had.
#ifdef _WIN32
TEST_F(ConfigFile, WriteToAReadOnlyFileIsReportedAndLosesNothing) {
    writeFile(dir_ / "DELTRA.CFG", "[Vars]\r\nCFG_NM01=CRossi\r\n");
    ASSERT_TRUE(platform::SETFILEATTRIBUTES(dir_ / "DELTRA.CFG", platform::kAttrReadOnly));
    variables().set("CFG_NM01", "Bianchi");
    try {
        SAVEINI("CFG_*", "DELTRA.CFG");
        FAIL() << "the refused write passed as done";
    } catch (const platform::FileError& e) {
        EXPECT_EQ(e.kind(), platform::FileErrorKind::AccessDenied);
        EXPECT_EQ(e.path(), platform::FULLNAME("DELTRA.CFG"));
    }
    EXPECT_EQ(variables().text("CFG_NM01"), "Bianchi");
    EXPECT_EQ(readFile(dir_ / "DELTRA.CFG"), "[Vars]\r\nCFG_NM01=CRossi\r\n");
    ASSERT_TRUE(platform::SETFILEATTRIBUTES(dir_ / "DELTRA.CFG", platform::kAttrNormal));
}
#else
TEST_F(ConfigFile, WriteOnReadOnlyMediumIsReportedAndLosesNothing) {
    writeFile(dir_ / "DELTRA.CFG", "[Vars]\r\nCFG_NM01=CRossi\r\n");
    std::filesystem::create_directory(dir_ / "ro");
    auto mount = dn::test::ScopedMount::bind(dir_.path(), dir_ / "ro", true);
    if (!mount.ok())
        GTEST_SKIP() << mount.error();
    variables().set("CFG_NM01", "Bianchi");
    try {
        SAVEINI("CFG_*", dir_ / "ro/DELTRA.CFG");
        FAIL() << "the refused write passed as done";
    } catch (const platform::FileError& e) {
        EXPECT_EQ(e.kind(), platform::FileErrorKind::WriteProtected);
        EXPECT_EQ(e.path(), dir_ / "ro/DELTRA.CFG");
    }
    EXPECT_EQ(variables().text("CFG_NM01"), "Bianchi");
    EXPECT_EQ(readFile(dir_ / "DELTRA.CFG"), "[Vars]\r\nCFG_NM01=CRossi\r\n");
    // A new file on that medium is refused the same way.
    try {
        SAVEINI("CFG_*", dir_ / "ro/NUOVO.CFG");
        FAIL() << "the refused write passed as done";
    } catch (const platform::FileError& e) {
        EXPECT_EQ(e.kind(), platform::FileErrorKind::WriteProtected);
    }
}
#endif
