#include "common/dbf/index_check.h"
#include "common/dbf/index_cursor.h"
#include "common/dbf/index_file.h"
#include "index_test_util.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace dn::dbf;
using namespace indextest;

namespace {

std::string slot(int n) {
    const std::string s = std::to_string(n);
    return std::string(10 - s.size(), ' ') + s;
}

} // namespace

TEST(IndexNames, NtxAddedOnlyWithoutExtensionAndTagFromBaseName) {
    EXPECT_EQ(indexFileName("scadenze"), "SCADENZE.NTX");
    EXPECT_EQ(indexFileName("/tmp/Dati/rubrica"), "/tmp/Dati/RUBRICA.NTX");
    EXPECT_EQ(indexFileName("C:\\dati\\x.idx"), "C:\\dati\\X.IDX");
    EXPECT_EQ(indexFileName("/tmp/a.b/view1"), "/tmp/a.b/VIEW1.NTX");
    EXPECT_EQ(indexTagName("/tmp/Dati/SCADENZE.NTX"), "SCADENZE");
    EXPECT_EQ(indexTagName("\x7FVIEW12.NTX"), "\x7FVIEW12");
    EXPECT_EQ(indexTagName("ABCDEFGHIJKLMN.NTX"), "ABCDEFGHIJ");
}

TEST(IndexBuild, ListsEveryLiveRecordInKeyOrderWithItsHeaders) {
    dn::test::TempFolder dir;
    const Records recs = randomDeadlines(20000, 1);
    const std::string path = dir / "SCADENZE.NTX";
    IndexFile idx = IndexFile::create(path, "", textDefinition(23), recs.scan(), textKey(23));
    EXPECT_EQ(idx.tagName(), "SCADENZE");
    EXPECT_EQ(idx.definition().keyExpression, dn::schema::kDeadlineKey);
    EXPECT_EQ(idx.definition().forExpression, "!DELETED()");

    const auto expected = recs.expected();
    EXPECT_EQ(idx.entries(), expected);
    EXPECT_EQ(idx.count(), expected.size());
    EXPECT_EQ(idx.first(), expected.front());
    EXPECT_EQ(idx.last(), expected.back());
    const IndexCheckReport r = checkIndex(idx, recs.scan(), textKey(23));
    EXPECT_TRUE(r.ok()) << r.problems.front();

    // Reopened read-only, the same file gives the same answers.
    const IndexFile again = IndexFile::open(path, false);
    EXPECT_EQ(again.entries(), expected);
    EXPECT_EQ(again.definition().keyLength, 23);
}

TEST(IndexBuild, UniqueKeepsTheFirstRecordOfEachValue) {
    dn::test::TempFolder dir;
    Records recs{4, {}};
    for (const char* k : {"BB", "AA", "BB", "CC", "AA"})
        recs.add(k);
    IndexFile idx =
        IndexFile::create(dir / "U", "", textDefinition(4, true), recs.scan(), textKey(4));
    const auto e = idx.entries();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0], (IndexEntry{"AA  ", 2}));
    EXPECT_EQ(e[1], (IndexEntry{"BB  ", 1}));
    EXPECT_EQ(e[2], (IndexEntry{"CC  ", 4}));
    EXPECT_FALSE(idx.insert("BB  ", 9)); // another record holds the value
    EXPECT_TRUE(idx.insert("DD  ", 9));
    for (int i = 6; i <= 8; ++i)
        recs.add("ZZ", true);
    recs.add("DD");
    EXPECT_TRUE(checkIndex(idx, recs.scan(), textKey(4)).ok());
    recs.rows[0][0] = '*'; // record 1 deleted, its key still in the index
    const IndexCheckReport r = checkIndex(idx, recs.scan(), textKey(4));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.problems.front(), "Chiave in pi\xF9 per il record 1");
}

TEST(IndexNavigation, ScopesSeeksAndCountsFollowTheKeys) {
    dn::test::TempFolder dir;
    const Records recs = randomDeadlines(30000, 2);
    IndexFile idx =
        IndexFile::create(dir / "SCADENZE", "", textDefinition(23), recs.scan(), textKey(23));
    const auto all = recs.expected();
    for (int s : {1, 7, 10}) {
        const std::string code = slot(s);
        std::vector<IndexEntry> mine;
        for (const auto& e : all)
            if (e.key.compare(0, 10, code) == 0)
                mine.push_back(e);
        const IndexScope scope{code, code};
        EXPECT_EQ(idx.count(scope), mine.size());
        EXPECT_EQ(idx.first(scope), mine.front());
        EXPECT_EQ(idx.last(scope), mine.back());
        EXPECT_EQ(idx.entries(scope), mine);
        // The place of an entry within its scope, across leaves, and of one outside.
        for (size_t i : {size_t(0), mine.size() / 2, mine.size() - 1})
            EXPECT_EQ(idx.rank(mine[i], scope), i + 1);
        EXPECT_EQ(
            idx.rank(all.front().key.compare(0, 10, code) == 0 ? all.back() : all.front(), scope),
            0u);
    }
    EXPECT_EQ(idx.rank(all[all.size() / 2]), all.size() / 2 + 1);
    EXPECT_EQ(idx.rank(IndexEntry{all[5].key, all[5].recno + 900000}), 0u) << "not in the index";
    // Prefix and exact seeks.
    const IndexEntry& some = all[all.size() / 3];
    SeekResult r = idx.seek(some.key.substr(0, 18), SeekMode::Prefix, false);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.entry->key.substr(0, 18), some.key.substr(0, 18));
    EXPECT_LE(r.entry->key, some.key);
    r = idx.seek(some.key, SeekMode::Exact, false);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.entry->key, some.key);
    // Exact compares the whole key: a blank-padded prefix matches only a blank tail.
    r = idx.seek(slot(3), SeekMode::Exact, false);
    EXPECT_FALSE(r.found);
    EXPECT_FALSE(r.entry);
    // Soft: not found, positioned on the next key; past the end: nothing.
    r = idx.seek(slot(3) + "20151301", SeekMode::Prefix, true);
    EXPECT_FALSE(r.found);
    ASSERT_TRUE(r.entry);
    EXPECT_EQ(r.entry->key.substr(0, 14), slot(3) + "2016");
    r = idx.seek("\xFF", SeekMode::Prefix, true);
    EXPECT_FALSE(r.entry);
    // Within a scope the seek sees only the scope's keys.
    const IndexScope four{slot(4), slot(4)};
    r = idx.seek(slot(3), SeekMode::Prefix, true, four);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.entry, idx.first(four));
    r = idx.seek(slot(5), SeekMode::Prefix, true, four);
    EXPECT_FALSE(r.entry);
    EXPECT_EQ(idx.count(IndexScope{slot(11), slot(11)}), 0u);
}

