#include "common/dbf/index_format.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace dn::dbf::cdx {

namespace {

// Where this program records the key type in the reserved part of a tag header.
constexpr size_t kMarkerOffset = 256;
constexpr char kMarker[4] = {'D', 'N', 'K', 'T'};

constexpr size_t kDescendingOffset = 502;
constexpr size_t kPoolUsedOffset = 504;
constexpr size_t kForLengthOffset = 506;
constexpr size_t kKeyLengthOffset = 510;
constexpr size_t kPoolOffset = 512;
constexpr size_t kPoolSize = 512;

uint8_t bitsFor(uint32_t v) {
    return static_cast<uint8_t>(std::max(1u, static_cast<unsigned>(std::bit_width(v))));
}

[[noreturn]] void bad(const std::string& why) {
    throw IndexFormatError(why);
}

uint64_t getLeN(const uint8_t* p, size_t n) {
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i)
        v |= uint64_t(p[i]) << (8 * i);
    return v;
}

void putLeN(uint8_t* p, uint64_t v, size_t n) {
    for (size_t i = 0; i < n; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t lowMask(unsigned bits) {
    return bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u);
}

} // namespace

std::string encodeNumericKey(double value) {
    if (value == 0.0)
        value = 0.0; // -0 and +0 give the same key
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if (bits >> 63)
        bits = ~bits;
    else
        bits |= uint64_t(1) << 63;
    std::string out(8, '\0');
    for (int i = 0; i < 8; ++i)
        out[7 - i] = static_cast<char>(bits >> (8 * i));
    return out;
}

