#include "common/dbf/index_check.h"
#include "common/dbf/index_file.h"
#include "index_test_util.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

using namespace dn::dbf;
using namespace indextest;

namespace {

using Model = std::set<std::pair<std::string, uint32_t>>;

std::vector<IndexEntry> listOf(const Model& m) {
    std::vector<IndexEntry> out;
    for (const auto& [k, r] : m)
        out.push_back({k, r});
    return out;
}

// Random adds and removals against a set, checking the tree as it goes.
void churn(uint16_t keyLength, size_t operations, unsigned seed, size_t alphabet) {
    dbftest::TempDir dir;
    Records none{keyLength, {}};
    IndexFile idx = IndexFile::create(dir / "T", "", textDefinition(keyLength), none.scan(),
                                      textKey(keyLength));
    std::mt19937 rng(seed);
    Model model;
    auto randomKey = [&] {
        std::string k(keyLength, ' ');
        const size_t used = 1 + rng() % std::min<size_t>(keyLength, 6);
        for (size_t j = 0; j < used; ++j)
            k[j] = static_cast<char>('A' + rng() % alphabet);
        return k;
    };
    uintmax_t peakSize = 0;
    for (size_t op = 0; op < operations; ++op) {
        // Grow for the first half, shrink to nothing in the second.
        const bool grow = op < operations / 2 ? rng() % 4 != 0 : rng() % 4 == 0;
        if (grow || model.empty()) {
            const std::string k = randomKey();
            const uint32_t r = 1 + rng() % 100000;
            EXPECT_EQ(idx.insert(k, r), model.insert({k, r}).second);
        } else {
            auto it = model.begin();
            std::advance(it, rng() % model.size());
            EXPECT_TRUE(idx.remove(it->first, it->second));
            EXPECT_FALSE(idx.remove(it->first, it->second));
            model.erase(it);
        }
        if (op % 997 == 0) {
            const IndexCheckReport r = verifyIndexStructure(idx);
            ASSERT_TRUE(r.ok()) << "after " << op << ": " << r.problems.front();
            ASSERT_EQ(r.keys, model.size());
        }
        peakSize = std::max(peakSize, std::filesystem::file_size(idx.path()));
    }
    EXPECT_EQ(idx.entries(), listOf(model));
    EXPECT_EQ(idx.count(), model.size());
    EXPECT_TRUE(verifyIndexStructure(idx).ok());
    // Emptied and filled again, the freed pages are used again: the file does not grow.
    for (const auto& [k, r] : Model(model))
        ASSERT_TRUE(idx.remove(k, r));
    EXPECT_EQ(idx.count(), 0u);
    EXPECT_TRUE(verifyIndexStructure(idx).ok());
    for (uint32_t r = 1; r <= operations / 8; ++r)
        ASSERT_TRUE(idx.insert(randomKey(), r));
    EXPECT_TRUE(verifyIndexStructure(idx).ok());
    EXPECT_LE(std::filesystem::file_size(idx.path()), peakSize);
}

} // namespace

TEST(IndexUpdate, ShortKeysStayOrderedThroughSplitsAndMerges) {
    churn(12, 20000, 11, 4);
}

TEST(IndexUpdate, LongKeysBuildDeepTrees) {
    churn(200, 6000, 12, 26);
}

TEST(IndexUpdate, AddedKeysMatchABuildOfTheSameRecords) {
    dbftest::TempDir dir;
    Records recs = randomDeadlines(8000, 13);
    Records first{23, {}};
    first.rows.assign(recs.rows.begin(), recs.rows.begin() + 3000);
    IndexFile idx = IndexFile::create(dir / "S", "", textDefinition(23), first.scan(), textKey(23));
    // The rest arrive one by one, as appends do; some records are then deleted.
    for (size_t i = 3000; i < recs.rows.size(); ++i) {
        if (recs.rows[i][0] != '*') {
            ASSERT_TRUE(idx.insert(recs.rows[i].substr(1), static_cast<uint32_t>(i + 1)));
        }
    }
    for (size_t i = 0; i < recs.rows.size(); i += 7)
        if (recs.rows[i][0] != '*') {
            ASSERT_TRUE(idx.remove(recs.rows[i].substr(1), static_cast<uint32_t>(i + 1)));
            recs.rows[i][0] = '*';
        }
    EXPECT_EQ(idx.entries(), recs.expected());
    const IndexCheckReport r = checkIndex(idx, recs.scan(), textKey(23));
    EXPECT_TRUE(r.ok()) << r.problems.front();
}

TEST(IndexUpdate, ChangeMovesARecordToItsNewKeyInOneStep) {
    dbftest::TempDir dir;
    Records recs{6, {}};
    for (const char* k : {"AAA", "BBB", "CCC"})
        recs.add(k);
    IndexFile idx = IndexFile::create(dir / "C", "", textDefinition(6), recs.scan(), textKey(6));
    auto counter = [&] {
        const std::string b = dbftest::slurp(idx.path());
        return cdx::getLe32(reinterpret_cast<const uint8_t*>(b.data()) + cdx::kTagHeaderOffset +
                            cdx::kCounterOffset);
    };
    const uint32_t before = counter();
    idx.change(std::string("BBB   "), std::string("ZZZ   "), 2); // a field change
    EXPECT_EQ(counter(), before + 2);                            // one change, both halves
    idx.change(std::string("AAA   "), std::nullopt, 1);          // deleted
    idx.change(std::nullopt, std::string("DDD   "), 4);          // appended
    idx.change(std::string("CCC   "), std::string("CCC   "), 3); // key unchanged
    EXPECT_EQ(idx.entries(),
              (std::vector<IndexEntry>{{"CCC   ", 3}, {"DDD   ", 4}, {"ZZZ   ", 2}}));
    EXPECT_EQ(counter(), before + 6);
}
