#include "platform/file.h"
#include "platform/lock_layout.h"

#include "tests/support/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>

using dn::platform::File;
using dn::platform::FileError;
using dn::platform::FileErrorKind;
using dn::platform::LockKind;

TEST(File, LocksConflictBetweenTwoOpensOfOneProcess) {
    const dn::test::TempFolder dir;
    const std::string p = dir / "locks.bin";
    File a = File::create(p);
    File b = File::open(p, true);
    const uint64_t rec = dn::platform::kRecordLockBase + 7;
    ASSERT_TRUE(a.tryLock(rec, 1, LockKind::Exclusive));
    EXPECT_FALSE(b.tryLock(rec, 1, LockKind::Exclusive));
    EXPECT_FALSE(b.tryLock(rec, 1, LockKind::Shared));
    EXPECT_TRUE(b.tryLock(rec + 1, 1, LockKind::Exclusive));
    a.unlock(rec, 1);
    EXPECT_TRUE(b.tryLock(rec, 1, LockKind::Shared));
    EXPECT_TRUE(a.tryLock(rec, 1, LockKind::Shared)); // shared locks coexist
    b.unlock(rec, 1);
    EXPECT_FALSE(b.tryLock(rec, 1, LockKind::Exclusive));
    a.close(); // closing releases a's locks
    EXPECT_TRUE(b.tryLock(rec, 1, LockKind::Exclusive));
}

TEST(File, ReadsWritesAndReportsMissingFiles) {
    const dn::test::TempFolder dir;
    const std::string p = dir / "rw.bin";
    File f = File::create(p);
    f.writeAt(10, "abc", 3);
    EXPECT_EQ(f.size(), 13u);
    char buf[8] = {};
    EXPECT_EQ(f.readAt(10, buf, 8), 3u);
    EXPECT_EQ(std::string(buf, 3), "abc");
    try {
        File::open(dir / "missing.bin", false);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), FileErrorKind::NotFound);
    }
}

TEST(File, FaultHooksFailWritesHalfWayAndRefuseLocks) {
    const dn::test::TempFolder dir;
    const std::string p = dir / "fault.bin";
    File f = File::create(p);
    dn::platform::FaultHooks hooks;
    hooks.onWrite = [](const std::string&, uint64_t, size_t) { return 2LL; };
    hooks.refuseLock = [](const std::string&, uint64_t, uint64_t) { return true; };
    dn::platform::setFaultHooks(hooks);
    EXPECT_THROW(f.writeAt(0, "abcdef", 6), FileError);
    EXPECT_FALSE(f.tryLock(0, 1, LockKind::Exclusive));
    dn::platform::clearFaultHooks();
    EXPECT_EQ(f.size(), 2u); // the short write left two bytes
    EXPECT_TRUE(f.tryLock(0, 1, LockKind::Exclusive));
}
