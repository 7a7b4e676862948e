#include "common/dbf/table.h"
#include "dbf_test_util.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <functional>
#include <gtest/gtest.h>

using namespace dn::dbf;
using dn::test::TempFolder;

namespace {

struct Damage {
    const char* what;
    bool inMemo; // the error names the memo file (else the table file)
    std::function<void(std::string& table, std::string& memo)> apply;
};

// Offsets in the test table: header 32 + 3 * 32 + 1 = 129 bytes; records of
// 1 + 4 + 10 + 8 = 23 bytes; the memo field at offset 5 of each record.
constexpr size_t kHeader = 129;
constexpr size_t kRecord = 23;

void setMemoPointer(std::string& table, int recno, const std::string& ten) {
    table.replace(kHeader + (recno - 1) * kRecord + 5, 10, ten);
}

const std::vector<Damage>& damages() {
    static const std::vector<Damage> list = {
        {"short header", false, [](std::string& t, std::string&) { t.resize(20); }},
        {"empty table file", false, [](std::string& t, std::string&) { t.clear(); }},
        {"header length past the end", false,
         [](std::string& t, std::string&) { t[8] = '\x88', t[9] = '\x13'; }},
        {"header length below one field", false,
         [](std::string& t, std::string&) { t[8] = 40, t[9] = 0; }},
        {"record count past the end", false,
         [](std::string& t, std::string&) { t[4] = '\xE8', t[5] = 3; }},
        {"record count hiding records", false,
         [](std::string& t, std::string&) { t[4] = 0, t[5] = 0, t[6] = 0, t[7] = 0; }},
        {"records cut off", false, [](std::string& t, std::string&) { t.resize(kHeader + 30); }},
        {"field descriptor overflow", false,
         [](std::string& t, std::string&) { t[8] = 84, t[9] = 0; }},
        {"no terminator, descriptors run into the records", false,
         [](std::string& t, std::string&) { t[kHeader - 1] = 'X'; }},
        {"fields longer than the record", false,
         [](std::string& t, std::string&) { t[10] = 10, t[11] = 0; }},
        {"field of width 0", false, [](std::string& t, std::string&) { t[32 + 16] = 0; }},
        {"unknown field type", false, [](std::string& t, std::string&) { t[32 + 11] = 'X'; }},
        {"date field of width 9", false, [](std::string& t, std::string&) { t[32 + 64 + 16] = 9; }},
        {"memo pointer past the end", true,
         [](std::string& t, std::string&) { setMemoPointer(t, 1, "    999999"); }},
        {"memo pointer inside the memo header", true,
         [](std::string& t, std::string&) { setMemoPointer(t, 1, "         3"); }},
        {"memo pointer that is not a number", false,
         [](std::string& t, std::string&) { setMemoPointer(t, 1, "   12x    "); }},
        {"date that is no date", false,
         [](std::string& t, std::string&) { t.replace(kHeader + 15, 8, "2021 109"); }},
        {"deletion flag neither blank nor *", false,
         [](std::string& t, std::string&) { t[kHeader + kRecord] = '\x1A'; }},
        {"memo pointer followed by text", false,
         [](std::string& t, std::string&) { setMemoPointer(t, 1, "8 garbage!"); }},
        {"memo pointer of two numbers", false,
         [](std::string& t, std::string&) { setMemoPointer(t, 2, "    0 4403"); }},
        {"memo pointer beyond 32 bits", false,
         [](std::string& t, std::string&) { setMemoPointer(t, 2, "4294967296"); }},
        {"memo length past the end", true,
         [](std::string&, std::string& m) { m[512 + 4] = '\x7F'; }},
        {"memo length near 4 GB", true,
         [](std::string&, std::string& m) { m.replace(512 + 4, 4, "\xFF\xFF\xFF\xFF"); }},
        {"memo file cut inside its header", true,
         [](std::string&, std::string& m) { m.resize(100); }},
        {"memo block size 0", true, [](std::string&, std::string& m) { m[6] = m[7] = 0; }},
        {"memo next free block inside the header", true,
         [](std::string&, std::string& m) { m[3] = 2; }},
    };
    return list;
}

} // namespace

TEST(CorruptFiles, EachHandMadeDamageIsReportedNamingTheFileAndNothingIsWritten) {
    TempFolder dir;
    const std::string p = Table::create(
        dir / "good", {{"COD", 'C', 4, 0}, {"NOTE", 'M', 10, 0}, {"DATA", 'D', 8, 0}});
    {
        Table t;
        t.open(p, {false, false});
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(t.append());
            t.put("NOTE", std::string("memo ") + std::to_string(i));
        }
    }
    const std::string goodTable = dn::test::readFile(p);
    const std::string goodMemo = dn::test::readFile(dir / "GOOD.DBT");
    ASSERT_EQ(goodTable.size(), kHeader + 2 * kRecord + 1);
    ASSERT_EQ(goodTable.substr(kHeader + 5, 10), "         8");

    for (const Damage& d : damages()) {
        SCOPED_TRACE(d.what);
        std::string table = goodTable, memo = goodMemo;
        d.apply(table, memo);
        dn::test::writeFile(dir / "BAD.DBF", table);
        dn::test::writeFile(dir / "BAD.DBT", memo);
        const std::string expected = dir / (d.inMemo ? "BAD.DBT" : "BAD.DBF");
        // Record by record, and in bulk (which reads memos ahead in large pieces).
        for (bool bulk : {false, true}) {
            bool reported = false;
            try {
                Table t;
                t.open(dir / "bad", {false, false});
                if (bulk) {
                    t.scan(1, 2, [&](uint32_t, std::string_view rec) {
                        for (int f = 0; f < 3; ++f)
                            (void)t.valueOf(rec, f);
                    });
                } else {
                    for (uint32_t r = 1; r <= 2; ++r) {
                        t.goTo(r);
                        for (int f = 0; f < 3; ++f)
                            (void)t.get(f);
                    }
                }
                t.close();
            } catch (const CorruptFile& e) {
                reported = true;
                EXPECT_EQ(e.path(), expected);
                EXPECT_EQ(e.message(), "Il file " + expected + " risulta corrotto.");
            }
            EXPECT_TRUE(reported) << (bulk ? "bulk" : "record by record");
        }
        EXPECT_EQ(dn::test::readFile(dir / "BAD.DBF"), table);
        EXPECT_EQ(dn::test::readFile(dir / "BAD.DBT"), memo);
    }
}

TEST(CorruptFiles, ScanAndPackStopAtDamageWithoutTouchingTheFiles) {
    TempFolder dir;
    const std::string p = Table::create(dir / "s", {{"NOTE", 'M', 10, 0}});
    Table t;
    t.open(p, {false, false});
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(t.append());
        t.put("NOTE", std::string("testo"));
    }
    t.close();
    std::string table = dn::test::readFile(p);
    table.replace(32 + 32 + 1 + 2 * 11 + 1, 10, "     77777"); // third memo past the end
    dn::test::writeFile(p, table);
    const std::string memo = dn::test::readFile(dir / "S.DBT");
    t.open(p, {false, false});
    int seen = 0;
    t.scan(1, 10, [&](uint32_t, std::string_view) { ++seen; });
    EXPECT_EQ(seen, 3);
    EXPECT_THROW(t.pack(), CorruptFile);
    t.close();
    EXPECT_EQ(dn::test::readFile(p), table);
    EXPECT_EQ(dn::test::readFile(dir / "S.DBT"), memo);
}
