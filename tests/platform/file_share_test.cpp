#include "platform/file.h"
#include "platform/lock_layout.h"

#include "tests/support/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using dn::platform::File;
using dn::platform::FileError;
using dn::platform::FileErrorKind;
using dn::platform::LockKind;
using dn::platform::Share;

namespace {

FileErrorKind openKind(const std::string& p, bool writable, Share share) {
    try {
        File f = File::open(p, writable, share);
        return FileErrorKind::Io; // stands for "opened"
    } catch (const FileError& e) {
        return e.kind();
    }
}

} // namespace

TEST(FileSharing, SharedOpensCoexistAndAnExclusiveOneAdmitsNoOther) {
    const dn::test::TempFolder dir;
    const std::string p = dir / "share.bin";
    File::create(p).writeAt(0, "data", 4);
    {
        File a = File::open(p, true, Share::Shared);
        File b = File::open(p, false, Share::Shared);
        EXPECT_EQ(openKind(p, true, Share::Exclusive), FileErrorKind::Sharing);
        EXPECT_EQ(openKind(p, false, Share::None), FileErrorKind::Io); // outside the convention
    }
    {
        File x = File::open(p, false, Share::Exclusive); // read-only, still exclusive
        EXPECT_EQ(openKind(p, true, Share::Shared), FileErrorKind::Sharing);
        EXPECT_EQ(openKind(p, false, Share::Exclusive), FileErrorKind::Sharing);
        // Creating over it is refused before a byte is lost.
        EXPECT_THROW(File::create(p, Share::Exclusive), FileError);
        EXPECT_EQ(x.size(), 4u);
    }
    EXPECT_EQ(openKind(p, true, Share::Exclusive), FileErrorKind::Io);
}

TEST(FileSharing, ReadOnlyOpensRefuseWritesButHoldExclusiveLocks) {
    const dn::test::TempFolder dir;
    const std::string p = dir / "ro.bin";
    File::create(p).writeAt(0, "abc", 3);
    File ro = File::open(p, false);
    EXPECT_THROW(ro.writeAt(0, "x", 1), FileError);
    EXPECT_THROW(ro.truncate(0), FileError);
    const uint64_t record5 = dn::platform::kRecordLockBase + 5;
    ASSERT_TRUE(ro.tryLock(record5, 1, LockKind::Exclusive));
    File other = File::open(p, true);
    EXPECT_FALSE(other.tryLock(record5, 1, LockKind::Shared));
    char buf[3];
    ASSERT_EQ(ro.readAt(0, buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "abc");
}

TEST(FileLocks, NarrowingKeepsTheKeptBytesAndFreesTheRest) {
    const dn::test::TempFolder dir;
    const std::string p = dir / "narrow.bin";
    File a = File::create(p);
    File b = File::open(p, true);
    // The file lock of a table narrowed to one record's lock, as an append does.
    const uint64_t base = dn::platform::kFileLockOffset, length = dn::platform::kFileLockLength,
                   keep = dn::platform::kRecordLockBase + 42;
    ASSERT_TRUE(a.tryLock(base, length, LockKind::Exclusive));
    EXPECT_TRUE(a.narrowLock(base, length, keep, 1));
    EXPECT_FALSE(b.tryLock(keep, 1, LockKind::Exclusive));
    EXPECT_TRUE(b.tryLock(keep - 1, 1, LockKind::Exclusive));
    EXPECT_TRUE(b.tryLock(keep + 1, 1, LockKind::Exclusive));
    EXPECT_TRUE(b.tryLock(base, 1, LockKind::Exclusive));
    EXPECT_TRUE(b.tryLock(base + length - 1, 1, LockKind::Exclusive));
}

TEST(FileReplace, TheNewFileTakesTheNameWithItsSharingLock) {
    const dn::test::TempFolder dir;
    const std::string target = dir / "target.bin", fresh = dir / "fresh.bin";
    File::create(target).writeAt(0, "old", 3);
    File old = File::open(target, true, Share::Exclusive);
    File neu = File::create(fresh, Share::Exclusive);
    neu.writeAt(0, "new!", 4);
    dn::platform::replaceFile(neu, old, target);
    EXPECT_FALSE(old.isOpen());
    EXPECT_EQ(neu.path(), target);
    EXPECT_FALSE(fs::exists(fresh));
    char bytes[8] = {};
    EXPECT_EQ(neu.readAt(0, bytes, sizeof bytes), 4u);
    EXPECT_EQ(std::string(bytes, 4), "new!");
    // Still held exclusively under its new name.
    EXPECT_EQ(openKind(target, true, Share::Shared), FileErrorKind::Sharing);
    neu.close();
    EXPECT_EQ(openKind(target, true, Share::Shared), FileErrorKind::Io);
}