TEST(IndexNavigation, CursorWalksBothWaysWithEndFlags) {
    dn::test::TempFolder dir;
    const Records recs = randomDeadlines(5000, 3);
    IndexFile idx = IndexFile::create(dir / "S", "", textDefinition(23), recs.scan(), textKey(23));
    IndexCursor c(idx);
    c.setScope({slot(2), slot(2)});
    std::vector<IndexEntry> forward;
    for (c.goTop(); !c.eof(); c.skip())
        forward.push_back(*c.current());
    EXPECT_EQ(forward, idx.entries(c.scope()));
    EXPECT_EQ(c.recno(), 0u);
    // Back from end of file: the last key, then every key down to the first.
    std::vector<IndexEntry> backward;
    c.skip(-1);
    while (!c.bof()) {
        backward.push_back(*c.current());
        c.skip(-1);
    }
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, forward);
    EXPECT_EQ(c.current(), forward.front()); // at beginning of file, on the first key
    // Long jumps.
    c.goTop();
    EXPECT_EQ(c.skip(100), 100);
    EXPECT_EQ(c.current(), forward[100]);
    EXPECT_EQ(c.skip(-40), 40);
    EXPECT_EQ(c.current(), forward[60]);
    c.skip(static_cast<long>(forward.size()));
    EXPECT_TRUE(c.eof());
    c.goBottom();
    EXPECT_EQ(c.current(), forward.back());
    // A key that another process removes meanwhile: the next step lands on its neighbour.
    c.goTop();
    c.skip(10);
    ASSERT_TRUE(idx.remove(forward[10].key, forward[10].recno));
    c.skip(1);
    EXPECT_EQ(c.current(), forward[11]);
    ASSERT_TRUE(idx.remove(forward[11].key, forward[11].recno));
    c.skip(-1);
    EXPECT_EQ(c.current(), forward[9]);
}

TEST(IndexNavigation, RecordNumberKeysOfViews) {
    dn::test::TempFolder dir;
    Records recs = randomDeadlines(3000, 4);
    const IndexDefinition def = recnoDefinition();
    // Only the records of slot 5 that are not deleted.
    const KeyEvaluator eval = recnoKey([](const char* rec, uint32_t) {
        return rec[0] != '*' && std::string(rec + 1, 10) == slot(5);
    });
    const std::string path = dir / "\x7FVIEW1";
    IndexFile view = IndexFile::create(path, "", def, recs.scan(), eval);
    EXPECT_EQ(view.tagName(), "\x7FVIEW1");
    const IndexFile reopened = IndexFile::open(view.path(), false);
    EXPECT_EQ(reopened.definition().keyType, KeyType::Numeric);
    std::vector<uint32_t> want;
    for (size_t i = 0; i < recs.rows.size(); ++i)
        if (recs.rows[i][0] != '*' && recs.rows[i].substr(1, 10) == slot(5))
            want.push_back(static_cast<uint32_t>(i + 1));
    std::vector<uint32_t> got;
    for (const auto& e : reopened.entries()) {
        got.push_back(e.recno);
        EXPECT_EQ(cdx::decodeNumericKey(e.key), e.recno);
    }
    EXPECT_EQ(got, want);
    const SeekResult r = reopened.seek(cdx::encodeNumericKey(want[7]), SeekMode::Exact, false);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.entry->recno, want[7]);
}

TEST(IndexNavigation, EmptyIndexHasNoKeysUntilOneIsAdded) {
    dn::test::TempFolder dir;
    Records none{6, {}};
    IndexFile idx = IndexFile::create(dir / "E", "", textDefinition(6), none.scan(), textKey(6));
    EXPECT_FALSE(idx.first());
    EXPECT_FALSE(idx.last());
    EXPECT_EQ(idx.count(), 0u);
    EXPECT_FALSE(idx.seek("A", SeekMode::Prefix, true).entry);
    IndexCursor c(idx);
    EXPECT_FALSE(c.goTop());
    EXPECT_TRUE(c.eof());
    EXPECT_TRUE(c.bof());
    EXPECT_EQ(c.skip(-1), 0);
    ASSERT_TRUE(idx.insert("ABC   ", 3));
    EXPECT_EQ(idx.entries(), (std::vector<IndexEntry>{{"ABC   ", 3}}));
    EXPECT_TRUE(verifyIndexStructure(idx).ok());
}
