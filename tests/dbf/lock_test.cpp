#include "common/dbf/table.h"
#include "dbf_test_util.h"
#include "platform/file.h"
#include "platform/lock_layout.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace dn::dbf;
using dn::platform::File;
using dn::platform::FileError;
using dn::platform::FileErrorKind;
using dn::platform::LockKind;
using dn::test::TempFolder;

namespace {

using dn::platform::kFileLockLength;
using dn::platform::kFileLockOffset;
using dn::platform::kRecordLockBase;

std::string makeTable(const TempFolder& dir, int records) {
    const std::string p = Table::create(dir / "l", dbftest::deadlineFields());
    Table t;
    t.open(p, {false, false});
    for (int i = 0; i < records; ++i)
        EXPECT_TRUE(t.append());
    return p;
}

FileErrorKind openError(const std::string& p, OpenOptions o) {
    try {
        Table t;
        t.open(p, o);
    } catch (const FileError& e) {
        return e.kind();
    }
    return FileErrorKind::Io; // stands for "no error"
}

} // namespace

TEST(TableOpen, SharedAndExclusiveOpensExcludeEachOtherAsWindowsSharingModes) {
    TempFolder dir;
    const std::string p = makeTable(dir, 1);
    {
        Table a, b;
        a.open(p, {true, false});
        b.open(p, {true, true}); // shared opens coexist, read-only or not
        EXPECT_EQ(openError(p, {false, false}), FileErrorKind::Sharing);
        EXPECT_EQ(openError(p, {false, true}), FileErrorKind::Sharing);
    }
    {
        Table x;
        x.open(p, {false, true}); // exclusive even though read-only
        EXPECT_EQ(openError(p, {true, false}), FileErrorKind::Sharing);
        EXPECT_EQ(openError(p, {false, false}), FileErrorKind::Sharing);
        x.close();
        EXPECT_EQ(openError(p, {false, false}), FileErrorKind::Io);
    }
    // Re-creating a table that another open uses is refused, and nothing is lost.
    Table a;
    a.open(p);
    EXPECT_THROW(Table::create(p, dbftest::deadlineFields()), FileError);
    EXPECT_EQ(a.recordCount(), 1u);
    EXPECT_EQ(openError(dir / "missing", {true, false}), FileErrorKind::NotFound);
}

TEST(TableOpen, AnExclusiveOpenWaitsForRecordAndFileLocksOfProgramsWithoutTheSharingByte) {
    TempFolder dir;
    const std::string p = makeTable(dir, 3);
    for (const auto& [offset, length] : {std::pair{kRecordLockBase + 3, uint64_t{1}},
                                         std::pair{kFileLockOffset, kFileLockLength}}) {
        File foreign = File::open(p, true); // no sharing mode: another program
        ASSERT_TRUE(foreign.tryLock(offset, length, LockKind::Exclusive));
        EXPECT_EQ(openError(p, {false, false}), FileErrorKind::Sharing);
        EXPECT_EQ(openError(p, {false, true}), FileErrorKind::Sharing);
        EXPECT_EQ(openError(p, {true, false}), FileErrorKind::Io); // shared opens go on
        foreign.close();
        Table x;
        x.open(p, {false, false});
#ifdef _WIN32
        // The exclusive open's sharing mode keeps every other open out, pack included.
        EXPECT_THROW(File::open(p, true), FileError);
        x.pack();
        EXPECT_THROW(File::open(p, true), FileError);
        x.close();
        File afterClose = File::open(p, true);
        EXPECT_TRUE(afterClose.tryLock(offset, length, LockKind::Exclusive));
#else
        // Held for as long as the exclusive open lasts, pack included.
        File late = File::open(p, true);
        EXPECT_FALSE(late.tryLock(offset, length, LockKind::Exclusive));
        x.pack();
        File afterPack = File::open(p, true);
        EXPECT_FALSE(afterPack.tryLock(offset, length, LockKind::Exclusive));
        x.close();
        EXPECT_TRUE(afterPack.tryLock(offset, length, LockKind::Exclusive));
#endif
    }
}

