#include "common/util/format.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace dn;

namespace {

// The quoting rule written as text rewriting: quote, put each double quote in a
// bracket group, then drop empty quoted texts and merge adjacent groups.
std::string rewrittenLiteral(const std::string& text) {
    auto replaceAll = [](std::string s, const std::string& from, const std::string& to) {
        std::string out;
        size_t pos = 0, hit;
        while ((hit = s.find(from, pos)) != std::string::npos) {
            out += s.substr(pos, hit - pos) + to;
            pos = hit + from.size();
        }
        return out + s.substr(pos);
    };
    std::string s = "\"" + replaceAll(text, "\"", "\" + [\"] + \"") + "\"";
    s = replaceAll(s, "\"\" + ", "");
    s = replaceAll(s, "] + [", "");
    return replaceAll(s, " + \"\"", "");
}

std::string literal(const Value& v) {
    return MKSTR(v).text();
}

} // namespace

TEST(Mkstr, QuotingRules) {
    EXPECT_EQ(literal("Rossi"), "\"Rossi\"");
    EXPECT_EQ(literal(" Rossi "), "\" Rossi \"");
    EXPECT_EQ(literal("   "), "\"\"");
    EXPECT_EQ(literal(""), "\"\"");
    EXPECT_EQ(literal("a\"b"), "\"a\" + [\"] + \"b\"");
    EXPECT_EQ(literal("ab\""), "\"ab\" + [\"]");
    EXPECT_EQ(literal("\"ab"), "[\"] + \"ab\"");
    EXPECT_EQ(literal("\"\""), "[\"\"]");
    EXPECT_EQ(literal("a\"\"b"), "\"a\" + [\"\"] + \"b\"");
    // Text that looks like the joints of a literal stays as typed.
    EXPECT_EQ(literal("x] + [y"), "\"x] + [y\"");
    EXPECT_EQ(literal("a + \"\""), "\"a + \" + [\"\"]");
}

TEST(Mkstr, AgreesWithTextRewritingOnEveryShortText) {
    // All texts of up to 7 characters over letter, blank and double quote.
    const char alphabet[] = {'a', ' ', '"'};
    for (int len = 1; len <= 7; ++len) {
        int count = 1;
        for (int i = 0; i < len; ++i)
            count *= 3;
        for (int k = 0; k < count; ++k) {
            std::string s;
            for (int i = 0, r = k; i < len; ++i, r /= 3)
                s += alphabet[r % 3];
            if (s.find_first_not_of(' ') == std::string::npos)
                continue;
            ASSERT_EQ(literal(s), rewrittenLiteral(s)) << "[" << s << "]";
        }
    }
}

TEST(Mkstr, OtherKinds) {
    EXPECT_EQ(literal(Date::fromYmd(2024, 3, 5)), "CTOD( \"05/03/2024\" )");
    EXPECT_EQ(literal(Date()), "\"\"");
    EXPECT_EQ(literal(12.5), "12.5");
    EXPECT_EQ(literal(-3), "-3");
    EXPECT_EQ(literal(0), "\"\"");
    EXPECT_EQ(literal(false), "\"\"");
    EXPECT_EQ(literal(Value()), "\"\"");
    EXPECT_TRUE(MKSTR(true).isLogical());
    EXPECT_TRUE(MKSTR(true).logical());
    EXPECT_EQ(MKSTR(ValueList{1, 2}).list().size(), 2u);
}

TEST(Cvaltochar, EachKind) {
    EXPECT_EQ(CVALTOCHAR("abc "), "abc ");
    EXPECT_EQ(CVALTOCHAR(Date::fromYmd(2024, 3, 5)), "05/03/2024");
    EXPECT_EQ(CVALTOCHAR(Date()), "  /  /    ");
    EXPECT_EQ(CVALTOCHAR(DateTime{Date::fromYmd(2024, 3, 5), 13 * 3600000 + 5 * 60000 + 9000}),
              "05/03/2024 13:05:09");
    EXPECT_EQ(CVALTOCHAR(DateTime{Date(), 3600000 + 250}), "01:00:00.250");
    EXPECT_EQ(CVALTOCHAR(true), ".T.");
    EXPECT_EQ(CVALTOCHAR(false), ".F.");
    EXPECT_EQ(CVALTOCHAR(150), "150");
    EXPECT_EQ(CVALTOCHAR(-0.25), "-0.25");
    EXPECT_EQ(CVALTOCHAR(Callable([](const ValueList&) { return Value(); })), "{ || ... }");
    EXPECT_EQ(CVALTOCHAR(Value()), "NIL");
    EXPECT_EQ(CVALTOCHAR(ValueList{"a", 2, Value(), ValueList{true}}), "a\r\n2\r\nNIL\r\n.T.");
    EXPECT_EQ(CVALTOCHAR(ValueList{}), "");
}

