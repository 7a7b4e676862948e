#include "toolkit/picture.h"

#include <gtest/gtest.h>

using dn::Date;
using dn::Value;
using dn::tk::FieldType;
using dn::tk::Picture;

namespace {

// Types each character of keys into a positional field from its start.
std::string typed(const Picture& p, std::string text, const std::string& keys, int cursor = 0) {
    for (char c : keys)
        dn::tk::typeAt(p, text, cursor, c);
    return text;
}

} // namespace

TEST(Picture, TimeMaskKeepsItsColonAndReadsBlankWhenUntouched) {
    const Picture p("99:99", FieldType::Text, 5);
    EXPECT_EQ(p.format(Value("     ")), "  :  ");
    EXPECT_EQ(p.blank(), "  :  ");
    // The untouched field stores the picture with blanks.
    EXPECT_EQ(p.parse("  :  ")->text(), "  :  ");
    // Digits skip the literal; letters are refused where a digit belongs.
    EXPECT_EQ(typed(p, p.blank(), "0930"), "09:30");
    EXPECT_EQ(typed(p, p.blank(), "9a3"), "93:  ");
    // Backspace walks back over the colon and blanks the digit before it.
    std::string t = "09:30";
    int cursor = 3;
    EXPECT_TRUE(dn::tk::backspaceAt(p, t, cursor));
    EXPECT_EQ(t, "0 :30");
    EXPECT_EQ(cursor, 1);
    // Nothing is typed past the end.
    cursor = 5;
    EXPECT_FALSE(dn::tk::typeAt(p, t, cursor, '1'));
}

TEST(Picture, UpperCaseAndDigitsOnlyFunctions) {
    const Picture upper("@!", FieldType::Text, 10);
    EXPECT_EQ(*upper.accept(0, 'a'), 'A');
    EXPECT_EQ(*upper.accept(0, '\xE0'), '\xC0'); // à -> À in Windows-1252
    EXPECT_EQ(upper.format(Value("rossi     ")), "ROSSI");
    // Free text is stored padded to the variable's width.
    EXPECT_EQ(upper.parse("ROSSI")->text(), "ROSSI     ");

    const Picture digits("@9", FieldType::Text, 5);
    EXPECT_TRUE(digits.accept(0, '7'));
    EXPECT_FALSE(digits.accept(0, 'x'));
    EXPECT_FALSE(digits.accept(0, '-'));

    const Picture cap("99999", FieldType::Text, 5);
    EXPECT_TRUE(cap.positional());
    EXPECT_EQ(typed(cap, cap.blank(), "2a0b1"), "201  ");
}

TEST(Picture, EuropeanNumberWithLeadingMinus) {
    const Picture p("@E 9999", FieldType::Number);
    EXPECT_EQ(p.width(), 4);
    EXPECT_EQ(p.format(Value(15)), "15");
    EXPECT_EQ(p.format(Value(-123)), "-123");
    EXPECT_EQ(p.parse("-123")->number(), -123);
    EXPECT_EQ(p.parse("  -7")->number(), -7);
    EXPECT_EQ(p.parse("")->number(), 0);
    EXPECT_TRUE(p.acceptsNumberText("-123"));
    EXPECT_FALSE(p.acceptsNumberText("12-3"));
    EXPECT_FALSE(p.acceptsNumberText("12345"));
    // Too big for the mask: shown as asterisks, and the text is a bad number.
    EXPECT_EQ(p.format(Value(12345)), "****");
    EXPECT_EQ(p.format(Value(-1234)), "****");
    EXPECT_TRUE(p.badNumber("****"));
    EXPECT_TRUE(p.badNumber("1-2"));
    EXPECT_TRUE(p.badNumber("-"));
    EXPECT_FALSE(p.badNumber("9999"));
}

TEST(Picture, NumbersWithDecimalsAndThousands) {
    const Picture it("@E 9,999.99", FieldType::Number);
    EXPECT_EQ(it.format(Value(1234.5)), "1.234,50");
    EXPECT_EQ(it.format(Value(-12.25)), "-12,25");
    EXPECT_DOUBLE_EQ(it.parse("1.234,50")->number(), 1234.5);
    EXPECT_TRUE(it.badNumber("1,234"));

    const Picture en("999.99", FieldType::Number);
    EXPECT_EQ(en.format(Value(3.14159)), "3.14");
    EXPECT_DOUBLE_EQ(en.parse("3.5")->number(), 3.5);
    EXPECT_TRUE(en.badNumber("1000"));
    EXPECT_TRUE(en.badNumber("1.234"));
}

TEST(Picture, DatesAndBadDate) {
    const Picture p("", FieldType::Date);
    EXPECT_EQ(p.format(Value(Date())), "  /  /    ");
    EXPECT_EQ(p.format(Value(Date::fromYmd(2025, 12, 25))), "25/12/2025");
    EXPECT_EQ(typed(p, p.blank(), "01022024"), "01/02/2024");
    EXPECT_EQ(typed(p, p.blank(), "1x2"), "12/  /    ");
    EXPECT_EQ(p.parse("29/02/2024")->date(), Date::fromYmd(2024, 2, 29));
    EXPECT_EQ(p.parse(" 1/02/2024")->date(), Date::fromYmd(2024, 2, 1));
    EXPECT_TRUE(p.parse("  /  /    ")->date().isEmpty());
    EXPECT_FALSE(p.badDate("  /  /    "));
    EXPECT_TRUE(p.badDate("29/02/2023"));
    EXPECT_TRUE(p.badDate("31/04/2024"));
    EXPECT_TRUE(p.badDate("12/  /    "));
    // A year typed with two digits reads in the 1980-2079 window, never as the
    // first century; other lengths are bad.
    EXPECT_EQ(p.parse("01/02/20  ")->date(), Date::fromYmd(2020, 2, 1));
    EXPECT_EQ(p.parse("01/02/85  ")->date(), Date::fromYmd(1985, 2, 1));
    EXPECT_TRUE(p.badDate("01/02/202 "));
    EXPECT_TRUE(p.badDate("01/02/2   "));
    EXPECT_TRUE(p.badDate("00/01/2024"));
}

TEST(Picture, RawTemplateStoresOnlyTheTypedCharacters) {
    const Picture p("@R 999-9999", FieldType::Text, 7);
    EXPECT_EQ(p.format(Value("0551234")), "055-1234");
    EXPECT_EQ(p.parse("055-1234")->text(), "0551234");
}