TEST(TableLocks, RecordAndFileLocksUseTheConventionBytesAndConflictBetweenOpens) {
    TempFolder dir;
    const std::string p = makeTable(dir, 3);
    Table a, b;
    a.open(p);
    b.open(p);
    ASSERT_TRUE(a.lockRecord(2));
    EXPECT_FALSE(b.lockRecord(2));
    EXPECT_TRUE(b.lockRecord(3));
    EXPECT_FALSE(b.lockFile());        // a's record lock lies inside the file-lock range
    EXPECT_FALSE(b.isRecordLocked(3)); // the file-lock attempt released b's record locks
    // A third party sees exactly the convention's bytes.
    File raw = File::open(p, false);
    EXPECT_FALSE(raw.tryLock(kRecordLockBase + 2, 1, LockKind::Exclusive));
    EXPECT_TRUE(raw.tryLock(kRecordLockBase + 3, 1, LockKind::Exclusive));
    raw.unlock(kRecordLockBase + 3, 1);
    // Taking another record lock releases the first.
    ASSERT_TRUE(a.lockRecord(1));
    EXPECT_FALSE(a.isRecordLocked(2));
    EXPECT_TRUE(b.lockRecord(2));
    a.unlockAll();
    b.unlockAll();
    ASSERT_TRUE(a.lockFile());
    const uint64_t lastByte = kFileLockOffset + kFileLockLength - 1;
    EXPECT_FALSE(raw.tryLock(lastByte, 1, LockKind::Exclusive));
    EXPECT_FALSE(raw.tryLock(kFileLockOffset, 1, LockKind::Exclusive));
    EXPECT_TRUE(raw.tryLock(kRecordLockBase, 1, LockKind::Exclusive)); // the base itself stays free
    EXPECT_TRUE(a.lockRecord(3));                                      // covered by the file lock
    EXPECT_FALSE(b.lockRecord(1));
    EXPECT_FALSE(b.append());
    a.unlockFile();
    EXPECT_TRUE(b.lockRecord(1));
}

TEST(TableLocks, AppendTakesTheFileLockAndLeavesOnlyTheNewRecordLocked) {
    TempFolder dir;
    const std::string p = makeTable(dir, 2);
    Table a, b;
    a.open(p);
    b.open(p);
    ASSERT_TRUE(b.lockRecord(1));
    EXPECT_FALSE(a.append()); // any lock of another open blocks an append
    EXPECT_EQ(a.recordCount(), 2u);
    b.unlockAll();
    ASSERT_TRUE(a.lockFile());
    ASSERT_TRUE(a.append());
    EXPECT_EQ(a.recno(), 3u);
    EXPECT_FALSE(a.isFileLocked());
    EXPECT_EQ(a.lockedRecords(), std::set<uint32_t>{3});
    EXPECT_TRUE(b.lockRecord(2));
    EXPECT_FALSE(b.lockRecord(3));
    // Without the file lock held, append takes it itself.
    b.unlockAll();
    a.unlockAll();
    ASSERT_TRUE(b.append());
    EXPECT_EQ(b.recno(), 4u);
    EXPECT_EQ(a.recordCount(), 4u);
    EXPECT_FALSE(a.lockRecord(4));
    // Keeping the file lock: the new record is written under it and nobody else
    // gets in, not even to lock an older record.
    b.unlockAll();
    ASSERT_TRUE(a.append(true));
    EXPECT_EQ(a.recno(), 5u);
    EXPECT_TRUE(a.isFileLocked());
    a.put("GENERAZIO", dn::Value("         1"));
    a.write();
    EXPECT_FALSE(b.lockRecord(1));
    EXPECT_FALSE(b.lockFile());
    a.unlockAll();
    ASSERT_TRUE(b.lockFile());
    b.goTo(5);
    EXPECT_EQ(b.get("GENERAZIO").text(), "         1");
}

TEST(TableLocks, WritesNeedTheLockAndTakingItRereadsTheRecord) {
    TempFolder dir;
    const std::string p = makeTable(dir, 1);
    Table a, b;
    a.open(p);
    b.open(p);
    a.goTo(1);
    b.goTo(1);
    EXPECT_THROW(a.put("ORA", std::string("10:00")), TableError);
    ASSERT_TRUE(b.lockRecord(1));
    b.put("ORA", std::string("09:30"));
    b.commit();
    b.unlockAll();
    EXPECT_EQ(a.get("ORA").text(), "     "); // a's buffer is from before
    ASSERT_TRUE(a.lockRecord(1));
    EXPECT_EQ(a.get("ORA").text(), "09:30"); // the lock brought b's change in
    a.put("EVASA", true);
    a.commit();
    a.unlockAll();
    b.goTo(1);
    EXPECT_EQ(b.get("ORA").text(), "09:30"); // nothing of b's change was lost
    EXPECT_TRUE(b.get("EVASA").logical());
}

TEST(TableLocks, RefusedLocksFromTheFaultHooksReachTheCaller) {
    TempFolder dir;
    const std::string p = makeTable(dir, 1);
    Table a;
    a.open(p);
    dn::platform::FaultHooks hooks;
    hooks.refuseLock = [](const std::string&, uint64_t, uint64_t) { return true; };
    dn::platform::setFaultHooks(hooks);
    EXPECT_FALSE(a.lockRecord(1));
    EXPECT_FALSE(a.lockFile());
    EXPECT_FALSE(a.append());
    Table b;
    EXPECT_THROW(b.open(p), FileError); // the sharing lock is refused too
    dn::platform::clearFaultHooks();
    EXPECT_EQ(a.recordCount(), 1u);
    EXPECT_TRUE(a.append());
}
