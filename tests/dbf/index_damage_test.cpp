#include "common/dbf/index_check.h"
#include "common/dbf/index_cursor.h"
#include "common/dbf/index_file.h"
#include "index_test_util.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace dn::dbf;
using namespace indextest;
namespace cdx = dn::dbf::cdx;

namespace {

// A built index file as bytes, with helpers to find its pages.
struct Image {
    std::string bytes;
    uint32_t u32(size_t at) const { return cdx::getLe32(ptr(at)); }
    void put32(size_t at, uint32_t v) { cdx::putLe32(reinterpret_cast<uint8_t*>(&bytes[at]), v); }
    void put16(size_t at, uint16_t v) { cdx::putLe16(reinterpret_cast<uint8_t*>(&bytes[at]), v); }
    const uint8_t* ptr(size_t at) const { return reinterpret_cast<const uint8_t*>(&bytes[at]); }
    uint32_t root() const { return u32(cdx::kTagHeaderOffset); }
    cdx::Node node(uint32_t off) const { return cdx::decodeNode(ptr(off), off, 23, ' '); }
    // The leftmost page of each level, root first.
    std::vector<uint32_t> leftmost() const {
        std::vector<uint32_t> out{root()};
        for (cdx::Node n = node(root()); !n.isLeaf(); n = node(n.children[0]))
            out.push_back(n.children[0]);
        return out;
    }
};

class IndexDamage : public ::testing::Test {
protected:
    void SetUp() override {
        recs = randomDeadlines(6000, 21);
        path = dir / "SCADENZE.NTX";
        IndexFile::create(path, "", textDefinition(23), recs.scan(), textKey(23)).close();
        image.bytes = dn::test::readFile(path);
        ASSERT_GE(image.leftmost().size(), 3u); // root, interior, leaf
    }

    // Every read operation on the damaged file must give CorruptFile naming it.
    void expectCorrupt(const Image& damaged, const std::string& what) {
        SCOPED_TRACE(what);
        dn::test::writeFile(path, damaged.bytes);
        try {
            const IndexFile idx = IndexFile::open(path, true);
            const IndexCheckReport r = verifyIndexStructure(idx);
            EXPECT_FALSE(r.ok());
            idx.entries();
            idx.count();
            FAIL() << "no error";
        } catch (const CorruptFile& e) {
            EXPECT_EQ(e.path(), path);
            EXPECT_EQ(e.message(), "Il file " + path + " risulta corrotto.");
        }
    }

    dn::test::TempFolder dir;
    Records recs{23, {}};
    std::string path;
    Image image;
};

} // namespace

TEST_F(IndexDamage, PointerLoopsArePointersPastTheEndAndBadCountsAreReported) {
    const auto pages = image.leftmost();
    const uint32_t leafA = pages.back();
    const uint32_t leafB = image.node(leafA).right;
    {
        Image d = image; // two leaves pointing at each other
        d.put32(leafA + 4, leafB);
        d.put32(leafB + 8, leafA);
        expectCorrupt(d, "leaf loop");
    }
    {
        Image d = image; // an interior node whose first child is the root
        cdx::putBe32(reinterpret_cast<uint8_t*>(&d.bytes[pages[1] + 12 + 23 + 4]), pages[0]);
        cdx::putBe32(reinterpret_cast<uint8_t*>(&d.bytes[pages[0] + 12 + 23 + 4]), pages[1]);
        expectCorrupt(d, "interior loop");
    }
    {
        Image d = image; // a child past the end of the file
        cdx::putBe32(reinterpret_cast<uint8_t*>(&d.bytes[pages[0] + 12 + 23 + 4]),
                     static_cast<uint32_t>(d.bytes.size() + 4096));
        expectCorrupt(d, "pointer past end");
    }
    {
        Image d = image; // more keys than a leaf can hold
        d.put16(leafA + 2, 400);
        expectCorrupt(d, "leaf key count");
    }
    {
        Image d = image; // an interior node claiming no keys
        d.put16(pages[1] + 2, 0);
        expectCorrupt(d, "interior key count");
    }
    {
        Image d = image; // root pointer not on a page boundary
        d.put32(cdx::kTagHeaderOffset, 2561);
        expectCorrupt(d, "root pointer");
    }
    {
        Image d = image; // cut short in the middle of the tree
        d.bytes.resize(d.bytes.size() / 2);
        expectCorrupt(d, "truncated");
    }
    {
        Image d = image; // cut short inside the headers
        d.bytes.resize(2000);
        expectCorrupt(d, "short header");
    }
    {
        Image d = image; // tag directory pointing outside the file
        d.put32(cdx::kDirectoryRootOffset + 24, 0xFFFFF);
        expectCorrupt(d, "tag directory");
    }
}

