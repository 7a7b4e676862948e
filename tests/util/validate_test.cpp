#include "common/util/validate.h"

#include <gtest/gtest.h>

#include <string>

using namespace dn;

TEST(Validate, TaxCodeCheckLetter) {
    EXPECT_TRUE(ISCOD("RSSMRA80A01H501U"));
    EXPECT_TRUE(ISCOD("BNCGPP75T52F205H"));
    EXPECT_TRUE(ISCOD("VRDLGU85M10L219G"));
    EXPECT_TRUE(ISCOD("rssmra80a01h501u"));    // upper-cased first
    EXPECT_TRUE(ISCOD("RSSMRA80A01H501U   ")); // trailing blanks ignored
    EXPECT_FALSE(ISCOD("RSSMRA80A01H501V"));   // another check letter
    EXPECT_FALSE(ISCOD("RSSMRA80A01H501T"));
    EXPECT_FALSE(ISCOD("RSSMRA80A0155501U")); // 17 characters: checked as VAT, fails
    EXPECT_FALSE(ISCOD("RSSMRA80A011501U"));  // position 12 is not a letter
    EXPECT_FALSE(ISCOD("RSSMRA80A01H50-U"));  // position 15 neither letter nor digit
    EXPECT_FALSE(ISCOD("RSSMR\xC0"
                       "80A01H501U"));
    // Any other length is the VAT test.
    EXPECT_TRUE(ISCOD("12345678903"));
    EXPECT_FALSE(ISCOD("12345678901"));
}

TEST(Validate, VatNumberCheckDigit) {
    EXPECT_TRUE(ISIVA("12345678903"));
    EXPECT_TRUE(ISIVA("12345678903  "));
    EXPECT_FALSE(ISIVA("12345678901"));
    EXPECT_FALSE(ISIVA("00000000000")); // its check digit would match
    EXPECT_FALSE(ISIVA("1234567890"));
    EXPECT_FALSE(ISIVA("123456789031"));
    EXPECT_FALSE(ISIVA(" 12345678903"));
    // A letter among the digits is refused, even where its code would give the right sum.
    EXPECT_FALSE(ISIVA("A2345678907"));
    EXPECT_FALSE(ISIVA("1234567890A"));
}

TEST(Validate, IbanRemainderMustBeExactlyOne) {
    EXPECT_TRUE(ISIBAN("IT60X0542811101000000123456"));
    EXPECT_TRUE(ISIBAN("IT43X0306909606100000063497"));
    EXPECT_TRUE(ISIBAN("  IT60X0542811101000000123456  "));
    EXPECT_FALSE(ISIBAN("IT61X0542811101000000123456"));
    // Remainders 0 and 10 to 19 ("10" begins with "1") are refused.
    EXPECT_FALSE(ISIBAN("IT59X0542811101000000123456"));
    for (int ck = 69; ck <= 78; ++ck)
        EXPECT_FALSE(ISIBAN("IT" + std::to_string(ck) + "X0542811101000000123456")) << ck;
    EXPECT_FALSE(ISIBAN("IT60X054281110100000012345"));   // 26 characters
    EXPECT_FALSE(ISIBAN("IT60X05428111010000001234567")); // 28
    EXPECT_FALSE(ISIBAN("IT60X0542811101000 00123456"));  // blank inside
    EXPECT_FALSE(ISIBAN("it60x0542811101000000123456"));
}

TEST(Validate, EmailShape) {
    EXPECT_TRUE(ISEMAIL("mario.rossi@example.it"));
    EXPECT_TRUE(ISEMAIL("o'neil-x_1@mail.example.com   "));
    EXPECT_TRUE(ISEMAIL("@example.it")); // nothing required before the at-sign
    EXPECT_FALSE(ISEMAIL("mario rossi@example.it"));
    EXPECT_FALSE(ISEMAIL(" mario@example.it"));
    EXPECT_FALSE(ISEMAIL("mario.rossi@example"));
    EXPECT_FALSE(ISEMAIL("mario@rossi@example.it"));
    EXPECT_FALSE(ISEMAIL("mario@example.it."));
    EXPECT_FALSE(ISEMAIL("mario#1@example.it"));
    EXPECT_FALSE(ISEMAIL("citt\xE0@example.it"));
    EXPECT_FALSE(ISEMAIL("mario@example"));
    EXPECT_FALSE(ISEMAIL(""));
}

TEST(Validate, NumberAndTime) {
    EXPECT_TRUE(ISNUMBER("123"));
    EXPECT_TRUE(ISNUMBER("007"));
    EXPECT_FALSE(ISNUMBER("12 "));
    EXPECT_FALSE(ISNUMBER("   "));
    EXPECT_FALSE(ISNUMBER(""));
    EXPECT_FALSE(ISNUMBER("-12"));

    EXPECT_TRUE(ISTIME("23:59"));
    EXPECT_TRUE(ISTIME("00:00:59"));
    EXPECT_TRUE(ISTIME("12.30")); // separators are not examined
    EXPECT_FALSE(ISTIME("24:00"));
    EXPECT_FALSE(ISTIME("12:60"));
    EXPECT_FALSE(ISTIME("12:00:60"));
    EXPECT_FALSE(ISTIME("12: 5"));
    EXPECT_FALSE(ISTIME("  :  "));
    // Non-digits would read as 0 in a loose reading; here they are refused.
    EXPECT_FALSE(ISTIME("ab:cd"));
    EXPECT_FALSE(ISTIME("-1:00"));
    EXPECT_FALSE(ISTIME("9:30"));
    EXPECT_FALSE(ISTIME(""));
    EXPECT_FALSE(ISTIME("12:30:4"));
}

TEST(Validate, FileNameComponent) {
    EXPECT_TRUE(LFNFNAME("SCADENZE.DBF"));
    EXPECT_TRUE(LFNFNAME("COM5"));
    EXPECT_TRUE(LFNFNAME("  nota finale.txt "));
    EXPECT_FALSE(LFNFNAME(" prn "));
    EXPECT_FALSE(LFNFNAME("Lpt1"));
    EXPECT_FALSE(LFNFNAME("what?"));
    EXPECT_FALSE(LFNFNAME("a/b"));
    EXPECT_FALSE(LFNFNAME("a|b"));
    EXPECT_FALSE(LFNFNAME("   "));
    EXPECT_FALSE(LFNFNAME(std::string("a\0b", 3))); // would cut the name short
    EXPECT_FALSE(LFNFNAME("a\tb"));
    EXPECT_TRUE(LFNFNAME(std::string(255, 'x')));
    EXPECT_TRUE(LFNFNAME("  " + std::string(255, 'x') + "  "));
    EXPECT_FALSE(LFNFNAME(std::string(256, 'x')));
}
