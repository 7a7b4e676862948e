// Indexes kept current by a real table: appends, field changes, deletes, recalls
// and pack reach every registered index, each by its own condition.

#include "common/dbf/index_check.h"
#include "common/dbf/index_expr.h"
#include "common/dbf/index_maintain.h"
#include "dbf_test_util.h"

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
    dbftest::TempDir dir;
    const std::string path = Table::create(dir / "scadenze", dbftest::deadlineFields());
    Table t;
    t.open(path, {true, false});
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(t.append());
        fill(t, 1 + i % 10, Date::fromYmd(2020, 1 + i % 12, 1 + i % 28), i % 4 ? "" : "09:15",
             i % 5 == 0);
    }
    // The deadline index, and a view of the deadlines that are not done.
    const KeyExpression key = readKeyExpression(kKey, dn::schema::kIndexCondition, t.structure());
    ASSERT_EQ(key.length, 23);
    IndexDefinition def;
    def.keyExpression = kKey;
    def.keyLength = key.length;
    IndexFile idx = IndexFile::create(dir / "scadenze", "", def, tableScan(t), key.eval);
    EXPECT_EQ(idx.path(), dir / "SCADENZE.NTX");

    const int evasa = t.fieldIndex("EVASA");
    const uint32_t evasaAt = t.fields()[static_cast<size_t>(evasa)].offset;
    KeyEvaluator open = readKeyExpression("RECNO()", "", t.structure()).eval;
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

TEST(IndexTable, KeyAndConditionTextsAreReadForTheKnownForms) {
    dbftest::TempDir dir;
    const std::string path = Table::create(dir / "rubrica", dbftest::contactFields());
    Table t;
    t.open(path, {false, false});
    ASSERT_TRUE(t.append());
    t.put("NOMINATIVO", std::string("rossi \xE0 c."));
    t.write();
    const KeyExpression k =
        readKeyExpression(dn::schema::kContactKey, dn::schema::kIndexCondition, t.structure());
    EXPECT_EQ(k.length, 35);
    std::string out(35, ' ');
    k.eval.key(t.record().data(), 1, out.data());
    EXPECT_EQ(out.substr(0, 10), "ROSSI \xC0 C.");
    EXPECT_TRUE(k.eval.condition(t.record().data(), 1));
    const KeyExpression two =
        readKeyExpression("FIELD -> cap + upper(FIELD->citta)", ".NOT. DELETED()", t.structure());
    EXPECT_EQ(two.length, 35);
    EXPECT_THROW(readKeyExpression("NOTE", "", t.structure()), std::invalid_argument);
    EXPECT_THROW(readKeyExpression("SUBSTR(cap, 1, 2)", "", t.structure()), std::invalid_argument);
    EXPECT_THROW(readKeyExpression("cap", "EVASA", t.structure()), std::invalid_argument);
    EXPECT_THROW(readKeyExpression("manca", "", t.structure()), std::invalid_argument);
}
