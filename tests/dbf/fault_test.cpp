#include "common/dbf/table.h"
#include "dbf_test_util.h"
#include "platform/file.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace dn::dbf;
using dn::platform::FileError;
using dn::test::TempFolder;

namespace {

// Makes the n-th write (counting from 1) whose path ends with `suffix` fail after
// `keep` bytes; every other write goes through.
struct FailNthWrite {
    FailNthWrite(std::string suffix, int n, long long keep) {
        dn::platform::FaultHooks hooks;
        auto count = std::make_shared<int>(0);
        hooks.onWrite = [=](const std::string& path, uint64_t, size_t) -> long long {
            if (path.size() < suffix.size() ||
                path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0)
                return -1;
            return ++*count == n ? keep : -1;
        };
        dn::platform::setFaultHooks(hooks);
    }
    ~FailNthWrite() { dn::platform::clearFaultHooks(); }
};

std::string fill(const TempFolder& dir, int records) {
    const std::string p = Table::create(dir / "f", dbftest::deadlineFields());
    Table t;
    t.open(p, {false, false});
    for (int i = 1; i <= records; ++i) {
        EXPECT_TRUE(t.append());
        t.put("CODICE", std::to_string(i));
        t.put("INCOMBENZA", "compito " + std::to_string(i));
    }
    t.commit();
    return p;
}

void expectIntact(const std::string& p, int records) {
    Table t;
    t.open(p, {true, true});
    ASSERT_EQ(t.recordCount(), static_cast<uint32_t>(records));
    for (int i = 1; i <= records; ++i) {
        t.goTo(static_cast<uint32_t>(i));
        EXPECT_EQ(t.get("CODICE").text().substr(0, std::to_string(i).size()), std::to_string(i));
        EXPECT_EQ(t.get("INCOMBENZA").text(), "compito " + std::to_string(i));
    }
}

} // namespace

TEST(FailingWrites, AnAppendThatFailsAnywhereLosesNothingCommitted) {
    // Writes of an append: 1 the record with the end mark, 2 the date, 3 the count.
    for (int failing = 1; failing <= 3; ++failing) {
        for (long long keep : {0LL, 5LL}) {
            if (failing == 3 && keep > 0)
                continue; // the count is written a byte at a time: 5 bytes is all of it
            SCOPED_TRACE("write " + std::to_string(failing) + " keeps " + std::to_string(keep));
            TempFolder dir;
            const std::string p = fill(dir, 3);
            Table t;
            t.open(p);
            {
                FailNthWrite fault(".DBF", failing, keep);
                EXPECT_THROW(t.append(), FileError);
            }
            t.unlockAll();
            t.close();
            expectIntact(p, 3);
            t.open(p);
            ASSERT_TRUE(t.append()); // and the table goes on working
            EXPECT_EQ(t.recno(), 4u);
        }
    }
}

TEST(FailingWrites, ACountTornAcrossBytesIsReportedNeverShrunk) {
    TempFolder dir;
    const std::string p = fill(dir, 255);
    Table t;
    t.open(p);
    {
        // 255 -> 256 changes two bytes; the more significant one is written first.
        FailNthWrite fault(".DBF", 4, 0);
        EXPECT_THROW(t.append(), FileError);
    }
    t.close();
    const std::string bytes = dn::test::readFile(p);
    const uint32_t count =
        static_cast<unsigned char>(bytes[4]) | static_cast<unsigned char>(bytes[5]) << 8;
    EXPECT_GT(count, 256u); // past the end: every reader reports it
    EXPECT_THROW(t.open(p), CorruptFile);
}

TEST(FailingWrites, AFailedRecordWriteLeavesTheOldRecordOnDisk) {
    TempFolder dir;
    const std::string p = fill(dir, 2);
    Table t;
    t.open(p);
    ASSERT_TRUE(t.lockRecord(2));
    t.goTo(2);
    t.put("CODICE", std::string("XXXXXXXXXX"));
    t.put("ORA", std::string("12:00"));
    {
        FailNthWrite fault(".DBF", 1, 7); // a short write: 7 of 45 bytes
        EXPECT_THROW(t.write(), FileError);
    }
    EXPECT_FALSE(t.dirty());
    EXPECT_EQ(t.get("CODICE").text().substr(0, 1), "2");
    t.close();
    expectIntact(p, 2);
}

TEST(FailingWrites, AFailedMemoWriteKeepsTheOldMemoAndEveryOtherMemo) {
    TempFolder dir;
    const std::string p = fill(dir, 3);
    Table t;
    t.open(p);
    ASSERT_TRUE(t.lockRecord(3));
    t.goTo(3);
    for (long long keep : {0LL, 100LL}) { // nothing written, or part of the text
        FailNthWrite fault(".DBT", 1, keep);
        EXPECT_THROW(t.put("INCOMBENZA", std::string(500, 'z')), FileError);
    }
    {
        // The text is written but the next-free pointer only half: the pointer must not
        // move back over memos in use.
        FailNthWrite fault(".DBT", 2, 2);
        EXPECT_THROW(t.put("INCOMBENZA", std::string(5000, 'y')), FileError);
    }
    EXPECT_FALSE(t.dirty());
    EXPECT_EQ(t.get("INCOMBENZA").text(), "compito 3");
    t.put("INCOMBENZA", std::string("dopo"));
    t.commit();
    t.close();
    Table r;
    r.open(p, {true, true});
    for (uint32_t i = 1; i <= 2; ++i) {
        r.goTo(i);
        EXPECT_EQ(r.get("INCOMBENZA").text(), "compito " + std::to_string(i));
    }
    r.goTo(3);
    EXPECT_EQ(r.get("INCOMBENZA").text(), "dopo");
}

TEST(FailingWrites, AFailedPackLeavesBothFilesAsTheyWere) {
    TempFolder dir;
    const std::string p = fill(dir, 20);
    {
        Table t;
        t.open(p);
        for (uint32_t r = 1; r <= 20; r += 2) {
            ASSERT_TRUE(t.lockRecord(r));
            t.goTo(r);
            t.setDeleted(true);
        }
        t.unlockAll();
    }
    const std::string table = dn::test::readFile(p), memo = dn::test::readFile(dir / "F.DBT");
    for (const char* scratch : {"\x7F"
                                "F.DBF",
                                "\x7F"
                                "F.DBT"}) {
        SCOPED_TRACE(scratch);
        Table t;
        t.open(p, {false, false});
        {
            FailNthWrite fault(scratch, 2, 3);
            EXPECT_THROW(t.pack(), FileError);
        }
        t.close();
        EXPECT_EQ(dn::test::readFile(p), table);
        EXPECT_EQ(dn::test::readFile(dir / "F.DBT"), memo);
        EXPECT_FALSE(std::filesystem::exists(dir / "\x7F"
                                                   "F.DBF"));
        EXPECT_FALSE(std::filesystem::exists(dir / "\x7F"
                                                   "F.DBT"));
    }
    Table t;
    t.open(p, {false, false});
    t.pack();
    EXPECT_EQ(t.recordCount(), 10u);
    t.goTo(1);
    EXPECT_EQ(t.get("INCOMBENZA").text(), "compito 2");
}

TEST(FailingWrites, AFailedCreateLeavesNoTableBehind) {
    TempFolder dir;
    {
        FailNthWrite fault(".DBF", 1, 10);
        EXPECT_THROW(Table::create(dir / "c", dbftest::deadlineFields()), FileError);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "C.DBF"));
    Table::create(dir / "c", dbftest::deadlineFields());
    Table t;
    t.open(dir / "c");
    EXPECT_EQ(t.recordCount(), 0u);
}
