#include "common/util/cp1252.h"

#include <gtest/gtest.h>

using namespace dn;

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_EQ(utf8ToCp1252(utf8), all);
    for (int b = 0; b < 256; ++b) {
        const auto back = unicodeToCp1252(cp1252ToUnicode(static_cast<unsigned char>(b)));
        ASSERT_TRUE(back.has_value()) << b;
        EXPECT_EQ(*back, b);
    }
}

TEST(Cp1252, HighRangeFollowsTheWindowsTable) {
    EXPECT_EQ(cp1252ToUnicode(0x80), U'\u20AC'); // euro sign
    EXPECT_EQ(cp1252ToUnicode(0x85), U'\u2026'); // ellipsis
    EXPECT_EQ(cp1252ToUnicode(0x8A), U'\u0160'); // S caron
    EXPECT_EQ(cp1252ToUnicode(0x9F), U'\u0178'); // Y diaeresis
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(cp1252ToUnicode(b), char32_t{b});
    EXPECT_EQ(cp1252ToUnicode(0x7F), U'\x7F');
    EXPECT_EQ(cp1252ToUnicode(0xE0), U'\u00E0');
    EXPECT_EQ(cp1252ToUtf8("Luned\xEC \x80"), "Luned\xC3\xAC \xE2\x82\xAC");
    EXPECT_EQ(cp1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1252, Utf8ThatCannotBeHeldBecomesTheReplacement) {
    EXPECT_EQ(utf8ToCp1252("\xE2\x82\xAC"), "\x80");
    EXPECT_EQ(utf8ToCp1252("\xC2\x80"), "?"); // U+0080 has no byte: 0x80 is the euro
    EXPECT_EQ(utf8ToCp1252("a\xE4\xB8\xAD"
                           "b"),
              "a?b");                                 // CJK character
    EXPECT_EQ(utf8ToCp1252("\xF0\x9F\x98\x80"), "?"); // outside the BMP
    EXPECT_EQ(utf8ToCp1252("\xC3"), "?");             // truncated
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF"
                           "x"),
              "??x");                               // overlong
    EXPECT_EQ(utf8ToCp1252("\xED\xA0\x80"), "???"); // surrogate
    EXPECT_EQ(utf8ToCp1252("\xE2\x82"
                           "A"),
              "??A"); // broken sequence resyncs
    EXPECT_EQ(utf8ToCp1252("\xFF", '_'), "_");
}

TEST(Cp1252, CaseMappingCoversAccentedLetters) {
    EXPECT_EQ(upper1252("citt\xE0 \x9A\x9C\x9E\xFF \xDF\xF7"),
              "CITT\xC0 \x8A\x8C\x8E\x9F \xDF\xF7");
    EXPECT_EQ(lower1252("CITT\xC0 \x8A\x8C\x8E\x9F \xD7"), "citt\xE0 \x9A\x9C\x9E\xFF \xD7");
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if (upper1252(c) != c) {
            EXPECT_EQ(lower1252(upper1252(c)), c) << b;
        }
    }
}
