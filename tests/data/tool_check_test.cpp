// Indexes that the data layer builds from key and condition texts, checked and
// rebuilt by the administrator's tool: both compile the texts with the one
// expression compiler, so the tool accepts every index the program can build.
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "data_test_util.h"
#include "tests/support/dntable_run.h"
#include "tests/support/files.h"

#ifdef DN_DNTABLE

using namespace dn;
using namespace dn::data;
using datatest::DataTest;

namespace {

class ToolCheckTest : public DataTest {
protected:
    std::string path(const std::string& name) const { return dataDir() + "/" + name; }
    // dntable <command> <table> <index>
    test::ToolRun tool(const std::string& command, const std::string& table,
                       const std::string& index) const {
        return test::dntable({command, path(table), path(index)});
    }
    // Checks the index with the tool, rebuilds it, and checks that the rebuilt file is
    // the one the data layer wrote and still passes the check.
    void checkAndRebuild(const std::string& table, const std::string& index, uint64_t keys) {
        SCOPED_TRACE(index);
        const std::string built = test::readFile(path(index));
        test::ToolRun r = tool("check", table, index);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find("OK: " + std::to_string(keys) + " keys"), std::string::npos) << r.out;
        r = tool("reindex", table, index);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(test::readFile(path(index)), built);
        r = tool("check", table, index);
        EXPECT_EQ(r.status, 0) << r.out;
    }
};

TEST_F(ToolCheckTest, TheToolChecksAndRebuildsTheIndexesTheDataLayerBuilds) {
    DBGEN("SCADENZE", datatest::deadlineFields());
    DBOPEN(false, {}, "SCADENZE");
    uint64_t pending = 0;
    for (int i = 1; i <= 120; ++i) {
        DBAPP();
        FIELDPUT("CODICE", Value(datatest::code(1 + i % 10)));
        FIELDPUT("DATA", Value(Date::fromYmd(2024, 1, 1).addDays(i * 7 % 90)));
        FIELDPUT("ORA", Value(i % 3 ? "09:15" : ""));
        FIELDPUT("EVASA", Value(i % 4 == 0));
        DBCOMMIT();
        DBUNLOCK();
        pending += i % 4 != 0 && i != 7;
    }
    DBGOTO(7);
    DBDEL();
    // Keys with functions and a condition of the program's own, a numeric date key.
    ORDCONDSET("!EVASA");
    ORDBUILD("SLOTS", "", "STR( VAL( FIELD -> codice ), 2 ) + LEFT( ora, 2 ) + DTOS( data )");
    ORDBUILD("DAYS", "", "data");
    DBCLOSE();
    // The program's contact table and index.
    DBGEN(schema::kContacts, datatest::contactFields());
    DBOPEN(false, {}, schema::kContacts);
    for (const char* name : {"rossi mario", "Bianchi Anna", "citt\xE0 vecchia"}) {
        DBAPP();
        FIELDPUT("NOMINATIVO", Value(name));
        DBCOMMIT();
        DBUNLOCK();
    }
    ORDCONDSET(schema::kIndexCondition);
    ORDBUILD(schema::kContacts, "", schema::kContactKey);
    DBCLOSE();

    checkAndRebuild("SCADENZE.DBF", "SLOTS.NTX", pending);
    checkAndRebuild("SCADENZE.DBF", "DAYS.NTX", 119);
    checkAndRebuild("RUBRICA.DBF", "RUBRICA.NTX", 3);

    // Changes made behind the index's back are found, and the rebuild mends them.
    {
        dbf::Table t;
        t.open(path("SCADENZE.DBF"), {false, false});
        t.goTo(5); // pending until now: its key is one too many
        t.put("EVASA", true);
        t.goTo(8); // done until now: its key is missing
        t.put("EVASA", false);
        t.close();
    }
    test::ToolRun r = tool("check", "SCADENZE.DBF", "SLOTS.NTX");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("Chiave in pi\xC3\xB9 per il record 5\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Chiave mancante per il record 8\n"), std::string::npos) << r.out;
    r = tool("reindex", "SCADENZE.DBF", "SLOTS.NTX");
    EXPECT_EQ(r.status, 0) << r.out;
    r = tool("check", "SCADENZE.DBF", "SLOTS.NTX");
    EXPECT_EQ(r.status, 0) << r.out;

    // The data layer opens the rebuilt file and finds record 8 by its key.
    DBOPEN(false, {}, "SCADENZE");
    ORDADD("SLOTS");
    EXPECT_EQ(ORDKEYCOUNT(), pending);
    DBGOTO(8);
    const std::string key = " 909" + FIELDGET("DATA").date().dtos(); // slot 9 at 09:15
    ASSERT_TRUE(DBSEEK(Value(key)));
    EXPECT_EQ(DBRECNO(), 8u);
}

} // namespace

#endif
