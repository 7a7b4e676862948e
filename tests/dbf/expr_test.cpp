// The expression language of keys, conditions and views, evaluated over a record
// of the deadline table.
#include "common/dbf/expr.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "dbf_test_util.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace dn;
using namespace dn::dbf;

namespace {

const std::string kSlot3 = dn::schema::slotCode(3);

class ExprTest : public ::testing::Test {
protected:
    void SetUp() override {
        t.open(Table::create(dir / "SCADENZE", dbftest::deadlineFields()), {false, false});
        ASSERT_TRUE(t.append());
        t.put("CODICE", Value(kSlot3));
        t.put("DATA", Value(Date::fromYmd(2024, 2, 19)));
        t.put("ORA", Value("09:30"));
        t.put("INCOMBENZA", Value("Chiamare il Notaio Rossi"));
        t.put("EVASA", Value(false));
        t.write();
    }
    Value eval(const std::string& text) {
        return Expression::compile(text, t).eval(t.record(), t.recno());
    }
    bool test(const std::string& text) {
        const Value v = eval(text);
        EXPECT_TRUE(v.isLogical()) << text;
        return v.isLogical() && v.logical();
    }

    dn::test::TempFolder dir;
    Table t;
};

TEST_F(ExprTest, IndexKeysOfTheApplication) {
    EXPECT_EQ(eval("codice + DTOS( data ) + ora").text(), kSlot3 + "2024021909:30");
    EXPECT_EQ(eval("FIELD -> codice + DTOS( FIELD -> data ) + FIELD -> ora").text(),
              kSlot3 + "2024021909:30");
    EXPECT_EQ(eval("RECNO()").number(), 1.0);
    EXPECT_FALSE(test("DELETED()"));
    EXPECT_TRUE(test("!DELETED()"));
    t.setDeleted(true);
    EXPECT_FALSE(test("!DELETED()"));
}

TEST_F(ExprTest, SearchConditionsAsTheListsWriteThem) {
    // Deadline search: dates in CTOD literals, text with $ on the upper-cased memo.
    EXPECT_TRUE(test("CTOD( \"01/02/2024\" ) <= FIELD -> DATA .AND. CTOD( \"29/02/2024\" ) >= "
                     "FIELD -> DATA .AND. \"NOTAIO\" $ UPPER( FIELD -> INCOMBENZA )"));
    EXPECT_FALSE(test("CTOD( \"20/02/2024\" ) <= FIELD -> DATA"));
    EXPECT_FALSE(test("\"AVVOCATO\" $ UPPER( FIELD -> INCOMBENZA )"));
    // Initial list predicate and the [ ] literal of one blank.
    EXPECT_TRUE(test("{ || FIELD->data <= DATE() .and. !FIELD->evasa .and. !Deleted() }"));
    EXPECT_EQ(eval("ORA + [ ] + ORA").text(), "09:30 09:30");
}

TEST_F(ExprTest, ComparisonsFollowTheDefaultTextEquality) {
    EXPECT_TRUE(test("ORA = \"09\""));   // over the right-hand text's length
    EXPECT_FALSE(test("ORA == \"09\"")); // exactly
    EXPECT_TRUE(test("ORA = \"\""));     // an empty right-hand text matches all
    EXPECT_FALSE(test("\"\" = ORA"));
    EXPECT_TRUE(test("ORA <> \"10\" .AND. ORA # \"10\" .AND. ORA != \"10\""));
    EXPECT_TRUE(test("ORA < \"10\" .OR. .F."));
    EXPECT_TRUE(test("\"\xE8\" > \"z\"")); // bytes compare unsigned, as keys sort
    EXPECT_TRUE(test(".NOT. EVASA"));
}

TEST_F(ExprTest, FunctionsAndArithmetic) {
    EXPECT_EQ(eval("STR( 42, 5 )").text(), "   42");
    EXPECT_EQ(eval("STR( 123456, 3 )").text(), "***");
    EXPECT_EQ(eval("ALLTRIM( CODICE )").text(), "3");
    EXPECT_EQ(eval("SUBSTR( ORA, 4 )").text(), "30");
    EXPECT_EQ(eval("LEFT( ORA, 2 ) + RIGHT( ORA, 2 )").text(), "0930");
    EXPECT_EQ(eval("VAL( ORA ) * 2").number(), 18.0);
    EXPECT_EQ(eval("DTOC( DATA + 11 )").text(), "01/03/2024");
    EXPECT_EQ(eval("IIF( EVASA, \"si\", \"no\" )").text(), "no");
    EXPECT_EQ(eval("UPPER( \"citt\xE0\" )").text(), "CITT\xC0");
    EXPECT_TRUE(test("EMPTY( GENERAZIO )"));
    // A division by zero yields 0 and the evaluation goes on.
    EXPECT_EQ(eval("10 / ( 3 - 3 ) + 1").number(), 1.0);
    EXPECT_EQ(eval("-(2 + 3) % 4").number(), -1.0);
}

TEST_F(ExprTest, BadTextsAreRefusedWhenCompiled) {
    for (const char* bad : {"NOSUCHFIELD", "UPPER(", "UPPER( ORA", "FOO( ORA )", "ORA +", "\"open",
                            "ORA ORA", "UPPER( ORA, ORA )", "{ || ORA", "FIELD -> "}) {
        EXPECT_THROW(Expression::compile(bad, t), ExpressionError) << bad;
    }
    // Operand kinds are checked when evaluated.
    EXPECT_THROW(eval("ORA + 1"), ExpressionError);
    EXPECT_THROW(eval("UPPER( DATA )"), ExpressionError);
    EXPECT_THROW(eval(".T. .AND. ORA"), ExpressionError);
    // Nesting is limited, so that a damaged text cannot exhaust the stack.
    EXPECT_EQ(eval(std::string(20, '(') + "ORA" + std::string(20, ')')).text(), "09:30");
    EXPECT_THROW(Expression::compile(std::string(5000, '(') + "ORA", t), ExpressionError);
    EXPECT_THROW(Expression::compile(std::string(5000, '!') + ".T.", t), ExpressionError);
}

TEST_F(ExprTest, NumbersBeyondAnyTextOrDateAreHeldInRange) {
    // Counts and days taken from a record's text may be huge, infinite or no number.
    for (const char* n : {"1e300", "inf", "-inf", "nan"}) {
        SCOPED_TRACE(n);
        const std::string v = std::string("VAL( \"") + n + "\" )";
        const bool positive = n[0] == '1' || n[0] == 'i';
        EXPECT_EQ(eval("LEFT( ORA, " + v + " )").text(), positive ? "09:30" : "");
        EXPECT_EQ(eval("RIGHT( ORA, " + v + " )").text(), positive ? "09:30" : "");
        EXPECT_EQ(eval("SUBSTR( ORA, 2, " + v + " )").text(), positive ? "9:30" : "");
        EXPECT_EQ(eval("SUBSTR( ORA, " + v + " )").text(), positive ? "" : "09:30");
        EXPECT_EQ(eval("STR( 7, " + v + " )").text(), "");
        EXPECT_TRUE(eval("DATA + " + v).date().isEmpty());
    }
    EXPECT_EQ(eval("SUBSTR( ORA, -2 )").text(), "30");
    EXPECT_EQ(eval("STR( 7, 3, 1 )").text(), "7.0");
}

} // namespace
