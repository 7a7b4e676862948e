// Deleting many records at once under the file lock (Table::deleteWhere): the
// records picked and no others are marked, and the index keeps exactly the live
// records, whether it loses its keys one by one or gets a new tree in place; an
// index that a bulk delete left half-written is built again by the next one.
#include "dbf_test_util.h"

#include "common/dbf/index_check.h"
#include "common/dbf/index_expr.h"
#include "common/dbf/index_maintain.h"
#include "common/dbf/table.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <set>

using namespace dn::dbf;
using dn::test::TempFolder;

namespace {

// A deadline table of `records` records (slots and dates in turn, every seventh
// deleted), its index as the program builds it, and the table open shared with the
// index kept current, as a work area keeps it.
class BulkTable {
public:
    explicit BulkTable(uint32_t records) {
        path_ = Table::create(dir_ / "scadenze", dbftest::deadlineFields());
        {
            Table t;
            t.open(path_, {false, false});
            for (uint32_t i = 1; i <= records; ++i) {
                t.append();
                t.put("CODICE", dn::schema::slotCode(1 + static_cast<int>(i % 10)));
                t.put("DATA", dn::Date::fromYmd(2025, 1, 1).addDays(static_cast<int>(i % 700)));
                t.put("EVASA", i % 3 != 0);
                t.setDeleted(i % 7 == 0);
            }
            t.commit();
        }
        table_.open(path_);
        key_ = compileKeyExpression(dn::schema::kDeadlineKey, dn::schema::kIndexCondition, table_);
        def_.keyExpression = dn::schema::kDeadlineKey;
        def_.forExpression = dn::schema::kIndexCondition;
        def_.keyLength = key_.shape.length;
        index_ = IndexFile::create(dir_ / "scadenze", "", def_, tableScan(table_), key_.eval);
        maintainer_.add(&index_, key_.eval);
        table_.addObserver(&maintainer_);
    }
    ~BulkTable() { table_.removeObserver(&maintainer_); }

    Table& table() { return table_; }
    IndexFile& index() { return index_; }
    const std::string& indexPath() const { return index_.path(); }

    // Deletes the live records that pick chooses under the file lock, checking the
    // count it gives and the flags it leaves; returns every deleted record.
    std::set<uint32_t> deleteWhere(const std::function<bool(uint32_t)>& pick) {
        std::set<uint32_t> want = deleted();
        size_t picked = 0;
        table_.scan(1, UINT32_MAX, [&](uint32_t r, std::string_view rec) {
            if (rec[0] != '*' && pick(r))
                picked += want.insert(r).second;
        });
        EXPECT_TRUE(table_.lockFile());
        EXPECT_EQ(table_.deleteWhere([&](uint32_t r, std::string_view) { return pick(r); }),
                  picked);
        table_.unlockAll();
        EXPECT_EQ(deleted(), want);
        return want;
    }
    std::set<uint32_t> deleted() {
        std::set<uint32_t> out;
        table_.scan(1, UINT32_MAX, [&](uint32_t r, std::string_view rec) {
            if (rec[0] == '*')
                out.insert(r);
        });
        return out;
    }
    // The check of the administrator's tool: nothing wrong, every live record keyed
    // once and nothing else.
    void expectIndexExact() {
        const IndexCheckReport report =
            checkIndex(IndexFile::open(indexPath(), false), tableScan(table_), key_.eval);
        EXPECT_TRUE(report.ok()) << (report.ok() ? "" : report.problems.front());
    }
    // The bytes a new build of the index from the table gives (the tag header apart,
    // whose change counter differs).
    std::string freshTree() {
        const std::string path =
            IndexFile::create(dir_ / "fresh", "SCADENZE", def_, tableScan(table_), key_.eval)
                .path();
        return dn::test::readFile(path).substr(cdx::kFirstNodeOffset);
    }

private:
    TempFolder dir_;
    std::string path_;
    Table table_;
    KeyExpression key_;
    IndexDefinition def_;
    IndexFile index_;
    IndexMaintainer maintainer_;
};

} // namespace

TEST(BulkDelete, FewRecordsLoseTheirKeysOneByOneInOneChange) {
    BulkTable b(3000);
    const uint64_t size = std::filesystem::file_size(b.indexPath());
    // Another open of the index, as another computer holds it, reads on afterwards.
    const IndexFile other = IndexFile::open(b.indexPath(), false);
    const std::optional<IndexEntry> first = other.first();
    // Multiples of 7 are deleted already.
    const std::set<uint32_t> expected =
        b.deleteWhere([](uint32_t r) { return r % 100 == 0 || r % 7 == 0; });
    b.expectIndexExact();
    EXPECT_EQ(std::filesystem::file_size(b.indexPath()), size); // the tree was not rebuilt
    EXPECT_EQ(other.count(), 3000 - expected.size());
    EXPECT_EQ(other.skip(*first, 1).moved, 1);
}

TEST(BulkDelete, ManyRecordsGetANewTreeWrittenInPlace) {
    BulkTable b(3000);
    const IndexFile other = IndexFile::open(b.indexPath(), false);
    const std::optional<IndexEntry> first = other.first();
    const std::set<uint32_t> expected = b.deleteWhere([](uint32_t r) { return r % 2 == 0; });
    b.expectIndexExact();
    EXPECT_EQ(dn::test::readFile(b.indexPath()).substr(cdx::kFirstNodeOffset), b.freshTree());
    // The other open finds its place again by key in the new tree.
    EXPECT_EQ(other.count(), 3000 - expected.size());
    const SkipResult next = other.skip(*first, 1);
    ASSERT_TRUE(next.entry);
    EXPECT_EQ(next.entry->recno % 2, 1u);
}

TEST(BulkDelete, AnIndexLeftHalfWrittenIsBuiltAgainByTheNextBulkDelete) {
    BulkTable b(1000);
    // A failing write of the flags: the change stays marked half-written, and the
    // index's lock is free again.
    dn::platform::FaultHooks hooks;
    hooks.onWrite = [](const std::string& path, uint64_t, size_t) -> long long {
        return path.size() > 4 && path.compare(path.size() - 4, 4, ".DBF") == 0 ? 0 : -1;
    };
    dn::platform::setFaultHooks(hooks);
    ASSERT_TRUE(b.table().lockFile());
    EXPECT_THROW(b.table().deleteWhere([](uint32_t r, std::string_view) { return r < 500; }),
                 dn::platform::FileError);
    dn::platform::clearFaultHooks();
    const IndexCheckReport damaged = verifyIndexStructure(IndexFile::open(b.indexPath(), false));
    ASSERT_FALSE(damaged.ok());
    EXPECT_NE(damaged.problems.front().find("rimasta a met"), std::string::npos);
    // The next bulk delete, even of nothing, mends it.
    const std::set<uint32_t> before = b.deleted();
    EXPECT_EQ(b.table().deleteWhere([](uint32_t, std::string_view) { return false; }), 0u);
    b.table().unlockAll();
    EXPECT_EQ(b.deleted(), before);
    b.expectIndexExact();
}

TEST(BulkDelete, NeedsTheFileLockOfASharedTable) {
    BulkTable b(100);
    const std::set<uint32_t> before = b.deleted();
    EXPECT_THROW(b.table().deleteWhere([](uint32_t, std::string_view) { return true; }),
                 TableError);
    EXPECT_EQ(b.deleted(), before);
    b.expectIndexExact();
}
