// Indexes kept current by a real table: appends, field changes, deletes, recalls
// and pack reach every registered index, each by its own condition.

#include "common/dbf/index_check.h"
#include "common/dbf/index_expr.h"
#include "common/dbf/index_maintain.h"
#include "dbf_test_util.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace dn::dbf;
using dn::Date;

namespace {

const char* kKey = dn::schema::kDeadlineKey;

std::string slot(int n) {
    return dn::schema::slotCode(n);
}

void fill(Table& t, int slotNo, Date d, const std::string& time, bool done) {
    t.put("CODICE", slot(slotNo));
    t.put("DATA", d);
    t.put("ORA", time);
    t.put("EVASA", done);
    t.write();
}

} // namespace

TEST(IndexTable, EveryWriteReachesEachIndexByItsOwnCondition) {
    dn::test::TempFolder dir;
    const std::string path = Table::create(dir / "scadenze", dbftest::deadlineFields());
    Table t;
    t.open(path, {true, false});
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(t.append());
        fill(t, 1 + i % 10, Date::fromYmd(2020, 1 + i % 12, 1 + i % 28), i % 4 ? "" : "09:15",
             i % 5 == 0);
    }
    // The deadline index, and a view of the deadlines that are not done.
    const KeyExpression key = compileKeyExpression(kKey, dn::schema::kIndexCondition, t);
    ASSERT_EQ(key.shape.length, dn::schema::kDeadlineKeyLength);
    IndexDefinition def;
    def.keyExpression = kKey;
    def.keyLength = key.shape.length;
    IndexFile idx = IndexFile::create(dir / "scadenze", "", def, tableScan(t), key.eval);
    EXPECT_EQ(idx.path(), dir / "SCADENZE.NTX");

    const int evasa = t.fieldIndex("EVASA");
    const uint32_t evasaAt = t.fields()[static_cast<size_t>(evasa)].offset;
    KeyEvaluator open = compileKeyExpression("RECNO()", "", t).eval;
    open.condition = [evasaAt](const char* rec, uint32_t) {
        return rec[0] != '*' && rec[evasaAt] != 'T';
    };
    IndexDefinition viewDef;
    viewDef.keyExpression = "RECNO()";
    viewDef.keyType = KeyType::Numeric;
    IndexFile view = IndexFile::create(dir / "\x7FVIEW1", "", viewDef, tableScan(t), open);

    IndexMaintainer m;
    m.add(&idx, key.eval);
    m.add(&view, open);
    t.addObserver(&m);

    auto checkBoth = [&](const char* when) {
        SCOPED_TRACE(when);
        const IndexCheckReport a = checkIndex(idx, tableScan(t), key.eval);
        EXPECT_TRUE(a.ok()) << a.problems.front();
        const IndexCheckReport b = checkIndex(view, tableScan(t), open);
        EXPECT_TRUE(b.ok()) << b.problems.front();
    };
    checkBoth("built");

    for (int i = 0; i < 200; ++i) { // appends
        ASSERT_TRUE(t.append());
        fill(t, 1 + i % 10, Date::fromYmd(2021, 1 + i % 12, 1 + i % 28), "10:00", i % 2 == 0);
    }
    checkBoth("appends");
    for (uint32_t r = 1; r <= 500; r += 3) { // field changes, done and not done
        ASSERT_TRUE(t.lockRecord(r));
        t.goTo(r);
        t.put("DATA", Date::fromYmd(2019, 6, 1 + r % 28));
        t.put("EVASA", r % 2 == 0);
        t.write();
    }
    checkBoth("changes");
    for (uint32_t r = 2; r <= 500; r += 4) { // deletes
        ASSERT_TRUE(t.lockRecord(r));
        t.goTo(r);
        t.setDeleted(true);
        t.write();
    }
    checkBoth("deletes");
    for (uint32_t r = 2; r <= 500; r += 8) { // recalls
        ASSERT_TRUE(t.lockRecord(r));
        t.goTo(r);
        t.setDeleted(false);
        t.write();
    }
    t.unlockAll();
    checkBoth("recalls");
    // The record just changed is found by its new key.
    t.goTo(7);
    const std::string k7 = *idx.keyOf(key.eval, t.record().data(), 7);
    const SeekResult s = idx.seek(k7, SeekMode::Exact, false);
    ASSERT_TRUE(s.found);
    EXPECT_EQ(s.entry->recno, 7u);
    t.close();

    // Pack renumbers the records: the indexes are rebuilt.
    t.open(path, {false, false});
    t.addObserver(&m);
    t.pack();
    checkBoth("pack");
    EXPECT_EQ(idx.count(), t.recordCount());
    t.close();
}

