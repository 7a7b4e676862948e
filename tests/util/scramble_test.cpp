#include "common/util/scramble.h"

#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace dn;

TEST(Crypt, TextFlipsTheTopBitOfEveryByte) {
    EXPECT_EQ(CRYPT("A"), "\xC1");
    EXPECT_EQ(CRYPT("        "), "        ");
    EXPECT_EQ(CRYPT(""), "");
    EXPECT_EQ(CRYPT("ab      "), "\xE1\xE2\xA0\xA0\xA0\xA0\xA0\xA0");
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string once = CRYPT(all);
    EXPECT_EQ(once.size(), all.size());
    EXPECT_NE(once, all);
    EXPECT_EQ(CRYPT(once), all);
    const std::string password = "segreto   ";
    EXPECT_EQ(CRYPT(CRYPT(password)), password);
}

TEST(Crypt, NumberIsTheNinesComplementAtItsLength) {
    EXPECT_EQ(CRYPT(123.0), 876);
    EXPECT_EQ(CRYPT(5.0), 4);
    EXPECT_EQ(CRYPT(999.0), 0);
    EXPECT_EQ(CRYPT(0.0), 0);
    EXPECT_EQ(CRYPT(95.0), 4);
    EXPECT_EQ(CRYPT(4.0), 5); // so 95 does not come back
    EXPECT_EQ(CRYPT(-5.0), 104);
    EXPECT_EQ(CRYPT(1.5), 997.5);
    EXPECT_EQ(CRYPT(1e308), 1e308); // its complement overflows
}

TEST(Crypt, ValuesOfOtherKindsComeBackUnchanged) {
    EXPECT_EQ(CRYPT(Value("A")).text(), "\xC1");
    EXPECT_EQ(CRYPT(Value("   ")).text(), "   ");
    EXPECT_EQ(CRYPT(Value(95)).number(), 4);
    EXPECT_EQ(CRYPT(Value(0)).number(), 0);
    EXPECT_EQ(CRYPT(Value(Date::fromYmd(2024, 3, 5))).date(), Date::fromYmd(2024, 3, 5));
    EXPECT_TRUE(CRYPT(Value(true)).logical());
    EXPECT_TRUE(CRYPT(Value()).isAbsent());
}

TEST(FileEncode, Base64OfTheFileBytes) {
    EXPECT_EQ(base64Encode(""), "");
    EXPECT_EQ(base64Encode("f"), "Zg==");
    EXPECT_EQ(base64Encode("fo"), "Zm8=");
    EXPECT_EQ(base64Encode("foo"), "Zm9v");
    EXPECT_EQ(base64Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(base64Encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(base64Encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(base64Encode(std::string("\0\xFF\xFE", 3)), "AP/+");

    dn::test::TempFolder dir;
    dn::test::writeFile(dir / "empty", "");
    EXPECT_EQ(FILEENCODE(dir / "empty"), "");
    EXPECT_EQ(FILEENCODE(dir / "missing"), "");
    EXPECT_EQ(FILEENCODE(dir.path()), ""); // a folder reads as nothing
    dn::test::writeFile(dir / "foobar", "foobar");
    EXPECT_EQ(FILEENCODE(dir / "foobar"), "Zm9vYmFy");
    std::string bytes;
    for (size_t n = 0; n <= 10; ++n) {
        const std::string path = dir / ("f" + std::to_string(n));
        dn::test::writeFile(path, bytes);
        EXPECT_EQ(FILEENCODE(path).size(), 4 * ((n + 2) / 3)) << n;
        bytes += static_cast<char>(0xF0 + n);
    }
}
