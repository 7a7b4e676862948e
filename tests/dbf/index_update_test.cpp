#include "common/dbf/index_check.h"
#include "common/dbf/index_file.h"
#include "index_test_util.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

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
    dn::test::TempFolder dir;
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
    dn::test::TempFolder dir;
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
    dn::test::TempFolder dir;
    Records recs{6, {}};
    for (const char* k : {"AAA", "BBB", "CCC"})
        recs.add(k);
    IndexFile idx = IndexFile::create(dir / "C", "", textDefinition(6), recs.scan(), textKey(6));
    auto counter = [&] {
        const std::string b = dn::test::readFile(idx.path());
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

// Another program may pack a leaf tighter than this one does (its duplicate counts
// reach into the previous key's trailing blanks). Such a page is valid; changes next
// to it must not try to repack it, and changes in it must split it.
TEST(IndexUpdate, LeavesPackedTighterByAnotherProgramStayUsable) {
    dn::test::TempFolder dir;
    Records recs{4, {}};
    for (int i = 1; i <= 300; ++i) {
        char k[8];
        std::snprintf(k, sizeof k, "%04d", i);
        recs.add(k);
    }
    IndexFile idx = IndexFile::create(dir / "P", "", textDefinition(4), recs.scan(), textKey(4));
    std::string file = dn::test::readFile(idx.path());
    auto* bytes = reinterpret_cast<uint8_t*>(file.data());
    const uint32_t rootAt = cdx::getLe32(bytes + cdx::kTagHeaderOffset);
    cdx::Node root = cdx::decodeNode(bytes + rootAt, rootAt, 4, ' ');
    ASSERT_FALSE(root.isLeaf());
    const uint32_t lastLeaf = root.children.back();

    // The foreign leaf: "A   ", "A  B", "B   ", "B  B", ... each second key stored as
    // one byte with 3 duplicate bytes, where this program would store 3 bytes.
    std::vector<std::string> keys;
    for (int c = 'A'; c < 'A' + 70; ++c) {
        keys.push_back(std::string(1, static_cast<char>(c)) + "   ");
        keys.push_back(std::string(1, static_cast<char>(c)) + "  B");
    }
    const cdx::LeafLayout lay = cdx::leafLayout(1000, 4);
    uint8_t leaf[cdx::kPageSize] = {};
    size_t end = cdx::kPageSize;
    for (size_t i = 0; i < keys.size(); ++i) {
        const size_t dup = i % 2, trail = i % 2 ? 0 : 3, len = 1;
        const char* stored = keys[i].data() + (i % 2 ? 3 : 0);
        end -= len;
        std::memcpy(leaf + end, stored, len);
        const uint64_t packed = (500 + i) | uint64_t(dup * 3) << lay.recnoBits |
                                uint64_t(trail) << (lay.recnoBits + lay.countBits);
        for (size_t b = 0; b < lay.entryBytes; ++b)
            leaf[cdx::kLeafHeaderSize + i * lay.entryBytes + b] = uint8_t(packed >> (8 * b));
    }
    cdx::putLe16(leaf, cdx::kAttrLeaf);
    cdx::putLe16(leaf + 2, static_cast<uint16_t>(keys.size()));
    cdx::putLe32(leaf + 4, lastLeaf);
    cdx::putLe32(leaf + 8, cdx::kNoPage);
    cdx::putLe32(leaf + 14, (1u << lay.recnoBits) - 1);
    leaf[18] = leaf[19] = 7;
    leaf[20] = lay.recnoBits;
    leaf[21] = leaf[22] = lay.countBits;
    leaf[23] = lay.entryBytes;
    std::vector<cdx::EntryRef> refs;
    for (size_t i = 0; i < keys.size(); ++i)
        refs.push_back({keys[i].data(), uint32_t(500 + i), 0});
    ASSERT_GT(cdx::leafBytes(refs.data(), refs.size(), 4, ' '), cdx::kLeafSpace); // ours: too big
    const uint32_t foreign = static_cast<uint32_t>(file.size());
    file.append(reinterpret_cast<char*>(leaf), cdx::kPageSize);
    bytes = reinterpret_cast<uint8_t*>(file.data());
    cdx::putLe32(bytes + lastLeaf + 8, foreign);
    root.keys += keys.back();
    root.recnos.push_back(uint32_t(500 + keys.size() - 1));
    root.children.push_back(foreign);
    std::vector<cdx::EntryRef> rootRefs;
    for (size_t i = 0; i < root.size(); ++i)
        rootRefs.push_back({root.key(i, 4), root.recnos[i], root.children[i]});
    cdx::encodeInterior(rootRefs.data(), rootRefs.size(), root.attributes, cdx::kNoPage,
                        cdx::kNoPage, 4, bytes + rootAt);
    idx.close();
    dn::test::writeFile(dir / "P.NTX", file);
    idx = IndexFile::open(dir / "P", true);
    ASSERT_TRUE(verifyIndexStructure(idx).ok());
    std::vector<IndexEntry> want = recs.expected();
    for (size_t i = 0; i < keys.size(); ++i)
        want.push_back({keys[i], uint32_t(500 + i)});
    EXPECT_EQ(idx.entries(), want);

    // Splits of its left neighbour relink it; a removal in it splits it.
    for (uint32_t r = 1000; r < 1300; ++r)
        ASSERT_TRUE(idx.insert("0299", r));
    ASSERT_TRUE(idx.remove(keys[7], 507));
    ASSERT_TRUE(idx.insert("C  A", 2000));
    const IndexCheckReport rep = verifyIndexStructure(idx);
    EXPECT_TRUE(rep.ok()) << rep.problems.front();
    EXPECT_EQ(rep.keys, want.size() + 300);
}
