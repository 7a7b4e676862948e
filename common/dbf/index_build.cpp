#include "common/dbf/index_build.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

namespace dn::dbf {

namespace {

struct SortItem {
    uint64_t hi;
    uint64_t lo;
    uint32_t recno;
    uint32_t index;
};

// Node of the level being built: its last entry and its page.
struct LevelEntry {
    const char* key;
    uint32_t recno;
    uint32_t page;
};

std::string temporaryName(const std::string& path) {
    const size_t s = path.find_last_of("/\\");
    const std::string dir = s == std::string::npos ? std::string() : path.substr(0, s + 1);
    std::random_device rd;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(rd()));
    return dir + '\x7F' + hex + ".TMP";
}

} // namespace

IndexBuilder::IndexBuilder(const IndexDefinition& def) : def_(def) {
    if (def_.keyType == KeyType::Numeric) {
        if (def_.keyLength != 0 && def_.keyLength != 8)
            throw std::invalid_argument("numeric index keys are 8 bytes long");
        def_.keyLength = 8;
    }
    if (def_.keyLength == 0 || def_.keyLength > cdx::kMaxKeyLength)
        throw std::invalid_argument("index key length out of range");
    if (def_.keyExpression.size() + def_.forExpression.size() + 2 > 512)
        throw std::invalid_argument("index expressions too long");
}

void IndexBuilder::add(const char* key, uint32_t recno) {
    keys_.insert(keys_.end(), key, key + def_.keyLength);
    recnos_.push_back(recno);
}

void IndexBuilder::addRecords(const RecordScan& scan, const KeyEvaluator& eval) {
    const char pad = cdx::padByte(def_.keyType);
    std::string key(def_.keyLength, pad);
    scan([&](uint32_t recno, const char* record) {
        if (eval.condition && !eval.condition(record, recno))
            return;
        std::memset(key.data(), pad, key.size());
        eval.key(record, recno, key.data());
        add(key.data(), recno);
    });
}

void IndexBuilder::sortKeys(std::string& keys, std::vector<uint32_t>& recnos) const {
    const size_t n = recnos_.size();
    const size_t kl = def_.keyLength;
    keys.clear();
    recnos.clear();
    if (n == 0)
        return;
    // Columns that hold the same byte in every key do not decide the order; the
    // first 16 columns that differ go into two integers compared before anything else.
    std::vector<uint8_t> differ(kl, 0);
    const char* k0 = keys_.data();
    for (size_t i = 1; i < n; ++i) {
        const char* k = k0 + i * kl;
        for (size_t j = 0; j < kl; ++j)
            differ[j] |= static_cast<uint8_t>(k[j] ^ k0[j]);
    }
    std::vector<size_t> cols;
    for (size_t j = 0; j < kl; ++j)
        if (differ[j])
            cols.push_back(j);
    const bool tail = cols.size() > 16;
    if (tail)
        cols.resize(16);
    std::vector<SortItem> items(n);
    for (size_t i = 0; i < n; ++i) {
        const auto* k = reinterpret_cast<const uint8_t*>(k0 + i * kl);
        uint64_t words[2] = {0, 0};
        for (size_t c = 0; c < cols.size(); ++c)
            words[c / 8] |= uint64_t(k[cols[c]]) << (56 - 8 * (c % 8));
        items[i] = {words[0], words[1], recnos_[i], static_cast<uint32_t>(i)};
    }
    auto keyCompare = [&](const SortItem& a, const SortItem& b) {
        if (a.hi != b.hi)
            return a.hi < b.hi ? -1 : 1;
        if (a.lo != b.lo)
            return a.lo < b.lo ? -1 : 1;
        if (!tail)
            return 0;
        return std::memcmp(k0 + size_t(a.index) * kl, k0 + size_t(b.index) * kl, kl);
    };
    std::sort(items.begin(), items.end(), [&](const SortItem& a, const SortItem& b) {
        const int c = keyCompare(a, b);
        return c != 0 ? c < 0 : a.recno < b.recno;
    });
    keys.reserve(n * kl);
    recnos.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        if (i > 0) {
            const int c = keyCompare(items[i - 1], items[i]);
            if (c == 0 && (def_.unique || items[i - 1].recno == items[i].recno))
                continue; // unique: the first record of a key value; never a repeated entry
        }
        if (tail) {
            keys.append(k0 + size_t(items[i].index) * kl, kl);
        } else {
            // Every differing column is in the two integers: the key is rebuilt from
            // them and the constant columns, without touching the scattered originals.
            const size_t at = keys.size();
            keys.append(k0, kl);
            const uint64_t words[2] = {items[i].hi, items[i].lo};
            for (size_t c = 0; c < cols.size(); ++c)
                keys[at + cols[c]] = static_cast<char>(words[c / 8] >> (56 - 8 * (c % 8)));
        }
        recnos.push_back(items[i].recno);
    }
}

