#include "common/dbf/index_check.h"
#include "common/dbf/index_file.h"
#include "index_test_util.h"
#include "platform/lock_layout.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace dn::dbf;
using namespace indextest;
namespace platform = dn::platform;

namespace {

struct HookGuard {
    explicit HookGuard(platform::FaultHooks h) { platform::setFaultHooks(std::move(h)); }
    ~HookGuard() { platform::clearFaultHooks(); }
};

// Fails the writes to `path` from the n-th on, after writing `partial` bytes of it.
platform::FaultHooks failWritesFrom(const std::string& path, int n, long long partial) {
    auto count = std::make_shared<int>(0);
    platform::FaultHooks h;
    h.onWrite = [=](const std::string& p, uint64_t, size_t) -> long long {
        if (p != path)
            return -1;
        return ++*count >= n ? partial : -1;
    };
    return h;
}

} // namespace

TEST(IndexFaults, WriteFailingMidChangeReachesTheCallerAndIsReportedUntilRebuilt) {
    dn::test::TempFolder dir;
    Records recs = randomDeadlines(4000, 31);
    const std::string path = dir / "SCADENZE.NTX";
    IndexFile idx = IndexFile::create(path, "", textDefinition(23), recs.scan(), textKey(23));
    // Two records appended with their keys, then a third whose page write stops
    // half-way (a change writes the header's counter first, then its pages).
    for (int i = 0; i < 3; ++i) {
        recs.add(deadlineKey(6, 20180505 + i, "12:00"));
        const uint32_t recno = static_cast<uint32_t>(recs.rows.size());
        if (i < 2) {
            ASSERT_TRUE(idx.insert(recs.rows.back().substr(1), recno));
            continue;
        }
        HookGuard g(failWritesFrom(path, 2, 100));
        try {
            idx.insert(recs.rows.back().substr(1), recno);
            FAIL() << "the failed write was not reported";
        } catch (const platform::FileError& e) {
            EXPECT_EQ(e.kind(), platform::FileErrorKind::DiskFull);
        }
    }
    // The file now says that a change was cut short, to readers and to the check.
    EXPECT_THROW(idx.entries(), CorruptFile);
    const IndexCheckReport r = checkIndex(idx, recs.scan(), textKey(23));
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.problems.front().find("rimasta a met"), std::string::npos) << r.problems.front();
    // Rebuilding mends it, with every record's key.
    idx.close();
    idx = IndexFile::create(path, "", textDefinition(23), recs.scan(), textKey(23));
    EXPECT_TRUE(checkIndex(idx, recs.scan(), textKey(23)).ok());
    for (size_t n = recs.rows.size() - 2; n <= recs.rows.size(); ++n)
        EXPECT_TRUE(idx.contains(recs.rows[n - 1].substr(1), static_cast<uint32_t>(n)));
}

TEST(IndexFaults, FailedRebuildLeavesTheOldFileAndNoTemporaryFile) {
    dn::test::TempFolder dir;
    Records recs = randomDeadlines(3000, 32);
    const std::string path = dir / "S.NTX";
    IndexFile::create(path, "", textDefinition(23), recs.scan(), textKey(23)).close();
    const std::string before = dn::test::readFile(path);
    Records more = randomDeadlines(9000, 33);
    {
        platform::FaultHooks h; // the disk fills up after 10 bytes of the new file
        h.onWrite = [](const std::string&, uint64_t, size_t) -> long long { return 10; };
        HookGuard g(h);
        EXPECT_THROW(IndexFile::create(path, "", textDefinition(23), more.scan(), textKey(23)),
                     platform::FileError);
    }
    EXPECT_TRUE(dn::test::readFile(path) == before);
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1u);
}

TEST(IndexLocks, ReadersShareTheIndexAndWritersWaitForThem) {
    dn::test::TempFolder dir;
    Records recs = randomDeadlines(500, 34);
    const std::string path = dir / "S.NTX";
    IndexFile idx = IndexFile::create(path, "", textDefinition(23), recs.scan(), textKey(23));
    IndexFile::setLockTimeout(150);
    // Another open (another process, as far as the locks go) walking the index.
    platform::File other = platform::File::open(path, true);
    ASSERT_TRUE(other.tryLock(platform::kIndexLockOffset, 1, platform::LockKind::Shared));
    EXPECT_EQ(idx.count(), recs.expected().size()); // readers share
    const std::string key = deadlineKey(1, 20200101);
    try {
        idx.insert(key, 9999);
        FAIL() << "writer did not wait for the reader";
    } catch (const platform::FileError& e) {
        EXPECT_EQ(e.kind(), platform::FileErrorKind::Sharing);
    }
    other.unlock(platform::kIndexLockOffset, 1);
    // Another open changing the index: readers wait too.
    ASSERT_TRUE(other.tryLock(platform::kIndexLockOffset, 1, platform::LockKind::Exclusive));
    EXPECT_THROW(idx.first(), platform::FileError);
    other.unlock(platform::kIndexLockOffset, 1);
    EXPECT_TRUE(idx.insert(key, 9999));
    EXPECT_TRUE(idx.contains(key, 9999));
    // Each operation lets go of the lock when it ends, failed ones included.
    EXPECT_TRUE(other.tryLock(platform::kIndexLockOffset, 1, platform::LockKind::Exclusive));
    IndexFile::setLockTimeout(30000);
}