TEST_F(IndexDamage, ChangeLeftHalfWrittenIsReportedUntilRebuilt) {
    Image d = image;
    d.put32(cdx::kTagHeaderOffset + cdx::kCounterOffset, 7); // odd: a writer stopped mid-way
    expectCorrupt(d, "half-written");
    IndexFile::create(path, "", textDefinition(23), recs.scan(), textKey(23)).close();
    const IndexFile idx = IndexFile::open(path, false);
    EXPECT_TRUE(checkIndex(idx, recs.scan(), textKey(23)).ok());
}

// Random damage: every operation either works or reports the file as corrupt; no
// other error, no crash, no endless walk.
TEST_F(IndexDamage, RandomDamageNeverEscapesAsAnythingButCorruptFile) {
    std::mt19937 rng(99);
    const size_t size = image.bytes.size();
    int reported = 0;
    for (int round = 0; round < 400; ++round) {
        Image d = image;
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits; ++e) {
            // Mostly page headers and the leaf bit fields, where counts and pointers live.
            const size_t pageStart = (rng() % (size / 512)) * 512;
            const size_t at = rng() % 3 == 0 ? pageStart + rng() % 512 : pageStart + rng() % 24;
            d.bytes[at] = static_cast<char>(rng() % 3 == 0 ? 0xFF : rng());
        }
        dn::test::writeFile(path, d.bytes);
        try {
            IndexFile idx = IndexFile::open(path, true);
            verifyIndexStructure(idx);
            idx.entries();
            idx.count({deadlineKey(3, 0).substr(0, 10), deadlineKey(3, 0).substr(0, 10)});
            idx.seek(deadlineKey(5, 2019), SeekMode::Prefix, true);
            IndexCursor c(idx);
            c.goBottom();
            c.skip(-300);
            c.skip(50);
            idx.insert(deadlineKey(4, 20200101, "10:00"), 77777);
            idx.remove(recs.rows[5].substr(1), 6);
            verifyIndexStructure(idx);
        } catch (const CorruptFile& e) {
            EXPECT_EQ(e.path(), path);
            ++reported;
        }
    }
    EXPECT_GT(reported, 30);
}

TEST_F(IndexDamage, AHeaderThatPointsAtAPageBelowTheRootIsRefusedWhenTheFileOpens) {
    const auto pages = image.leftmost();
    const auto refusedAtOpen = [&](const Image& d, const std::string& what) {
        SCOPED_TRACE(what);
        dn::test::writeFile(path, d.bytes);
        EXPECT_THROW(IndexFile::open(path, true), CorruptFile);
        EXPECT_EQ(dn::test::readFile(path), d.bytes); // nothing written
    };
    for (size_t level = 1; level < pages.size(); ++level) {
        Image d = image; // most keys would be missed, removals would go astray
        d.put32(cdx::kTagHeaderOffset, pages[level]);
        refusedAtOpen(d, "root pointer at level " + std::to_string(level));
    }
    {
        Image d = image; // the right page, without its mark
        d.put16(pages[0], static_cast<uint16_t>(image.node(pages[0]).attributes & ~cdx::kAttrRoot));
        refusedAtOpen(d, "root without its mark");
    }
    {
        Image d = image; // an interior root without keys
        d.put16(pages[0] + 2, 0);
        refusedAtOpen(d, "empty interior root");
    }
    {
        Image d = image; // a page below the root that says it is one
        d.put16(pages[1], static_cast<uint16_t>(image.node(pages[1]).attributes | cdx::kAttrRoot));
        expectCorrupt(d, "second root");
    }
}
