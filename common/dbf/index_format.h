#pragma once

// Byte layout of the compound index files: 512-byte pages, a tag directory that
// names one tag, the tag header with the key and FOR expressions, interior nodes
// with full keys and compact leaf nodes with bit-packed record numbers and
// duplicate/trailing byte counts. docs/index-format.md describes every field.
//
// Everything here works on page buffers in memory; nothing touches a file. The
// decoders check every count and length against the page, and throw
// IndexFormatError when the bytes cannot be a valid page.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace dn::dbf::cdx {

constexpr size_t kPageSize = 512;
constexpr uint32_t kNoPage = 0xFFFFFFFFu;
constexpr uint16_t kMaxKeyLength = 240;
constexpr uint16_t kTagNameLength = 10;

// Fixed places of the one-tag file.
constexpr uint32_t kDirectoryHeaderOffset = 0;
constexpr uint32_t kDirectoryRootOffset = 1024;
constexpr uint32_t kTagHeaderOffset = 1536;
constexpr uint32_t kFirstNodeOffset = 2560;
constexpr size_t kHeaderSize = 1024; // header page + expression pool

// Node attributes.
constexpr uint16_t kAttrRoot = 1;
constexpr uint16_t kAttrLeaf = 2;

// Header option bits.
constexpr uint8_t kOptUnique = 0x01;
constexpr uint8_t kOptFor = 0x08;
constexpr uint8_t kOptCompact = 0x20;
constexpr uint8_t kOptCompound = 0x40;

// Room for entries in a node after its header.
constexpr size_t kLeafHeaderSize = 24;
constexpr size_t kLeafSpace = kPageSize - kLeafHeaderSize; // 488
constexpr size_t kInteriorHeaderSize = 12;
constexpr size_t kInteriorSpace = kPageSize - kInteriorHeaderSize; // 500

enum class KeyType { Character, Numeric };

class IndexFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The byte that fills the unused tail of a key: a blank for text, zero for numbers.
inline char padByte(KeyType t) {
    return t == KeyType::Character ? ' ' : '\0';
}

// Numeric keys: the IEEE double in big-endian byte order, with the sign bit set for
// values >= 0 and every bit inverted for negative values, so that byte order is
// numeric order. Always 8 bytes.
std::string encodeNumericKey(double value);
double decodeNumericKey(std::string_view key);

struct Header {
    uint32_t root = kNoPage;
    uint32_t freeList = kNoPage;
    uint32_t counter = 0; // changes made; odd while a change is being written
    uint16_t keyLength = 0;
    uint8_t options = 0;
    bool descending = false;
    std::string keyExpression;
    std::string forExpression;
    // Key type as recorded by this program (see docs); Unknown in foreign files.
    enum class Marker { Unknown, Character, Numeric } typeMarker = Marker::Unknown;
};

// Writes a 1024-byte header (page plus expression pool). Throws std::invalid_argument
// when the expressions do not fit in the pool.
void encodeHeader(const Header& h, uint8_t* out);
// Reads a header from `n` bytes (512: without the expression pool, 1024: with it).
Header decodeHeader(const uint8_t* p, size_t n);
// Offset of the counter inside a header page.
constexpr size_t kCounterOffset = 8;

// One entry of a node as stored: the full key (padded), the record number and, in
// interior nodes, the page that holds the keys up to and including this one.
struct EntryRef {
    const char* key;
    uint32_t recno;
    uint32_t child; // interior nodes only
};

// A node decoded from its page: keys are stored one after another, keyLength each.
struct Node {
    uint32_t offset = kNoPage; // byte offset of the page in the file
    uint16_t attributes = 0;
    uint32_t left = kNoPage;
    uint32_t right = kNoPage;
    std::string keys;
    std::vector<uint32_t> recnos;
    std::vector<uint32_t> children; // interior nodes only

    bool isLeaf() const { return (attributes & kAttrLeaf) != 0; }
    bool isRoot() const { return (attributes & kAttrRoot) != 0; }
    size_t size() const { return recnos.size(); }
    const char* key(size_t i, size_t keyLength) const { return keys.data() + i * keyLength; }
};

// Leaf entry packing chosen for a page: bits for the record number, the duplicate
// count and the trailing count, and the bytes each packed entry takes.
struct LeafLayout {
    uint8_t recnoBits;
    uint8_t countBits; // duplicate and trailing counts each
    uint8_t entryBytes;
};
LeafLayout leafLayout(uint32_t maxRecno, uint16_t keyLength);

// Number of trailing pad bytes of a key.
size_t trailingCount(const char* key, size_t keyLength, char pad);
// Bytes of `key` that repeat `prev` and may be left out: never more than the part of
// `prev` before its own trailing pad, nor than what the key's own trailing pad leaves.
size_t duplicateCount(const char* prev, size_t prevTrail, const char* key, size_t keyTrail,
                      size_t keyLength);

// Bytes the packed keys of `entries` need in a leaf (entry bits plus key bytes);
// they fit when the result is at most kLeafSpace.
size_t leafBytes(const EntryRef* entries, size_t n, uint16_t keyLength, char pad);

// Encodes a leaf page; returns false (and leaves `out` unspecified) when the entries
// do not fit. REQUIRES: entries in ascending order.
bool encodeLeaf(const EntryRef* entries, size_t n, uint16_t attributes, uint32_t left,
                uint32_t right, uint16_t keyLength, char pad, uint8_t* out);
// Most entries an interior node holds for the given key length.
size_t interiorCapacity(uint16_t keyLength);
// Encodes an interior page. REQUIRES: 1 <= n <= interiorCapacity(keyLength).
void encodeInterior(const EntryRef* entries, size_t n, uint16_t attributes, uint32_t left,
                    uint32_t right, uint16_t keyLength, uint8_t* out);
// Encodes a page that lies on the free list, pointing at the next free page.
void encodeFreePage(uint32_t nextFree, uint8_t* out);
// True when the page is a free-list page (see encodeFreePage); then *next is its link.
bool isFreePage(const uint8_t* page, uint32_t* next);

// Decodes any node page. Throws IndexFormatError when counts, lengths, bit widths or
// the order of keys are not those of a valid page.
Node decodeNode(const uint8_t* page, uint32_t offset, uint16_t keyLength, char pad);
// Reads only the attributes and key count (for walks that need no keys); checks that
// the count fits the page.
struct NodeSummary {
    uint16_t attributes;
    uint16_t count;
    uint32_t left;
    uint32_t right;
};
NodeSummary summarizeNode(const uint8_t* page, uint16_t keyLength);

// Little-endian and big-endian helpers shared by the index code.
inline uint16_t getLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t getLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint32_t getBe32(const uint8_t* p) {
    return uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24;
}
inline void putLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void putLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void putBe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[3 - i] = static_cast<uint8_t>(v >> (8 * i));
}

// Compares two entries: key bytes first, then record number.
inline int compareEntry(const char* a, uint32_t ra, const char* b, uint32_t rb, size_t keyLength) {
    const int c = std::memcmp(a, b, keyLength);
    if (c != 0)
        return c;
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

} // namespace dn::dbf::cdx
