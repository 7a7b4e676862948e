#pragma once

// One operation on an index file: holds the index lock, reads the header and the
// pages it needs (bounded, so that pointer loops end in an error), and for writers
// allocates, frees and writes pages. Internal to the index code.

#include "common/dbf/index_file.h"
#include "platform/lock_layout.h"

#include <functional>
#include <vector>

namespace dn::dbf {

class IndexSession {
public:
    // With acceptHalfWritten (writers only) a change that an earlier writer left
    // half-written is taken over instead of reported: the session is then inside that
    // change, and finish() ends it.
    // A reader with acceptHalfWritten only learns of such a change (halfWritten()).
    IndexSession(const IndexFile& index, bool write, bool acceptHalfWritten = false);
    ~IndexSession();
    IndexSession(const IndexSession&) = delete;
    IndexSession& operator=(const IndexSession&) = delete;

    const cdx::Header& header() const { return header_; }
    uint16_t keyLength() const { return keyLength_; }
    char pad() const { return pad_; }
    [[noreturn]] void corrupt(const std::string& why) const;

    cdx::Node readNode(uint32_t offset);
    // The root named by the header, which must say it is the root and stand alone
    // (an interior root holds at least one key).
    cdx::Node readRoot();
    // A node reached from its parent, which must not say it is the root and must
    // hold keys (empty nodes leave the tree).
    cdx::Node readChild(uint32_t offset);
    cdx::NodeSummary readSummary(uint32_t offset);

    // A place in a leaf: index == leaf.size() only while walking past its end.
    struct Pos {
        cdx::Node leaf;
        size_t index = 0;
        const char* key(size_t kl) const { return leaf.key(index, kl); }
        uint32_t recno() const { return leaf.recnos[index]; }
    };
    // `pred` is false for a first run of entries and true for the rest; returns the
    // first entry for which it holds.
    using Pred = std::function<bool(const char* key, uint32_t recno)>;
    std::optional<Pos> findFirst(const Pred& pred);
    std::optional<Pos> firstEntry();
    std::optional<Pos> lastEntry();
    // Steps to the next or previous entry, across leaves; false at either end.
    bool next(Pos& p);
    bool prev(Pos& p);
    IndexEntry entryAt(const Pos& p) const;

    // Writing. begin() marks the header as changing (odd counter) before the first
    // page is written; the destructor does not finish a change: finish() must.
    void begin();
    void finish();
    void writeNode(const cdx::Node& n);
    // Rewrites only a node's attributes and neighbour links, leaving its keys as
    // stored: for nodes whose keys do not change (neighbours, a new root).
    void relink(uint32_t offset, uint16_t attributes, uint32_t left, uint32_t right);
    bool fits(const cdx::Node& n) const;
    uint32_t allocatePage();
    void freePage(uint32_t offset);
    void setRoot(uint32_t offset) { header_.root = offset; }
    // The counter was odd when the session began (see acceptHalfWritten).
    bool halfWritten() const { return halfWritten_; }
    // Whether the tag header lies where this program writes it, so that
    // writeImage() can replace the tree.
    bool standardLayout() const { return index_.tagOffset_ == cdx::kTagHeaderOffset; }
    // Replaces the whole tree by a built file image (IndexBuilder::image of this
    // index's definition and tag) and ends the change: the pages first, then the
    // directory, and the tag header last, after a flush. REQUIRES: the standard
    // layout (tag header at cdx::kTagHeaderOffset).
    void writeImage(std::vector<uint8_t>& image);

private:
    void readPage(uint32_t offset, uint8_t* buf);
    std::vector<cdx::EntryRef> refs(const cdx::Node& n) const;

    const IndexFile& index_;
    platform::File& file_;
    bool write_;
    bool locked_ = false;
    bool changing_ = false;
    bool halfWritten_ = false;
    cdx::Header header_;
    uint16_t keyLength_ = 0;
    char pad_ = ' ';
    uint64_t fileSize_ = 0;
    uint64_t pageReads_ = 0;
    uint64_t pageLimit_ = 0;
};

// Removes (key, recno) within a write session; false when it is not there.
bool removeIn(IndexSession& s, std::string_view key, uint32_t recno);

} // namespace dn::dbf
