// The index commands of the administrator's tool, run as its users run them.
#include "common/dbf/index_file.h"
#include "common/dbf/table.h"
#include "dbf_test_util.h"
#include "tests/support/dntable_run.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#ifdef DN_DNTABLE

using namespace dn::dbf;

namespace {

// Runs dntable with the arguments; returns its exit status, its output in `out`.
int tool(const std::vector<std::string>& args, std::string& out) {
    const dn::test::ToolRun r = dn::test::dntable(args);
    out = r.out;
    return r.status;
}

} // namespace

TEST(IndexTool, CheckFindsWhatTheIndexMissesAndReindexMendsIt) {
    dn::test::TempFolder dir;
    const std::string table = Table::create(dir / "scadenze", dbftest::deadlineFields());
    {
        Table t;
        t.open(table, {false, false});
        for (int i = 1; i <= 500; ++i) {
            ASSERT_TRUE(t.append());
            t.put("CODICE", std::to_string(1 + i % 10));
            t.put("DATA", dn::Date::fromYmd(2020 + i % 5, 1 + i % 12, 1 + i % 28));
            t.put("ORA", i % 2 ? std::string("08:00") : std::string());
        }
        t.close();
    }
    const std::string index = dir / "SCADENZE.NTX";
    std::string out;
    const std::string key = dn::schema::kDeadlineKey;
    EXPECT_EQ(tool({"reindex", table, index, "--key", key}, out), 0) << out;
    EXPECT_NE(out.find("rebuilt, 500 keys"), std::string::npos) << out;
    EXPECT_EQ(tool({"check", table, index}, out), 0) << out;
    EXPECT_NE(out.find("OK: 500 keys"), std::string::npos) << out;

    // Changes made behind the index's back: a record deleted, one with a new date.
    {
        Table t;
        t.open(table, {false, false});
        t.goTo(17);
        t.setDeleted(true);
        t.goTo(18);
        t.put("DATA", dn::Date::fromYmd(1999, 1, 1));
        t.close();
    }
    EXPECT_EQ(tool({"check", table, index}, out), 1) << out;
    EXPECT_NE(out.find("Chiave in pi\xC3\xB9 per il record 17"), std::string::npos) << out;
    EXPECT_NE(out.find("Chiave mancante per il record 18"), std::string::npos) << out;
    // Rebuilt with the key and condition stored in the file itself.
    EXPECT_EQ(tool({"reindex", table, index}, out), 0) << out;
    EXPECT_EQ(tool({"check", table, index}, out), 0) << out;
    EXPECT_NE(out.find("OK: 499 keys"), std::string::npos) << out;
    {
        // Closed again before the next rebuild: Windows replaces no open file.
        const IndexFile idx = IndexFile::open(index, false);
        EXPECT_EQ(idx.definition().keyExpression, dn::schema::kDeadlineKey);
        EXPECT_EQ(idx.definition().forExpression, dn::schema::kIndexCondition);
    }

    // A damaged index is named, and mended too.
    std::string bytes = dn::test::readFile(index);
    bytes[cdx::kTagHeaderOffset + cdx::kCounterOffset] ^= 1;
    dn::test::writeFile(index, bytes);
    EXPECT_EQ(tool({"check", table, index}, out), 1) << out;
    EXPECT_NE(out.find("rimasta a met"), std::string::npos) << out;
    EXPECT_EQ(tool({"reindex", table, index}, out), 0) << out;
    EXPECT_EQ(tool({"check", table, index}, out), 0) << out;
}

#endif