std::vector<uint8_t> IndexBuilder::image(const std::string& tagName) {
    const uint16_t kl = def_.keyLength;
    const char pad = cdx::padByte(def_.keyType);
    std::string sortedKeys;
    std::vector<uint32_t> sortedRecnos;
    sortKeys(sortedKeys, sortedRecnos);
    std::vector<uint8_t> img(cdx::kFirstNodeOffset, 0);
    auto newPage = [&img]() {
        const uint32_t off = static_cast<uint32_t>(img.size());
        img.resize(img.size() + cdx::kPageSize, 0);
        return off;
    };

    // Leaves, packed as full as they go.
    std::vector<LevelEntry> level;
    std::vector<cdx::EntryRef> refs;
    refs.reserve(sortedRecnos.size());
    for (size_t i = 0; i < sortedRecnos.size(); ++i)
        refs.push_back({sortedKeys.data() + i * kl, sortedRecnos[i], 0});
    uint32_t prevLeaf = cdx::kNoPage;
    auto flushLeaf = [&](size_t start, size_t count) {
        const uint32_t off = newPage();
        if (prevLeaf != cdx::kNoPage)
            cdx::putLe32(img.data() + prevLeaf + 8, off); // right link of the previous leaf
        if (!cdx::encodeLeaf(refs.data() + start, count, 0, prevLeaf, cdx::kNoPage, kl, pad,
                             img.data() + off))
            throw std::logic_error("leaf packing overflow");
        prevLeaf = off;
        if (count > 0)
            level.push_back({refs[start + count - 1].key, refs[start + count - 1].recno, off});
    };
    size_t start = 0, count = 0, keyBytes = 0, prevTrail = 0;
    uint32_t maxRecno = 0;
    for (size_t i = 0; i < refs.size(); ++i) {
        const size_t trail = cdx::trailingCount(refs[i].key, kl, pad);
        size_t dup = count == 0
                         ? 0
                         : cdx::duplicateCount(refs[i - 1].key, prevTrail, refs[i].key, trail, kl);
        uint32_t newMax = std::max(maxRecno, refs[i].recno);
        size_t total =
            (count + 1) * cdx::leafLayout(newMax, kl).entryBytes + keyBytes + kl - dup - trail;
        if (count > 0 && total > cdx::kLeafSpace) {
            flushLeaf(start, count);
            start = i;
            count = 0;
            keyBytes = 0;
            dup = 0;
            newMax = refs[i].recno;
        }
        ++count;
        keyBytes += kl - dup - trail;
        maxRecno = newMax;
        prevTrail = trail;
    }
    if (count > 0 || refs.empty())
        flushLeaf(start, count);
    if (level.empty()) // no keys: one empty leaf is the whole tree
        level.push_back({nullptr, 0, prevLeaf});

    // Interior levels, each node filled evenly, until one node remains.
    const size_t capacity = cdx::interiorCapacity(kl);
    while (level.size() > 1) {
        std::vector<LevelEntry> up;
        const size_t nodes = (level.size() + capacity - 1) / capacity;
        const size_t base = level.size() / nodes, extra = level.size() % nodes;
        size_t at = 0;
        uint32_t prevNode = cdx::kNoPage;
        std::vector<cdx::EntryRef> entries;
        for (size_t nd = 0; nd < nodes; ++nd) {
            const size_t take = base + (nd < extra ? 1 : 0);
            entries.clear();
            for (size_t j = 0; j < take; ++j)
                entries.push_back({level[at + j].key, level[at + j].recno, level[at + j].page});
            const uint32_t off = newPage();
            if (prevNode != cdx::kNoPage)
                cdx::putLe32(img.data() + prevNode + 8, off);
            cdx::encodeInterior(entries.data(), take, 0, prevNode, cdx::kNoPage, kl,
                                img.data() + off);
            prevNode = off;
            up.push_back({level[at + take - 1].key, level[at + take - 1].recno, off});
            at += take;
        }
        level = std::move(up);
    }
    const uint32_t root = level.front().page;
    img[root] |= cdx::kAttrRoot;

    // Tag directory: header, and one leaf naming the tag.
    cdx::Header dir;
    dir.root = cdx::kDirectoryRootOffset;
    dir.keyLength = cdx::kTagNameLength;
    dir.options = cdx::kOptCompact | cdx::kOptCompound;
    cdx::encodeHeader(dir, img.data() + cdx::kDirectoryHeaderOffset);
    std::string tag = tagName.substr(0, cdx::kTagNameLength);
    tag.resize(cdx::kTagNameLength, ' ');
    const cdx::EntryRef tagRef{tag.data(), cdx::kTagHeaderOffset, 0};
    cdx::encodeLeaf(&tagRef, 1, cdx::kAttrRoot, cdx::kNoPage, cdx::kNoPage, cdx::kTagNameLength,
                    ' ', img.data() + cdx::kDirectoryRootOffset);

    cdx::Header h;
    h.root = root;
    h.keyLength = kl;
    h.options =
        static_cast<uint8_t>(cdx::kOptCompact | (def_.forExpression.empty() ? 0 : cdx::kOptFor) |
                             (def_.unique ? cdx::kOptUnique : 0));
    h.keyExpression = def_.keyExpression;
    h.forExpression = def_.forExpression;
    h.typeMarker = def_.keyType == KeyType::Numeric ? cdx::Header::Marker::Numeric
                                                    : cdx::Header::Marker::Character;
    cdx::encodeHeader(h, img.data() + cdx::kTagHeaderOffset);
    return img;
}

void IndexBuilder::write(const std::string& path, const std::string& tagName) {
    const std::vector<uint8_t> img = image(tagName);
    const std::string temp = temporaryName(path);
    try {
        platform::File f = platform::File::create(temp, platform::Share::Exclusive);
        constexpr size_t kChunk = 1 << 20;
        for (size_t at = 0; at < img.size(); at += kChunk)
            f.writeAt(at, img.data() + at, std::min(kChunk, img.size() - at));
        f.flush();
        f.close();
        std::error_code ec;
        std::filesystem::rename(temp, path, ec);
        if (ec)
            throw platform::FileError(platform::FileErrorKind::Io, path, ec.value(),
                                      "rename " + path + ": " + ec.message());
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        throw;
    }
}

} // namespace dn::dbf
