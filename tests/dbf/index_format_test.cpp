#include "common/dbf/index_format.h"

#include <gtest/gtest.h>
#include <random>

using namespace dn::dbf::cdx;

TEST(IndexFormat, NumericKeysSortInNumericOrderAndDecodeBack) {
    const std::vector<double> values = {-1e300, -1e10, -5.5, -1,  -1e-300,      0,
                                        1e-300, 1,     2,    3.5, 4294967295.0, 1e10};
    std::vector<std::string> keys;
    for (double v : values) {
        keys.push_back(encodeNumericKey(v));
        ASSERT_EQ(keys.back().size(), 8u);
        EXPECT_EQ(decodeNumericKey(keys.back()), v);
    }
    for (size_t i = 1; i < keys.size(); ++i)
        EXPECT_LT(keys[i - 1], keys[i]) << values[i - 1] << " vs " << values[i];
    EXPECT_EQ(encodeNumericKey(-0.0), encodeNumericKey(0.0));
    // Record number 1 as the format stores it: 3FF0... with the sign bit set.
    EXPECT_EQ(encodeNumericKey(1.0), std::string("\xBF\xF0\0\0\0\0\0\0", 8));
}

namespace {

std::vector<EntryRef> refsOf(const std::vector<std::string>& keys,
                             const std::vector<uint32_t>& recnos) {
    std::vector<EntryRef> r;
    for (size_t i = 0; i < keys.size(); ++i)
        r.push_back({keys[i].data(), recnos[i], 0});
    return r;
}

} // namespace

TEST(IndexFormat, LeafPagesKeepEveryKeyAndRecordNumber) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        const uint16_t kl = static_cast<uint16_t>(1 + rng() % 40);
        const size_t n = rng() % 60;
        std::vector<std::string> keys;
        for (size_t i = 0; i < n; ++i) {
            std::string k(kl, ' ');
            // Short alphabets and blank tails give many shared prefixes and trailing blanks.
            const size_t used = rng() % (kl + 1);
            for (size_t j = 0; j < used; ++j)
                k[j] = "AB "[rng() % 3];
            keys.push_back(k);
        }
        std::sort(keys.begin(), keys.end());
        std::vector<uint32_t> recnos;
        const uint32_t maxRecno = round % 3 == 0 ? 0xFFFFFFFFu : 1u + rng() % 100000;
        for (size_t i = 0; i < n; ++i)
            recnos.push_back(1 + rng() % maxRecno);
        // Equal keys need ascending record numbers.
        for (size_t i = 1; i < n; ++i)
            if (keys[i] == keys[i - 1] && recnos[i] <= recnos[i - 1]) {
                if (recnos[i - 1] == 0xFFFFFFFFu) {
                    keys.erase(keys.begin() + static_cast<long>(i));
                    recnos.erase(recnos.begin() + static_cast<long>(i));
                    --i;
                    continue;
                }
                recnos[i] = recnos[i - 1] + 1;
            }
        const auto refs = refsOf(keys, recnos);
        uint8_t page[kPageSize];
        const bool fits = leafBytes(refs.data(), refs.size(), kl, ' ') <= kLeafSpace;
        ASSERT_EQ(encodeLeaf(refs.data(), refs.size(), kAttrRoot, kNoPage, 4096, kl, ' ', page),
                  fits);
        if (!fits)
            continue;
        const Node node = decodeNode(page, 2560, kl, ' ');
        ASSERT_TRUE(node.isLeaf());
        EXPECT_TRUE(node.isRoot());
        EXPECT_EQ(node.right, 4096u);
        ASSERT_EQ(node.size(), keys.size());
        for (size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(std::string(node.key(i, kl), kl), keys[i]);
            EXPECT_EQ(node.recnos[i], recnos[i]);
        }
    }
}

TEST(IndexFormat, DuplicateBytesNeverComeFromThePreviousKeysPadding) {
    // A reader that fills trailing bytes with zeros (as some independent readers do)
    // must still rebuild "AB C" after "AB  ".
    const std::vector<std::string> keys = {"AB  ", "AB C"};
    const auto refs = refsOf(keys, {1, 2});
    uint8_t page[kPageSize];
    ASSERT_TRUE(encodeLeaf(refs.data(), refs.size(), 0, kNoPage, kNoPage, 4, ' ', page));
    const Node zeroFilled = decodeNode(page, 2560, 4, '\0');
    EXPECT_EQ(std::string(zeroFilled.key(0, 4), 4), std::string("AB\0\0", 4));
    EXPECT_EQ(std::string(zeroFilled.key(1, 4), 4), "AB C");
}
