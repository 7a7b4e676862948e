#include "common/dbf/table.h"
#include "dbf_test_util.h"
#include "tests/support/files.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace dn::dbf;
using dn::Date;
using dn::Value;
using dn::test::TempFolder;

namespace {

// Appends one deadline through the shared-table protocol (file lock, append,
// fields, write, unlock).
void addDeadline(Table& t, int slot, Date d, const std::string& task, bool done) {
    ASSERT_TRUE(t.lockFile());
    ASSERT_TRUE(t.append());
    t.put("CODICE", dn::schema::slotCode(slot));
    t.put("DATA", d);
    t.put("INCOMBENZA", task);
    t.put("EVASA", done);
    t.commit();
    t.unlockAll();
}

} // namespace

TEST(TableCreate, DeadlineAndContactTablesHaveTheExpectedHeaderBytes) {
    const dn::test::FixedClock clock(Date::fromYmd(2024, 2, 19));
    TempFolder dir;
    const std::string p = Table::create(dir / "scadenze", dbftest::deadlineFields());
    EXPECT_EQ(p, dir / "SCADENZE.DBF");
    ASSERT_TRUE(std::filesystem::exists(dir / "SCADENZE.DBT"));
    const std::string h = dn::test::readFile(p);
    ASSERT_EQ(h.size(), 32u + 6 * 32 + 1 + 1);
    EXPECT_EQ(static_cast<unsigned char>(h[0]), 0xF5); // memos in the FoxPro layout
    EXPECT_EQ(h[1], 124);                              // 2024
    EXPECT_EQ(h[2], 2);
    EXPECT_EQ(h[3], 19);
    EXPECT_EQ(h.substr(4, 4), std::string(4, '\0'));
    EXPECT_EQ(static_cast<unsigned char>(h[8]) | static_cast<unsigned char>(h[9]) << 8, 225);
    EXPECT_EQ(static_cast<unsigned char>(h[10]) | static_cast<unsigned char>(h[11]) << 8,
              1 + 10 + 8 + 5 + 10 + 1 + 10);
    EXPECT_EQ(h[29], 0x03); // Windows-1252
    EXPECT_EQ(h.substr(32, 7), std::string("CODICE\0", 7));
    EXPECT_EQ(h[32 + 11], 'C');
    EXPECT_EQ(h[32 + 3 * 32 + 11], 'M');
    EXPECT_EQ(h[224], 0x0D);
    EXPECT_EQ(h[225], 0x1A);
    const std::string m = dn::test::readFile(dir / "SCADENZE.DBT");
    ASSERT_EQ(m.size(), 512u);
    EXPECT_EQ(m.substr(0, 8), std::string("\0\0\0\x08\0\0\0\x40", 8)); // next block 8, size 64

    Table::create(dir / "Rubrica.dbf", dbftest::contactFields());
    Table t;
    t.open(dir / "rubrica");
    EXPECT_EQ(t.path(), dir / "RUBRICA.DBF");
    EXPECT_EQ(t.fields().size(), 12u);
    EXPECT_EQ(t.structure().recordLength(), 1u + 35 + 35 + 5 + 30 + 6 * 15 + 40 + 10);
    EXPECT_EQ(t.fieldIndex("e_mail"), 10);
    EXPECT_EQ(t.recordCount(), 0u);
}

TEST(TableCreate, RejectsStructuresThatCannotBeStored) {
    TempFolder dir;
    using Defs = std::vector<FieldDef>;
    for (const Defs& bad : {Defs{}, Defs{{"1ABC", 'C', 5, 0}}, Defs{{"TOOLONGNAME", 'C', 5, 0}},
                            Defs{{"A", 'C', 0, 0}}, Defs{{"A", 'C', 255, 0}},
                            Defs{{"A", 'N', 21, 0}}, Defs{{"A", 'N', 5, 4}}, Defs{{"A", 'X', 5, 0}},
                            Defs{{"A", 'C', 5, 0}, {"a", 'C', 5, 0}}}) {
        EXPECT_THROW(Table::create(dir / "bad", bad), TableError);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "BAD.DBF"));
}

