#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/dbf/index_file.h"
#include "common/dbf/index_maintain.h"
#include "common/util/trim.h"
#include "data_test_util.h"

#include <cstring>

using namespace dn;
using namespace dn::data;
using datatest::DataTest;

namespace fs = std::filesystem;

namespace {

class AreaTest : public DataTest {
protected:
    void openContacts(const std::vector<std::string>& names, const std::vector<int>& deleted = {}) {
        DBGEN("RUBRICA", datatest::contactFields());
        DBOPEN(false, {}, "RUBRICA", {}, true, false);
        for (size_t i = 0; i < names.size(); ++i) {
            DBAPP();
            FIELDPUT("NOMINATIVO", Value(names[i]));
            FIELDPUT("CITTA", Value(i % 2 ? "ROMA" : "MILANO"));
            for (int d : deleted)
                if (d == static_cast<int>(i) + 1)
                    area().table().setDeleted(true);
            DBCOMMIT();
            DBUNLOCK();
        }
        DBGOTOP();
    }
    std::string name() { return std::string(dn::trimRight(FIELDGET("NOMINATIVO").text())); }
    // Names from the top of the controlling order to the end.
    std::vector<std::string> walk() {
        std::vector<std::string> out;
        for (DBGOTOP(); !DBEOF(); DBSKIP())
            out.push_back(name());
        return out;
    }
};

TEST_F(AreaTest, RecordOrderHidesDeletedRecordsFromEveryMove) {
    openContacts({"A", "B", "C", "D", "E"}, {1, 3, 5});
    EXPECT_EQ(DBRECNO(), 2u);
    DBSKIP();
    EXPECT_EQ(DBRECNO(), 4u);
    DBSKIP();
    EXPECT_TRUE(DBEOF());
    EXPECT_EQ(DBRECNO(), 6u);
    EXPECT_EQ(FIELDGET("NOMINATIVO").text(), std::string(35, ' ')); // blank at end of file
    DBSKIP(-1);
    EXPECT_EQ(DBRECNO(), 4u);
    DBSKIP(-1);
    EXPECT_EQ(DBRECNO(), 2u);
    EXPECT_FALSE(DBBOF());
    DBSKIP(-1);
    EXPECT_TRUE(DBBOF());
    EXPECT_EQ(DBRECNO(), 2u);
    DBGOBOTTOM();
    EXPECT_EQ(DBRECNO(), 4u);
    EXPECT_EQ(area().keyCount(), 2u);
    // A record can still be gone to by number.
    DBGOTO(3);
    EXPECT_TRUE(DBDELETED());
    DBGOTO(99);
    EXPECT_TRUE(DBEOF());

    setDeletedHidden(false);
    DBGOTOP();
    EXPECT_EQ(DBRECNO(), 1u);
    EXPECT_EQ(area().keyCount(), 5u);
    setDeletedHidden(true);
}

TEST_F(AreaTest, OrderNavigationScopesAndSeeks) {
    openContacts({"rossi mario", "bianchi", "Rossa", "verdi", "ROSSINI", "Rosso"}, {6});
    ORDBUILD("RUBRICA", "", "UPPER( FIELD -> nominativo )");
    EXPECT_EQ(ORDKEY(), "UPPER( nominativo )");
    EXPECT_EQ(ORDNAME(), "RUBRICA");
    EXPECT_EQ(walk(),
              (std::vector<std::string>{"bianchi", "Rossa", "rossi mario", "ROSSINI", "verdi"}));

    EXPECT_TRUE(DBSEEK(Value("ROSS")));
    EXPECT_EQ(name(), "Rossa");
    // The deleted "Rosso" is not found.
    EXPECT_FALSE(DBSEEK(Value("ROSSO")));
    EXPECT_TRUE(DBEOF());
    EXPECT_FALSE(DBSEEK(Value("ROSSO"), true));
    EXPECT_FALSE(DBEOF());
    EXPECT_EQ(name(), "verdi");
    EXPECT_FALSE(DBSEEK(Value("ZZ"), true));
    EXPECT_TRUE(DBEOF());

    ORDSCOPE(0, Value("ROSS"));
    ORDSCOPE(1, Value("ROSS"));
    EXPECT_EQ(walk(), (std::vector<std::string>{"Rossa", "rossi mario", "ROSSINI"}));
    EXPECT_EQ(ORDKEYCOUNT(), 3u);
    DBGOBOTTOM();
    EXPECT_EQ(name(), "ROSSINI");
    DBSKIP();
    EXPECT_TRUE(DBEOF());
    DBSKIP(-10);
    EXPECT_TRUE(DBBOF());
    EXPECT_EQ(name(), "Rossa");
    EXPECT_FALSE(DBSEEK(Value("BIANCHI"))); // outside the scope
    ORDSCOPE(0, std::nullopt);
    ORDSCOPE(1, std::nullopt);
    EXPECT_EQ(ORDKEYCOUNT(), 5u);

    // Record-number order and back: the pointer stays where it is.
    DBSEEK(Value("VERDI"));
    ORDSETFOCUS(0);
    EXPECT_EQ(DBRECNO(), 4u);
    DBSKIP();
    EXPECT_EQ(name(), "ROSSINI");
    ORDSETFOCUS("rubrica");
    DBSKIP();
    EXPECT_EQ(name(), "verdi");
}

TEST_F(AreaTest, BuildingOverAnOpenOrdersFileReplacesThatOrder) {
    openContacts({"Bianchi", "Rossi", "Verdi"});
    ORDBUILD("NOMI", "", dn::schema::kContactKey);
    ORDCONDSET("CITTA = \"ROMA\"");
    ORDBUILD("NOMI", "", "nominativo"); // the same file, open in this area
    EXPECT_EQ(ORDLIST().size(), 1u);
    EXPECT_EQ(walk(), (std::vector<std::string>{"Rossi"}));
}

TEST_F(AreaTest, EveryWriteReachesEveryOrderByItsOwnCondition) {
    openContacts({"Bianchi", "Rossi", "Verdi"});
    ORDBUILD("NOMI", "", dn::schema::kContactKey);
    ORDCONDSET("CITTA = \"ROMA\"");
    ORDBUILD("ROMANI", "", "nominativo");
    ORDSETFOCUS("ROMANI");
    EXPECT_EQ(walk(), (std::vector<std::string>{"Rossi"}));

    // Bianchi moves to Rome and changes name: both orders follow.
    ORDSETFOCUS("NOMI");
    ASSERT_TRUE(DBSEEK(Value("BIANCHI")));
    DBLOCK(true);
    FIELDPUT("NOMINATIVO", Value("Zanetti"));
    FIELDPUT("CITTA", Value("ROMA"));
    DBCOMMIT();
    DBUNLOCK();
    EXPECT_EQ(walk(), (std::vector<std::string>{"Rossi", "Verdi", "Zanetti"}));
    ORDSETFOCUS("ROMANI");
    EXPECT_EQ(walk(), (std::vector<std::string>{"Rossi", "Zanetti"}));

    // A new record joins the orders whose condition it meets.
    DBAPP();
    FIELDPUT("NOMINATIVO", Value("Alberti"));
    FIELDPUT("CITTA", Value("MILANO"));
    DBCOMMIT();
    DBUNLOCK();
    EXPECT_EQ(ORDKEYCOUNT(), 2u);
    ORDSETFOCUS("NOMI");
    EXPECT_EQ(ORDKEYCOUNT(), 4u);

    // A deleted record leaves every order at once.
    ASSERT_TRUE(DBSEEK(Value("ROSSI")));
    DBDEL();
    EXPECT_EQ(name(), "Verdi");
    EXPECT_EQ(ORDKEYCOUNT(), 3u);
    ORDSETFOCUS("ROMANI");
    EXPECT_EQ(walk(), (std::vector<std::string>{"Zanetti"}));
    EXPECT_EQ(ORDLIST().size(), 2u);
}

TEST_F(AreaTest, AnIndexWithoutConditionStillShowsNoDeletedRecord) {
    // An index file written by another program keeps deleted records.
    openContacts({"A", "B", "C"}, {2});
    {
        dbf::IndexDefinition def;
        def.keyExpression = "NOMINATIVO";
        def.forExpression = "";
        def.keyLength = 35;
        dbf::KeyEvaluator ev;
        ev.key = [](const char* rec, uint32_t, char* out) { std::memcpy(out, rec + 1, 35); };
        dbf::IndexFile::create("ALL.NTX", "", def, dbf::tableScan(area().table()), ev);
    }
    ORDADD("ALL");
    EXPECT_EQ(walk(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(ORDKEYCOUNT(), 2u);
    EXPECT_FALSE(DBSEEK(Value("B")));
    DBGOBOTTOM();
    DBSKIP(-1);
    EXPECT_EQ(name(), "A");
}

TEST_F(AreaTest, DeleteLeavesThePointerOnTheFollowingRecord) {
    openContacts({"A", "B", "C"});
    ORDBUILD("NOMI", "", "nominativo");
    DBGOBOTTOM();
    DBDEL();
    EXPECT_TRUE(DBEOF());
    DBGOTOP();
    DBDEL(false); // written when the pointer moves on
    EXPECT_EQ(name(), "B");
    EXPECT_EQ(ORDKEYCOUNT(), 1u);
    EXPECT_TRUE(area().table().lockedRecords().empty());
    EXPECT_FALSE(area().table().isFileLocked());
    // A record outside the scope is the one deleted, not a neighbour.
    ORDSCOPE(0, Value("Z"));
    DBGOTO(2);
    DBDEL();
    DBGOTO(2);
    EXPECT_TRUE(DBDELETED());
}

} // namespace
