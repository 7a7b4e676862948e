// A forward walk in record order reads its records in blocks: what it may see a
// moment late, and what always comes from the file (a lock, a write, a reread, the
// end of the table).
#include "dbf_test_util.h"

#include "common/dbf/table.h"
#include "tests/support/temp_folder.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace dn::dbf;
using dn::test::TempFolder;

namespace {

std::string table(const TempFolder& dir, int records) {
    const std::string p = Table::create(dir / "walk", dbftest::deadlineFields());
    Table t;
    t.open(p, {false, false});
    for (int i = 1; i <= records; ++i) {
        t.append();
        t.put("ORA", std::to_string(i));
    }
    t.commit();
    return p;
}

// Another open changes a record's time text, as another computer would.
void changeElsewhere(const std::string& path, uint32_t recno, const std::string& ora) {
    Table other;
    other.open(path);
    other.goTo(recno);
    ASSERT_TRUE(other.lockRecord(recno));
    other.put("ORA", ora);
    other.commit();
    other.unlockAll();
}

std::string ora(Table& t) {
    return t.get("ORA").text().substr(0, 5);
}

} // namespace

TEST(TableWalk, LocksWritesAndRereadsGoToTheFileWhateverTheWalkReadAhead) {
    TempFolder dir;
    const std::string p = table(dir, 300);
    Table t;
    t.open(p);
    for (uint32_t r = 1; r <= 10; ++r)
        t.goTo(r);
    // Records ahead of the walk change elsewhere after the walk has read them.
    changeElsewhere(p, 11, "A");
    changeElsewhere(p, 12, "B");
    changeElsewhere(p, 13, "C");
    ASSERT_TRUE(t.lockRecord(11)); // a lock reads from the file again
    t.goTo(11);
    EXPECT_EQ(ora(t), "A    ");
    t.goTo(12);
    EXPECT_EQ(ora(t), "B    ");
    ASSERT_TRUE(t.lockRecord(12));
    t.put("ORA", std::string("own"));
    t.unlockAll();
    t.goTo(13);
    EXPECT_EQ(ora(t), "C    ");
    t.reread();
    EXPECT_EQ(ora(t), "C    ");
    // A jump back reads the record alone: the walk's own write is there.
    t.goTo(12);
    EXPECT_EQ(ora(t), "own  ");
    // Past the age limit a block is not used: a change made after the walk read it
    // is seen.
    t.goTo(13);
    t.goTo(14);
    changeElsewhere(p, 15, "late");
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    t.goTo(15);
    EXPECT_EQ(ora(t), "late ");
}

TEST(TableWalk, AWalkFindsRecordsAppendedBehindItsBackWhenItReachesTheEnd) {
    TempFolder dir;
    const std::string p = table(dir, 50);
    Table t;
    t.open(p, {true, true});
    uint32_t seen = 0;
    for (uint32_t r = 1; t.exists(r); ++r) {
        t.goTo(r);
        ++seen;
        if (r == 20) {
            Table other;
            other.open(p);
            for (int i = 0; i < 5; ++i) {
                ASSERT_TRUE(other.append());
                other.put("ORA", std::string("new"));
                other.unlockAll();
            }
        }
    }
    EXPECT_EQ(seen, 55u);
    EXPECT_EQ(ora(t), "new  ");
    EXPECT_FALSE(t.exists(0));
}

TEST(TableWalk, ScanRecordsVisitsEachWantedRecordOnceInRecordOrder) {
    TempFolder dir;
    const std::string p = table(dir, 5000);
    Table t;
    t.open(p, {true, true});
    std::vector<uint32_t> seen;
    t.scanRecords({4000, 7, 4999, 7, 0, 5001, 1, 2500, 2501},
                  [&](uint32_t r, std::string_view rec) {
                      seen.push_back(r);
                      const Field& f = t.fields()[static_cast<size_t>(t.fieldIndex("ORA"))];
                      EXPECT_EQ(std::stoul(std::string(rec.substr(f.offset, f.width))), r);
                  });
    EXPECT_EQ(seen, (std::vector<uint32_t>{1, 7, 2500, 2501, 4000, 4999}));
}