TEST(TableFields, ValuesRoundTripThroughTheFile) {
    const dn::test::FixedClock clock(Date::fromYmd(2024, 2, 19));
    TempFolder dir;
    Table::create(dir / "t", {{"NAME", 'C', 5, 0},
                              {"WHEN", 'D', 8, 0},
                              {"AMOUNT", 'N', 8, 2},
                              {"COUNT", 'N', 3, 0},
                              {"OK", 'L', 1, 0},
                              {"TEXT", 'M', 10, 0}});
    std::string longText;
    for (int i = 0; i < 300; ++i)
        longText += "riga " + std::to_string(i) + " \xe0\xe8\xec\r\n"; // CR LF, cp1252 accents
    {
        Table t;
        t.open(dir / "t", {false, false});
        ASSERT_TRUE(t.append());
        t.put("NAME", std::string("abcdefgh")); // cut to the width
        t.put("WHEN", Date::fromYmd(2031, 12, 31));
        t.put("AMOUNT", -1234.5);
        t.put("COUNT", 7);
        t.put("OK", true);
        t.put("TEXT", longText);
        EXPECT_THROW(t.put("COUNT", 1000), TableError); // would need 4 digits
        EXPECT_THROW(t.put("WHEN", std::string("20240101")), TableError);
        ASSERT_TRUE(t.append());
        t.put("NAME", std::string("x"));
        t.close();
    }
    Table t;
    t.open(dir / "T.DBF", {true, true});
    ASSERT_EQ(t.recordCount(), 2u);
    t.goTo(1);
    EXPECT_EQ(t.get("NAME").text(), "abcde");
    EXPECT_EQ(t.get("WHEN").date(), Date::fromYmd(2031, 12, 31));
    EXPECT_DOUBLE_EQ(t.get("AMOUNT").number(), -1234.5);
    EXPECT_EQ(t.raw(2), "-1234.50");
    EXPECT_EQ(t.raw(3), "  7");
    EXPECT_TRUE(t.get("OK").logical());
    EXPECT_EQ(t.get("TEXT").text(), longText);
    t.goTo(2);
    EXPECT_EQ(t.get("NAME").text(), "x    "); // blank-padded
    EXPECT_TRUE(t.get("WHEN").date().isEmpty());
    EXPECT_DOUBLE_EQ(t.get("AMOUNT").number(), 0);
    EXPECT_FALSE(t.get("OK").logical());
    EXPECT_EQ(t.get("TEXT").text(), "");
    EXPECT_EQ(t.raw(5), std::string(10, ' ')); // no memo: blank pointer
    EXPECT_THROW(t.goTo(3), TableError);
    EXPECT_THROW(t.get("NOPE"), TableError);
    EXPECT_THROW(t.put("NAME", std::string("y")), TableError); // read-only
}

TEST(TableFields, UnchangedMemoIsNotWrittenAgainAndChangedOneGetsNewBlocks) {
    TempFolder dir;
    Table::create(dir / "m", {{"TEXT", 'M', 10, 0}, {"N", 'C', 2, 0}});
    Table t;
    t.open(dir / "m", {false, false});
    ASSERT_TRUE(t.append());
    t.put("TEXT", std::string("prima"));
    t.write();
    const std::string first(t.raw(0));
    const auto size = std::filesystem::file_size(dir / "M.DBT");
    t.put("TEXT", std::string("prima"));
    EXPECT_FALSE(t.dirty());
    EXPECT_EQ(std::filesystem::file_size(dir / "M.DBT"), size);
    t.put("TEXT", std::string("seconda"));
    t.write();
    EXPECT_NE(std::string(t.raw(0)), first);
    EXPECT_GT(std::filesystem::file_size(dir / "M.DBT"), size);
    t.put("TEXT", std::string());
    EXPECT_EQ(t.raw(0), std::string(10, ' '));
}

TEST(TableHeader, CountAndDateAreOnDiskAfterEveryAppendAndWrite) {
    TempFolder dir;
    Table::create(dir / "s", dbftest::deadlineFields());
    Table writer, reader;
    writer.open(dir / "s");
    reader.open(dir / "s", {true, true});
    dn::test::FixedClock clock(Date::fromYmd(2025, 3, 1));
    addDeadline(writer, 3, Date::fromYmd(2025, 3, 2), "a", false);
    EXPECT_EQ(reader.recordCount(), 1u); // another open sees the count at once
    EXPECT_EQ(reader.lastUpdate(), Date::fromYmd(2025, 3, 1));
    clock.set(Date::fromYmd(2025, 3, 5));
    ASSERT_TRUE(writer.lockRecord(1));
    writer.put("EVASA", true);
    writer.write();
    writer.unlockAll();
    EXPECT_EQ(reader.lastUpdate(), Date::fromYmd(2025, 3, 5));
    reader.goTo(1);
    EXPECT_TRUE(reader.get("EVASA").logical());
    // Counts that grow behind a reader's back are found when it goes past them.
    addDeadline(writer, 4, Date::fromYmd(2025, 3, 9), "b", false);
    reader.goTo(2);
    EXPECT_EQ(reader.get("CODICE").text(), "         4");
    const std::string bytes = dn::test::readFile(dir / "S.DBF");
    EXPECT_EQ(bytes.size(), 225u + 2 * 45 + 1);
    EXPECT_EQ(bytes.back(), 0x1A);
}