double decodeNumericKey(std::string_view key) {
    if (key.size() < 8)
        return 0.0;
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = bits << 8 | static_cast<uint8_t>(key[i]);
    if (bits >> 63)
        bits &= ~(uint64_t(1) << 63);
    else
        bits = ~bits;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void encodeHeader(const Header& h, uint8_t* out) {
    const size_t keyLen = h.keyExpression.size();
    const size_t forLen = h.forExpression.size();
    if (keyLen + forLen + 2 > kPoolSize)
        throw std::invalid_argument("index expressions longer than the header pool");
    if (h.keyExpression.find('\0') != std::string::npos ||
        h.forExpression.find('\0') != std::string::npos)
        throw std::invalid_argument("index expression holds a zero byte");
    std::memset(out, 0, kHeaderSize);
    putLe32(out + 0, h.root);
    putLe32(out + 4, h.freeList);
    putLe32(out + kCounterOffset, h.counter);
    putLe16(out + 12, h.keyLength);
    out[14] = h.options;
    out[15] = 1; // signature
    if (h.typeMarker != Header::Marker::Unknown) {
        std::memcpy(out + kMarkerOffset, kMarker, 4);
        out[kMarkerOffset + 4] = h.typeMarker == Header::Marker::Numeric ? 'N' : 'C';
    }
    putLe16(out + kDescendingOffset, h.descending ? 1 : 0);
    const uint16_t keyPool = static_cast<uint16_t>(keyLen + 1);
    const uint16_t forPool = static_cast<uint16_t>(forLen + 1);
    putLe16(out + kPoolUsedOffset, static_cast<uint16_t>(keyPool + forPool));
    putLe16(out + kForLengthOffset, forPool);
    putLe16(out + kKeyLengthOffset, keyPool);
    std::memcpy(out + kPoolOffset, h.keyExpression.data(), keyLen);
    std::memcpy(out + kPoolOffset + keyLen + 1, h.forExpression.data(), forLen);
}

Header decodeHeader(const uint8_t* p, size_t n) {
    if (n < kPageSize)
        bad("intestazione troppo corta");
    Header h;
    h.root = getLe32(p);
    h.freeList = getLe32(p + 4);
    h.counter = getLe32(p + kCounterOffset);
    h.keyLength = getLe16(p + 12);
    h.options = p[14];
    h.descending = getLe16(p + kDescendingOffset) != 0;
    if (h.keyLength == 0 || h.keyLength > kMaxKeyLength)
        bad("lunghezza della chiave " + std::to_string(h.keyLength) + " non valida");
    if (h.root == kNoPage || h.root % kPageSize != 0)
        bad("puntatore alla radice non valido");
    if (h.freeList != kNoPage && h.freeList % kPageSize != 0)
        bad("puntatore alle pagine libere non valido");
    if (std::memcmp(p + kMarkerOffset, kMarker, 4) == 0) {
        const char t = static_cast<char>(p[kMarkerOffset + 4]);
        if (t == 'C')
            h.typeMarker = Header::Marker::Character;
        else if (t == 'N')
            h.typeMarker = Header::Marker::Numeric;
    }
    if (n >= kHeaderSize) {
        const char* pool = reinterpret_cast<const char*>(p + kPoolOffset);
        const char* end = pool + kPoolSize;
        const char* z = std::find(pool, end, '\0');
        if (z == end)
            bad("espressione chiave non terminata");
        h.keyExpression.assign(pool, z);
        const char* f = z + 1;
        const char* fz = std::find(f, end, '\0');
        if (fz == end && f != end)
            bad("espressione FOR non terminata");
        h.forExpression.assign(f, fz);
    }
    return h;
}

LeafLayout leafLayout(uint32_t maxRecno, uint16_t keyLength) {
    const uint8_t countBits = bitsFor(keyLength);
    const unsigned need = bitsFor(maxRecno) + 2u * countBits;
    const uint8_t bytes = static_cast<uint8_t>((need + 7) / 8);
    const unsigned recnoBits = std::min(32u, bytes * 8u - 2u * countBits);
    return {static_cast<uint8_t>(recnoBits), countBits, bytes};
}

size_t trailingCount(const char* key, size_t keyLength, char pad) {
    size_t t = 0;
    while (t < keyLength && key[keyLength - 1 - t] == pad)
        ++t;
    return t;
}

size_t duplicateCount(const char* prev, size_t prevTrail, const char* key, size_t keyTrail,
                      size_t keyLength) {
    const size_t limit = std::min(keyLength - prevTrail, keyLength - keyTrail);
    size_t d = 0;
    while (d < limit && prev[d] == key[d])
        ++d;
    return d;
}

size_t leafBytes(const EntryRef* entries, size_t n, uint16_t keyLength, char pad) {
    uint32_t maxRecno = 0;
    size_t keyBytes = 0;
    size_t prevTrail = 0;
    for (size_t i = 0; i < n; ++i) {
        maxRecno = std::max(maxRecno, entries[i].recno);
        const size_t trail = trailingCount(entries[i].key, keyLength, pad);
        const size_t dup = i == 0 ? 0
                                  : duplicateCount(entries[i - 1].key, prevTrail, entries[i].key,
                                                   trail, keyLength);
        keyBytes += keyLength - dup - trail;
        prevTrail = trail;
    }
    return n * leafLayout(maxRecno, keyLength).entryBytes + keyBytes;
}

bool encodeLeaf(const EntryRef* entries, size_t n, uint16_t attributes, uint32_t left,
                uint32_t right, uint16_t keyLength, char pad, uint8_t* out) {
    uint32_t maxRecno = 0;
    for (size_t i = 0; i < n; ++i)
        maxRecno = std::max(maxRecno, entries[i].recno);
    const LeafLayout lay = leafLayout(maxRecno, keyLength);
    std::memset(out, 0, kPageSize);
    size_t keyEnd = kPageSize;
    const size_t entriesEnd = kLeafHeaderSize + n * lay.entryBytes;
    if (entriesEnd > kPageSize)
        return false;
    size_t prevTrail = 0;
    for (size_t i = 0; i < n; ++i) {
        const char* key = entries[i].key;
        const size_t trail = trailingCount(key, keyLength, pad);
        const size_t dup =
            i == 0 ? 0 : duplicateCount(entries[i - 1].key, prevTrail, key, trail, keyLength);
        const size_t len = keyLength - dup - trail;
        if (keyEnd < entriesEnd + len)
            return false;
        keyEnd -= len;
        std::memcpy(out + keyEnd, key + dup, len);
        const uint64_t packed = uint64_t(entries[i].recno) | uint64_t(dup) << lay.recnoBits |
                                uint64_t(trail) << (lay.recnoBits + lay.countBits);
        putLeN(out + kLeafHeaderSize + i * lay.entryBytes, packed, lay.entryBytes);
        prevTrail = trail;
    }
    putLe16(out + 0, static_cast<uint16_t>(attributes | kAttrLeaf));
    putLe16(out + 2, static_cast<uint16_t>(n));
    putLe32(out + 4, left);
    putLe32(out + 8, right);
    putLe16(out + 12, static_cast<uint16_t>(keyEnd - entriesEnd));
    putLe32(out + 14, lowMask(lay.recnoBits));
    out[18] = static_cast<uint8_t>(lowMask(lay.countBits));
    out[19] = static_cast<uint8_t>(lowMask(lay.countBits));
    out[20] = lay.recnoBits;
    out[21] = lay.countBits;
    out[22] = lay.countBits;
    out[23] = lay.entryBytes;
    return true;
}

size_t interiorCapacity(uint16_t keyLength) {
    return kInteriorSpace / (keyLength + 8u);
}

void encodeInterior(const EntryRef* entries, size_t n, uint16_t attributes, uint32_t left,
                    uint32_t right, uint16_t keyLength, uint8_t* out) {
    std::memset(out, 0, kPageSize);
    putLe16(out + 0, static_cast<uint16_t>(attributes & ~kAttrLeaf));
    putLe16(out + 2, static_cast<uint16_t>(n));
    putLe32(out + 4, left);
    putLe32(out + 8, right);
    uint8_t* p = out + kInteriorHeaderSize;
    for (size_t i = 0; i < n; ++i) {
        std::memcpy(p, entries[i].key, keyLength);
        putBe32(p + keyLength, entries[i].recno);
        putBe32(p + keyLength + 4, entries[i].child);
        p += keyLength + 8;
    }
}

void encodeFreePage(uint32_t nextFree, uint8_t* out) {
    std::memset(out, 0, kPageSize);
    putLe32(out + 4, nextFree);
    putLe32(out + 8, kNoPage);
}

bool isFreePage(const uint8_t* page, uint32_t* next) {
    if (getLe16(page) != 0 || getLe16(page + 2) != 0 || getLe32(page + 8) != kNoPage)
        return false;
    *next = getLe32(page + 4);
    return true;
}

NodeSummary summarizeNode(const uint8_t* page, uint16_t keyLength) {
    NodeSummary s{getLe16(page), getLe16(page + 2), getLe32(page + 4), getLe32(page + 8)};
    if (s.attributes > (kAttrRoot | kAttrLeaf))
        bad("attributi di pagina sconosciuti " + std::to_string(s.attributes));
    if (s.attributes & kAttrLeaf) {
        const uint8_t bytes = page[23];
        if (bytes == 0 || bytes > 8 || size_t(s.count) * bytes > kLeafSpace)
            bad(std::to_string(s.count) + " chiavi non stanno in una foglia");
    } else if (s.count == 0 || s.count > interiorCapacity(keyLength)) {
        bad("numero di chiavi " + std::to_string(s.count) + " non valido in un nodo interno");
    }
    return s;
}

Node decodeNode(const uint8_t* page, uint32_t offset, uint16_t keyLength, char pad) {
    const NodeSummary s = summarizeNode(page, keyLength);
    Node node;
    node.offset = offset;
    node.attributes = s.attributes;
    node.left = s.left;
    node.right = s.right;
    const size_t n = s.count;
    node.keys.resize(n * keyLength);
    node.recnos.resize(n);
    if (node.isLeaf()) {
        const uint32_t recnoMask = getLe32(page + 14);
        const uint8_t dupMask = page[18], trailMask = page[19];
        const unsigned recnoBits = page[20], dupBits = page[21], trailBits = page[22];
        const unsigned bytes = page[23];
        if (recnoBits == 0 || recnoBits > 32 || dupBits > 8 || trailBits > 8 ||
            recnoBits + dupBits + trailBits > bytes * 8 || recnoMask != lowMask(recnoBits) ||
            dupMask != lowMask(dupBits) || trailMask != lowMask(trailBits))
            bad("disposizione dei bit della foglia incoerente");
        const size_t entriesEnd = kLeafHeaderSize + n * bytes;
        size_t keyEnd = kPageSize;
        char* prev = nullptr;
        for (size_t i = 0; i < n; ++i) {
            const uint64_t packed = getLeN(page + kLeafHeaderSize + i * bytes, bytes);
            const uint32_t recno = static_cast<uint32_t>(packed & recnoMask);
            const size_t dup = (packed >> recnoBits) & dupMask;
            const size_t trail = (packed >> (recnoBits + dupBits)) & trailMask;
            if (dup + trail > keyLength || (i == 0 && dup != 0))
                bad("conteggi di byte errati nella voce " + std::to_string(i) + " della foglia");
            const size_t len = keyLength - dup - trail;
            if (keyEnd < entriesEnd + len)
                bad("chiavi della foglia sovrapposte alle voci");
            keyEnd -= len;
            char* key = node.keys.data() + i * keyLength;
            if (dup)
                std::memcpy(key, prev, dup);
            std::memcpy(key + dup, page + keyEnd, len);
            std::memset(key + dup + len, pad, trail);
            node.recnos[i] = recno;
            if (prev && compareEntry(prev, node.recnos[i - 1], key, recno, keyLength) >= 0)
                bad("chiavi della foglia fuori ordine");
            prev = key;
        }
    } else {
        node.children.resize(n);
        const uint8_t* p = page + kInteriorHeaderSize;
        for (size_t i = 0; i < n; ++i) {
            char* key = node.keys.data() + i * keyLength;
            std::memcpy(key, p, keyLength);
            node.recnos[i] = getBe32(p + keyLength);
            node.children[i] = getBe32(p + keyLength + 4);
            if (i > 0 && compareEntry(key - keyLength, node.recnos[i - 1], key, node.recnos[i],
                                      keyLength) >= 0)
                bad("chiavi del nodo interno fuori ordine");
            p += keyLength + 8;
        }
    }
    return node;
}

} // namespace dn::dbf::cdx