TEST(Cvaltochar, LongListsAreCutAfter100Characters) {
    ValueList dates;
    for (int i = 0; i < 30; ++i)
        dates.push_back(Date::fromYmd(2024, 1, 1).addDays(i));
    const std::string text = CVALTOCHAR(dates);
    std::string full;
    for (int i = 0; i < 30; ++i)
        full += (i ? "\r\n" : "") + dates[i].date().toText();
    EXPECT_EQ(text, full.substr(0, 100) + " ... }");

    // Exactly 100 characters are not cut; 101 are.
    EXPECT_EQ(CVALTOCHAR(ValueList{std::string(100, 'x')}), std::string(100, 'x'));
    EXPECT_EQ(CVALTOCHAR(ValueList{std::string(101, 'x')}), std::string(100, 'x') + " ... }");
    EXPECT_EQ(CVALTOCHAR(ValueList{std::string(1 << 20, 'y'), 1}),
              std::string(100, 'y') + " ... }");
    // A nested list is cut by its own rule first.
    EXPECT_EQ(CVALTOCHAR(ValueList{"a", ValueList{std::string(120, 'z')}}),
              "a\r\n" + std::string(97, 'z') + " ... }");
}

TEST(Format, DosAccentsAndIdentityHook) {
    EXPECT_EQ(O2A("\x85\x8A\x82\x8D\x95\x97"), "\xE0\xE8\xE9\xEC\xF2\xF9");
    EXPECT_EQ(O2A("citt\xE0 \xE8 verit\xE0"), "citt\xE0 \xE8 verit\xE0");
    EXPECT_EQ(O2A("perch\x82 s\x8D"), "perch\xE9 s\xEC");
    EXPECT_EQ(O2A(std::string("\x85\0x", 3)), std::string("\xE0\0x", 3));
    EXPECT_EQ(FWSTRING("&Conferma"), "&Conferma");
}

TEST(Format, WrapLinesBreaksAtBlanksAndLineEnds) {
    using V = std::vector<std::string>;
    EXPECT_EQ(wrapLines("uno due tre", 7), (V{"uno due", "tre"}));
    // The blank right after a full line is dropped, not carried to the next one.
    EXPECT_EQ(wrapLines("abcdefg hij", 7), (V{"abcdefg", "hij"}));
    EXPECT_EQ(wrapLines("abcdefghij", 4), (V{"abcd", "efgh", "ij"}));
    EXPECT_EQ(wrapLines("uno\r\n\r\ndue\nzzz\r\n", 10), (V{"uno", "", "due", "zzz"}));
    EXPECT_TRUE(wrapLines("", 70).empty());
    EXPECT_TRUE(wrapLines("abc", 0).empty());
}

TEST(Values, IfnilTakesTheFirstPresent) {
    const Value v = IFNIL({Value(), Value(), 3, 4});
    ASSERT_TRUE(v.isNumber());
    EXPECT_EQ(v.number(), 3);
    EXPECT_EQ(IFNIL({ValueList{Value(), "x"}}).text(), "x");
    EXPECT_TRUE(IFNIL({}).isAbsent());
    EXPECT_TRUE(IFNIL({Value(), Value()}).isAbsent());
    EXPECT_TRUE(IFNIL({ValueList{}}).isAbsent());
    // Two lists are values, not a list to look into.
    EXPECT_TRUE(IFNIL({ValueList{Value(), "x"}, 1}).isList());
    EXPECT_FALSE(IFNIL({false, true}).logical()); // false is present
}

TEST(Values, XevalCallsBlocksAndContainsTheirErrors) {
    const Callable sum = [](const ValueList& args) {
        double s = 0;
        for (const Value& a : args)
            s += a.number();
        return Value(s);
    };
    EXPECT_EQ(XEVAL({sum, 1, 2, 3}).number(), 6);
    EXPECT_EQ(XEVAL({sum}).number(), 0);
    EXPECT_TRUE(XEVAL({}).isAbsent());
    EXPECT_EQ(XEVAL({"text", 1}).text(), "text");
    const Callable failing = [](const ValueList& args) -> Value {
        if (args.empty())
            throw std::runtime_error("boom");
        return args[0].text(); // bad_variant_access for a number
    };
    EXPECT_TRUE(XEVAL({failing}).isAbsent());
    EXPECT_TRUE(XEVAL({failing, 5}).isAbsent());
    EXPECT_TRUE(XEVAL({Callable()}).isAbsent());
}
