#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/data/views.h"
#include "common/util/clock.h"
#include "data_test_util.h"
#include "tests/support/fixed_clock.h"

#include <fstream>
#include <set>

using namespace dn;
using namespace dn::data;
using datatest::DataTest;

namespace fs = std::filesystem;

namespace {

using TablesTest = DataTest;

TEST_F(TablesTest, GenOpenCloseAndAliases) {
    DBGEN("scadenze", datatest::deadlineFields());
    EXPECT_TRUE(fs::exists("SCADENZE.DBF"));
    EXPECT_TRUE(fs::exists("SCADENZE.DBT"));
    DBGEN("NET.", {{"LOCK", 'C', 1, 0}}); // a name without extension
    EXPECT_TRUE(fs::exists("NET"));

    DBOPEN(false, {}, "scadenze");
    EXPECT_EQ(ALIAS(), "SCADENZE");
    EXPECT_TRUE(DBEOF()); // empty table
    DBSELECTAREA(2);
    DBOPEN(false, {}, "NET.", "lock");
    EXPECT_EQ(GETNEWALIAS(), "ALIAS003");
    DBSELECTAREA(7);
    EXPECT_EQ(GETNEWALIAS(), "ALIAS003");
    EXPECT_EQ(SELECT(), 7);

    // The same alias twice is refused; a new area is the lowest free one.
    EXPECT_THROW(DBOPEN(true, {}, "SCADENZE"), dbf::TableError);
    DBOPEN(true, {}, "SCADENZE", "OTHER");
    EXPECT_EQ(SELECT(), 3);

    // Closing an alias that is not open changes nothing, not even the selection.
    DBSELECTAREA(2);
    DBCLOSE("NOSUCH");
    EXPECT_EQ(SELECT(), 2);
    EXPECT_TRUE(USED());
    DBCLOSE("SCADENZE");
    EXPECT_EQ(SELECT(), 2);
    EXPECT_FALSE(area(1).used());
    EXPECT_TRUE(DBSELECTAREA("other"));
    EXPECT_EQ(SELECT(), 3);
    EXPECT_FALSE(DBSELECTAREA("SCADENZE"));

    // Opening over an open area closes what was there.
    DBOPEN(false, {}, "SCADENZE");
    EXPECT_EQ(ALIAS(), "SCADENZE");
    EXPECT_EQ(areaOf("OTHER"), nullptr);

    CLOSEALL();
    EXPECT_EQ(SELECT(), 1);
    EXPECT_TRUE(usedAreas().empty());
}

TEST_F(TablesTest, GenRefusesATooFullDriveAndCreatesNothing) {
    bool finished = false;
    const bool ok = protect([&] {
        DBGEN("SCADENZE", datatest::deadlineFields(), {}, ~0ULL);
        finished = true;
    });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(finished);
    EXPECT_EQ(msgs.askedTexts(), std::vector<std::string>{"Spazio su disco insufficiente."});
    EXPECT_FALSE(fs::exists("SCADENZE.DBF"));
    EXPECT_FALSE(fs::exists("SCADENZE.DBT"));
}

TEST_F(TablesTest, NetUsedSeesEveryOtherOpen) {
    EXPECT_FALSE(NETUSED("SCADENZE"));
    DBGEN("SCADENZE", datatest::deadlineFields());
    EXPECT_FALSE(NETUSED("SCADENZE"));
    DBOPEN(false, {}, "SCADENZE");
    EXPECT_TRUE(NETUSED("scadenze"));
    EXPECT_TRUE(NETUSED("SCADENZE.DBF"));
    DBCLOSE();
    EXPECT_FALSE(NETUSED("SCADENZE"));
}

TEST_F(TablesTest, TemporaryNamesNeverRepeat) {
    {
        const test::FixedClock fixed(Date::fromYmd(2024, 2, 19),
                                     ((12 * 60 + 34) * 60 + 56) * 1000 + 780);
        EXPECT_EQ(GETNEWFNAME(), "\x7f"
                                 "202402194529678");
        const std::string second = GETNEWFNAME();
        EXPECT_EQ(second, "\x7f"
                          "202402194529679");
    }
    std::set<std::string> names;
    for (int i = 0; i < 5; ++i)
        names.insert(GETNEWFNAME());
    EXPECT_EQ(names.size(), 5u);
    for (const std::string& n : names) {
        EXPECT_EQ(n[0], '\x7f');
        EXPECT_LE(n.size(), 16u);
    }
}

TEST_F(TablesTest, PasswordIsHandedToTheNamedTablesOnly) {
    DBGEN("SCADENZE", datatest::deadlineFields());
    DBGEN("RUBRICA", datatest::contactFields());
    SETPASSWORD("segreto", {"rubrica.dbf"});
    DBOPEN(true, {}, "SCADENZE");
    EXPECT_EQ(area().password(), "");
    DBOPEN(true, {}, "RUBRICA");
    EXPECT_EQ(area().password(), "segreto");
    SETPASSWORD("");
}

TEST_F(TablesTest, CloseAllAndCloseRemoveViewFiles) {
    DBGEN("RUBRICA", datatest::contactFields());
    DBOPEN(false, {}, "RUBRICA");
    DBAPP();
    FIELDPUT("NOMINATIVO", Value("Rossi"));
    DBUNLOCK();
    DBSETVIEW(conditionOf("\"ROSSI\" $ UPPER( NOMINATIVO )"), "");
    DBSELECTAREA(2);
    DBOPEN(false, {}, "RUBRICA", "SECOND");
    DBSETVIEW(conditionOf(".T."), "");
    EXPECT_EQ(instanceFiles().size(), 2u);
    DBCLOSE("RUBRICA");
    EXPECT_EQ(instanceFiles(), std::vector<std::string>{"\x7fVIEW2.NTX"});
    // A stray view file of this instance goes too.
    std::ofstream(instanceFolder() + "/\x7fVIEW77.NTX") << "x";
    CLOSEALL();
    EXPECT_TRUE(instanceFiles().empty());
    EXPECT_TRUE(fs::exists(instanceFolder() + "/USER"));
}

TEST_F(TablesTest, GuardClosesAndReselectsOnEveryWayOut) {
    DBGEN("SCADENZE", datatest::deadlineFields());
    DBGEN("RUBRICA", datatest::contactFields());
    DBSELECTAREA(5);
    // Normal end.
    {
        AreaGuard g;
        g.open("SCADENZE");
        EXPECT_EQ(SELECT(), 1);
        g.open("RUBRICA");
        EXPECT_EQ(SELECT(), 2);
    }
    EXPECT_EQ(SELECT(), 5);
    EXPECT_TRUE(usedAreas().empty());
    // Abandoned by a file failure inside a protected block.
    const bool ok = protect([] {
        AreaGuard g;
        g.open("SCADENZE");
        g.open("MISSING");
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(msgs.askedTexts(),
              std::vector<std::string>{"Impossibile aprire il file MISSING.DBF."});
    EXPECT_EQ(SELECT(), 5);
    EXPECT_TRUE(usedAreas().empty());
    // Any other exception passing through.
    EXPECT_THROW(
        {
            AreaGuard g;
            g.open("RUBRICA");
            throw std::logic_error("x");
        },
        std::logic_error);
    EXPECT_EQ(SELECT(), 5);
    EXPECT_TRUE(usedAreas().empty());
}

TEST_F(TablesTest, ProtectedBlocksNestAndAbortToTheNearest) {
    std::vector<std::string> trail;
    const bool outer = protect([&] {
        const bool inner = protect([&] {
            trail.push_back("inner");
            DBOPEN(false, {}, "NOPE");
            trail.push_back("not reached");
        });
        trail.push_back(inner ? "inner ok" : "inner abandoned");
    });
    EXPECT_TRUE(outer);
    EXPECT_EQ(trail, (std::vector<std::string>{"inner", "inner abandoned"}));
}

} // namespace
