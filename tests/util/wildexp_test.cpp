#include "common/util/wildexp.h"

#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace dn;
using Names = std::vector<std::string>;

TEST(Wildexp, MatchingRules) {
    EXPECT_TRUE(wildMatch("*.dbf", "SCADENZE.DBF"));
    EXPECT_TRUE(wildMatch("scad?nze.*", "SCADENZE.NTX"));
    EXPECT_TRUE(wildMatch("*", ".hidden"));
    EXPECT_TRUE(wildMatch("*.*", "noext"));
    EXPECT_TRUE(wildMatch("noext.*", "noext"));
    EXPECT_TRUE(wildMatch("a*b*c", "aXXbYYbZc"));
    EXPECT_TRUE(wildMatch("CITT\xC0*", "citt\xE0.txt")); // accented letters fold too
    EXPECT_FALSE(wildMatch("*.dbf", "SCADENZE.DBT"));
    EXPECT_FALSE(wildMatch("?.ntx", "ab.ntx"));
    EXPECT_FALSE(wildMatch("*.*x", "noext"));
    EXPECT_FALSE(wildMatch("a*b", "aXXbYYc"));
    EXPECT_FALSE(wildMatch("", "a"));
    // A pattern of many stars against a long name finishes (no exponential backtracking).
    EXPECT_FALSE(wildMatch("*a*a*a*a*a*a*a*a*b", std::string(20000, 'a')));
    std::string dotStars;
    for (int i = 0; i < 200000; ++i)
        dotStars += ".*";
    EXPECT_FALSE(wildMatch(dotStars, "noext"));
    EXPECT_FALSE(wildMatch("*" + dotStars, "noext"));
}

TEST(Wildexp, ListsFilesOfEachPatternInTurn) {
    dn::test::TempFolder dir;
    for (const char* name : {"A.DBF", "b.dbf", "c.ntx", "noext", ".hidden.dbf", "ro.dbf"})
        dn::test::writeFile(dir / name, "");
    std::filesystem::permissions(dir / "ro.dbf", std::filesystem::perms::owner_read);
    std::filesystem::create_directory(dir / "sub.dbf");

    const std::string d = dir.path();
    EXPECT_EQ(WILDEXP({d + "/*.dbf"}), (Names{".hidden.dbf", "A.DBF", "b.dbf", "ro.dbf"}));
    EXPECT_EQ(WILDEXP({d + "\\?.NTX", d + "/*.DBF"}),
              (Names{"c.ntx", ".hidden.dbf", "A.DBF", "b.dbf", "ro.dbf"}));
    EXPECT_EQ(WILDEXP({d + "/*.*"}).size(), 6u); // every file, folders left out
    EXPECT_EQ(WILDEXP({d + "/b.*", d + "/?.dbf"}), (Names{"b.dbf", "A.DBF", "b.dbf"}));
    EXPECT_EQ(WILDEXP({d + "/none*"}), Names{});
    EXPECT_EQ(WILDEXP({d + "/missing/*.*", d + "/", ""}), Names{});
    EXPECT_EQ(WILDEXP({}), Names{});
}

TEST(Wildexp, PatternWithoutFolderLooksInTheWorkingDirectory) {
    dn::test::TempFolder dir;
    dn::test::writeFile(dir / "one.txt", "");
    dn::test::writeFile(dir / "two.txt", "");
    Names found;
    {
        dn::test::InFolder in(dir.path());
        found = WILDEXP({"*.TXT"});
    }
    EXPECT_EQ(found, (Names{"one.txt", "two.txt"}));
}