namespace {
struct Recorder : TableObserver {
    std::vector<std::string> log;
    bool veto = false;
    void beforeWrite(Table&, const RecordChange& c) override {
        log.push_back("before " + std::to_string(c.recno) + (c.appended() ? " append" : ""));
        if (veto)
            throw std::runtime_error("veto");
    }
    void afterWrite(Table& t, const RecordChange& c) override {
        log.push_back("after " + std::to_string(c.recno) + " " +
                      std::string(c.before.substr(0, 1)) + ">" + std::string(c.after.substr(0, 1)) +
                      " " + t.valueOf(c.after, 0).text());
    }
    void afterPack(Table&) override { log.push_back("pack"); }
};
} // namespace

TEST(TableObservers, SeeEveryAppendChangeDeleteAndPackAndCanCancelAWrite) {
    TempFolder dir;
    Table::create(dir / "o", {{"K", 'C', 3, 0}, {"M", 'M', 10, 0}});
    Table t;
    t.open(dir / "o", {false, false});
    Recorder r;
    t.addObserver(&r);
    ASSERT_TRUE(t.append());
    t.put("K", std::string("abc"));
    t.write();
    t.write(); // nothing pending: no call
    t.setDeleted(true);
    t.write();
    ASSERT_EQ(r.log, (std::vector<std::string>{"before 1 append", "after 1 >     ", "before 1",
                                               "after 1  >  abc", "before 1", "after 1  >* abc"}));
    r.log.clear();
    r.veto = true;
    t.setDeleted(false);
    EXPECT_THROW(t.write(), std::runtime_error);
    t.reread();
    EXPECT_TRUE(t.deleted()); // the cancelled write left the disk alone
    r.veto = false;
    t.pack();
    EXPECT_EQ(r.log.back(), "pack");
    EXPECT_EQ(t.recordCount(), 0u);
    t.removeObserver(&r);
    r.log.clear();
    ASSERT_TRUE(t.append());
    EXPECT_TRUE(r.log.empty());
}

TEST(TablePack, KeepsLiveRecordsInOrderWithTheirMemosAndShrinksBothFiles) {
    TempFolder dir;
    Table::create(dir / "p", dbftest::deadlineFields());
    Table t;
    t.open(dir / "p", {false, false});
    for (int i = 1; i <= 50; ++i) {
        ASSERT_TRUE(t.append());
        t.put("CODICE", std::to_string(i));
        t.put("INCOMBENZA", std::string(i * 10, static_cast<char>('a' + i % 26)));
        if (i % 3 == 0)
            t.setDeleted(true);
        if (i % 5 == 0) // an edited memo leaves its old blocks behind
            t.put("INCOMBENZA", "nuovo " + std::to_string(i));
    }
    t.commit();
    const auto tableSize = std::filesystem::file_size(dir / "P.DBF");
    const auto memoSize = std::filesystem::file_size(dir / "P.DBT");
    t.pack();
    ASSERT_EQ(t.recordCount(), 34u);
    EXPECT_LT(std::filesystem::file_size(dir / "P.DBF"), tableSize);
    EXPECT_LT(std::filesystem::file_size(dir / "P.DBT"), memoSize);
    t.close();
    t.open(dir / "p");
    uint32_t r = 0;
    for (int i = 1; i <= 50; ++i) {
        if (i % 3 == 0)
            continue;
        t.goTo(++r);
        EXPECT_FALSE(t.deleted());
        EXPECT_EQ(t.get("CODICE").text().substr(0, std::to_string(i).size()), std::to_string(i));
        const std::string memo = i % 5 == 0 ? "nuovo " + std::to_string(i)
                                            : std::string(i * 10, static_cast<char>('a' + i % 26));
        EXPECT_EQ(t.get("INCOMBENZA").text(), memo);
    }
    EXPECT_EQ(r, 34u);
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(e.path().filename().string()[0], '\x7F') << "scratch file left behind";
    EXPECT_THROW(t.pack(), TableError); // shared
}