TEST(IndexTable, KeysAndConditionsAreCompiledFromTheirTexts) {
    dn::test::TempFolder dir;
    Table contacts;
    contacts.open(Table::create(dir / "rubrica", dbftest::contactFields()), {false, false});
    ASSERT_TRUE(contacts.append());
    contacts.put("NOMINATIVO", std::string("rossi \xE0 c."));
    contacts.put("CAP", std::string("20100"));
    contacts.write();
    auto keyOf = [](const KeyExpression& k, Table& t) {
        std::string out(k.shape.length, cdx::padByte(k.shape.type));
        k.eval.key(t.record().data(), t.recno(), out.data());
        return out;
    };
    // The contact key upper-cases Windows-1252 letters too.
    const KeyExpression name =
        compileKeyExpression(dn::schema::kContactKey, dn::schema::kIndexCondition, contacts);
    EXPECT_EQ(name.shape.length, dn::schema::kContactKeyLength);
    EXPECT_EQ(keyOf(name, contacts).substr(0, 11), "ROSSI \xC0 C. ");
    EXPECT_TRUE(name.eval.condition(contacts.record().data(), 1));
    contacts.setDeleted(true);
    EXPECT_FALSE(name.eval.condition(contacts.record().data(), 1));
    const KeyExpression parts = compileKeyExpression(
        "LEFT( FIELD -> cap, 2 ) + upper(FIELD->citta)", ".NOT. DELETED()", contacts);
    EXPECT_EQ(parts.shape.length, 32);
    EXPECT_EQ(keyOf(parts, contacts).substr(0, 3), "20 ");
    EXPECT_FALSE(parts.eval.condition(contacts.record().data(), 1));

    // Dates and numbers give numeric keys; a logical a one-byte text key.
    Table deadlines;
    deadlines.open(Table::create(dir / "scadenze", dbftest::deadlineFields()), {false, false});
    ASSERT_TRUE(deadlines.append());
    fill(deadlines, 7, Date::fromYmd(2024, 2, 29), "09:15", true);
    const KeyExpression day = compileKeyExpression("data", "", deadlines);
    EXPECT_EQ(day.shape.type, KeyType::Numeric);
    EXPECT_EQ(keyOf(day, deadlines), cdx::encodeNumericKey(2460370)); // its Julian day
    EXPECT_FALSE(day.eval.condition);
    const KeyExpression recno = compileKeyExpression("RECNO()", "", deadlines);
    EXPECT_EQ(keyOf(recno, deadlines), cdx::encodeNumericKey(1));
    EXPECT_EQ(keyOf(compileKeyExpression("evasa", "", deadlines), deadlines), "T");
    const KeyExpression text =
        compileKeyExpression("STR( RECNO(), 4 ) + DTOS( data ) + TRIM( ora )", "evasa", deadlines);
    EXPECT_EQ(text.shape.length, 12); // the blank record's time trims to nothing
    EXPECT_EQ(keyOf(text, deadlines), "   120240229");
    EXPECT_TRUE(text.eval.condition(deadlines.record().data(), 1));

    // Texts that cannot be keys or conditions are refused.
    for (const char* bad : {"manca", "NOTE", "TRIM( cap )", "UPPER( cap", "cap +"})
        EXPECT_THROW(compileKeyExpression(bad, "", contacts), ExpressionError) << bad;
    EXPECT_THROW(compileKeyExpression("cap", "EVASA", contacts), ExpressionError);
    const KeyExpression notLogical = compileKeyExpression("cap", "cap", contacts);
    EXPECT_THROW(notLogical.eval.condition(contacts.record().data(), 1), ExpressionError);
}
