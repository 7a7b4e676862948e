#include "common/dbf/index_file.h"

#include "common/dbf/index_build.h"
#include "common/dbf/index_session.h"
#include "common/util/cp1252.h"

#include <algorithm>
#include <cstring>

namespace dn::dbf {

namespace {

size_t lastSeparator(std::string_view name) {
    const size_t s = name.find_last_of("/\\");
    return s == std::string_view::npos ? 0 : s + 1;
}

// Predicates over entries for IndexSession::findFirst.
IndexSession::Pred atOrAfter(const std::string& key, uint32_t recno, size_t kl) {
    return [&key, recno, kl](const char* k, uint32_t r) {
        return cdx::compareEntry(k, r, key.data(), recno, kl) >= 0;
    };
}

// Keys whose first bytes are at least `bound` (over the bound's length).
IndexSession::Pred prefixAtLeast(const std::string& bound, size_t kl) {
    const size_t n = std::min(bound.size(), kl);
    return [&bound, n](const char* k, uint32_t) { return std::memcmp(k, bound.data(), n) >= 0; };
}

// Keys whose first bytes are above `bound`.
IndexSession::Pred prefixAbove(const std::string& bound, size_t kl) {
    const size_t n = std::min(bound.size(), kl);
    return [&bound, n](const char* k, uint32_t) { return std::memcmp(k, bound.data(), n) > 0; };
}

bool belowTop(const char* key, const IndexScope& s, size_t kl) {
    return s.top && std::memcmp(key, s.top->data(), std::min(s.top->size(), kl)) < 0;
}

bool aboveBottom(const char* key, const IndexScope& s, size_t kl) {
    return s.bottom && std::memcmp(key, s.bottom->data(), std::min(s.bottom->size(), kl)) > 0;
}

// First entry of the scope, or nothing.
std::optional<IndexSession::Pos> scopeFirst(IndexSession& s, const IndexScope& scope) {
    const size_t kl = s.keyLength();
    auto p = scope.top ? s.findFirst(prefixAtLeast(*scope.top, kl)) : s.firstEntry();
    if (p && aboveBottom(p->key(kl), scope, kl))
        return std::nullopt;
    return p;
}

// Last entry of the scope, or nothing.
std::optional<IndexSession::Pos> scopeLast(IndexSession& s, const IndexScope& scope) {
    const size_t kl = s.keyLength();
    std::optional<IndexSession::Pos> p;
    if (scope.bottom) {
        p = s.findFirst(prefixAbove(*scope.bottom, kl));
        if (!p)
            p = s.lastEntry();
        else if (!s.prev(*p))
            return std::nullopt;
    } else {
        p = s.lastEntry();
    }
    if (p && (belowTop(p->key(kl), scope, kl) || aboveBottom(p->key(kl), scope, kl)))
        return std::nullopt;
    return p;
}

} // namespace

std::string indexFileName(std::string_view name) {
    const size_t base = lastSeparator(name);
    std::string out(name.substr(0, base));
    std::string last = upper1252(name.substr(base));
    if (last.find('.') == std::string::npos)
        last += ".NTX";
    return out + last;
}

std::string indexTagName(std::string_view fileName) {
    std::string_view last = fileName.substr(lastSeparator(fileName));
    const size_t dot = last.find_last_of('.');
    if (dot != std::string_view::npos)
        last = last.substr(0, dot);
    return upper1252(last.substr(0, cdx::kTagNameLength));
}

IndexFile IndexFile::open(const std::string& name, bool writable) {
    const std::string path = indexFileName(name);
    IndexFile f;
    f.file_ = platform::File::open(path, writable);
    f.path_ = path;
    const uint64_t size = f.file_.size();
    auto corrupt = [&](const std::string& why) -> CorruptFile { return CorruptFile(path, why); };
    uint8_t buf[cdx::kHeaderSize];
    if (size < cdx::kDirectoryRootOffset + cdx::kPageSize ||
        f.file_.readAt(0, buf, cdx::kPageSize) != cdx::kPageSize)
        throw corrupt("file pi\xF9 corto delle sue intestazioni");
    try {
        const cdx::Header dir = cdx::decodeHeader(buf, cdx::kPageSize);
        if (!(dir.options & cdx::kOptCompound) || dir.keyLength != cdx::kTagNameLength)
            throw corrupt("non \xE8 un file indice composto");
        if (uint64_t(dir.root) + cdx::kPageSize > size ||
            f.file_.readAt(dir.root, buf, cdx::kPageSize) != cdx::kPageSize)
            throw corrupt("elenco dei tag fuori dal file");
        const cdx::Node tags = cdx::decodeNode(buf, dir.root, cdx::kTagNameLength, ' ');
        if (!tags.isLeaf() || tags.size() == 0)
            throw corrupt("nessun tag nell'elenco dei tag");
        // The tag named after the file, or else the first.
        const std::string wanted = indexTagName(path);
        size_t pick = 0;
        for (size_t i = 0; i < tags.size(); ++i) {
            std::string name(tags.key(i, cdx::kTagNameLength), cdx::kTagNameLength);
            name.erase(name.find_last_not_of(" \0", std::string::npos, 2) + 1);
            if (name == wanted) {
                pick = i;
                break;
            }
        }
        std::string name(tags.key(pick, cdx::kTagNameLength), cdx::kTagNameLength);
        name.erase(name.find_last_not_of(" \0", std::string::npos, 2) + 1);
        f.tag_ = name;
        f.tagOffset_ = tags.recnos[pick];
        if (f.tagOffset_ % cdx::kPageSize != 0 || f.tagOffset_ < cdx::kDirectoryRootOffset ||
            f.tagOffset_ == dir.root || uint64_t(f.tagOffset_) + cdx::kHeaderSize > size ||
            f.file_.readAt(f.tagOffset_, buf, cdx::kHeaderSize) != cdx::kHeaderSize)
            throw corrupt("intestazione del tag fuori dal file");
        const cdx::Header h = cdx::decodeHeader(buf, cdx::kHeaderSize);
        if (h.descending)
            throw corrupt("ordine discendente non gestito");
        f.def_.keyExpression = h.keyExpression;
        f.def_.forExpression = h.forExpression;
        f.def_.keyLength = h.keyLength;
        f.def_.unique = (h.options & cdx::kOptUnique) != 0;
        using M = cdx::Header::Marker;
        if (h.typeMarker == M::Numeric) {
            f.def_.keyType = KeyType::Numeric;
        } else if (h.typeMarker == M::Character) {
            f.def_.keyType = KeyType::Character;
        } else {
            // Foreign file: only the record-number key of views is numeric here.
            std::string e;
            for (char c : h.keyExpression)
                if (c != ' ')
                    e += upper1252(c);
            f.def_.keyType = e == "RECNO()" ? KeyType::Numeric : KeyType::Character;
        }
        if (f.def_.keyType == KeyType::Numeric && h.keyLength != 8)
            throw corrupt("chiave numerica non lunga 8 byte");
    } catch (const cdx::IndexFormatError& e) {
        throw corrupt(std::string("intestazione: ") + e.what());
    }
    // The root, under the readers' lock: a header that points at another page would
    // make every walk miss keys, and every change go astray. A change left
    // half-written is mended (or reported) by whoever uses the file next.
    IndexSession check(f, false, true);
    if (!check.halfWritten())
        (void)check.readRoot();
    return f;
}

IndexFile IndexFile::create(const std::string& name, const std::string& tagName,
                            const IndexDefinition& def, const RecordScan& scan,
                            const KeyEvaluator& eval) {
    const std::string path = indexFileName(name);
    IndexBuilder builder(def);
    builder.addRecords(scan, eval);
    builder.write(path, tagName.empty() ? indexTagName(path) : tagName);
    return open(path, true);
}

std::string IndexFile::padKey(std::string_view value) const {
    std::string k(value.substr(0, def_.keyLength));
    k.resize(def_.keyLength, cdx::padByte(def_.keyType));
    return k;
}

std::optional<std::string> IndexFile::keyOf(const KeyEvaluator& eval, const char* record,
                                            uint32_t recno) const {
    if (eval.condition && !eval.condition(record, recno))
        return std::nullopt;
    std::string k(def_.keyLength, cdx::padByte(def_.keyType));
    eval.key(record, recno, k.data());
    return k;
}

bool IndexFile::contains(std::string_view key, uint32_t recno) const {
    if (key.size() != def_.keyLength)
        return false;
    IndexSession s(*this, false);
    const std::string k(key);
    auto p = s.findFirst(atOrAfter(k, recno, def_.keyLength));
    return p && p->recno() == recno && std::memcmp(p->key(def_.keyLength), k.data(), k.size()) == 0;
}

std::optional<IndexEntry> IndexFile::first(const IndexScope& scope) const {
    IndexSession s(*this, false);
    auto p = scopeFirst(s, scope);
    if (!p)
        return std::nullopt;
    return s.entryAt(*p);
}

std::optional<IndexEntry> IndexFile::last(const IndexScope& scope) const {
    IndexSession s(*this, false);
    auto p = scopeLast(s, scope);
    if (!p)
        return std::nullopt;
    return s.entryAt(*p);
}

SkipResult IndexFile::skip(const IndexEntry& from, long n, const IndexScope& scope) const {
    IndexSession s(*this, false);
    const size_t kl = def_.keyLength;
    SkipResult res;
    std::string fromKey = from.key;
    fromKey.resize(kl, cdx::padByte(def_.keyType));
    auto p = s.findFirst(atOrAfter(fromKey, from.recno, kl));
    const bool exact =
        p && p->recno() == from.recno && std::memcmp(p->key(kl), fromKey.data(), kl) == 0;
    if (n == 0) {
        if (p && !belowTop(p->key(kl), scope, kl) && !aboveBottom(p->key(kl), scope, kl))
            res.entry = s.entryAt(*p);
        return res;
    }
    if (n > 0) {
        if (!p)
            return res;
        long steps = 0;
        if (!exact) {
            steps = 1; // `from` is gone: its successor is the first step
        }
        while (steps < n) {
            if (!s.next(*p))
                return res;
            ++steps;
            if (aboveBottom(p->key(kl), scope, kl))
                return res;
        }
        if (aboveBottom(p->key(kl), scope, kl))
            return res;
        res.moved = steps;
        res.entry = s.entryAt(*p);
        return res;
    }
    // Backward.
    long steps = 0;
    if (!p) {
        p = s.lastEntry(); // `from` lies past the last key
        if (!p)
            return res;
        steps = 1;
    }
    auto toFirst = [&](long moved) {
        res.bof = true;
        res.moved = moved;
        if (auto f = scopeFirst(s, scope))
            res.entry = s.entryAt(*f);
        return res;
    };
    if (steps == 1 && belowTop(p->key(kl), scope, kl))
        return toFirst(0);
    while (steps < -n) {
        if (!s.prev(*p))
            return toFirst(steps);
        ++steps;
        if (belowTop(p->key(kl), scope, kl))
            return toFirst(steps - 1);
    }
    if (aboveBottom(p->key(kl), scope, kl)) {
        // `from` lay beyond the bottom of the scope: go back from the scope's last key.
        auto l = scopeLast(s, scope);
        if (!l)
            return res;
        p = l;
    }
    res.moved = steps;
    res.entry = s.entryAt(*p);
    return res;
}

SeekResult IndexFile::seek(std::string_view value, SeekMode mode, bool soft,
                           const IndexScope& scope) const {
    const size_t kl = def_.keyLength;
    std::string target;
    size_t compareLength;
    if (mode == SeekMode::Exact) {
        target = padKey(value);
        compareLength = kl;
    } else {
        target = std::string(value.substr(0, kl));
        compareLength = target.size();
    }
    // Lower bound of the search: the value padded with the lowest byte, raised to the
    // scope's top when that is higher.
    std::string low = target;
    low.resize(kl, '\0');
    if (scope.top) {
        std::string top = *scope.top;
        top.resize(kl, '\0');
        if (std::memcmp(top.data(), low.data(), kl) > 0)
            low = top;
    }
    IndexSession s(*this, false);
    SeekResult res;
    auto p = s.findFirst(atOrAfter(low, 0, kl));
    if (!p || aboveBottom(p->key(kl), scope, kl))
        return res;
    res.found = std::memcmp(p->key(kl), target.data(), compareLength) == 0;
    if (res.found || soft)
        res.entry = s.entryAt(*p);
    return res;
}

namespace {

// Entries from a to b, both included, along the leaf chain. REQUIRES: a is not
// after b.
uint64_t entriesBetween(IndexSession& s, const IndexSession::Pos& a, const IndexSession::Pos& b) {
    if (a.leaf.offset == b.leaf.offset)
        return b.index >= a.index ? b.index - a.index + 1 : 0;
    uint64_t n = a.leaf.size() - a.index;
    uint32_t from = a.leaf.offset;
    uint32_t r = a.leaf.right;
    while (r != b.leaf.offset) {
        if (r == cdx::kNoPage)
            s.corrupt("la catena delle foglie non raggiunge l'ultima chiave");
        const cdx::NodeSummary sum = s.readSummary(r);
        if (!(sum.attributes & cdx::kAttrLeaf))
            s.corrupt("la vicina destra di una foglia non \xE8 una foglia");
        if (sum.left != from)
            s.corrupt("collegamenti tra foglie vicine incoerenti");
        n += sum.count;
        from = r;
        r = sum.right;
    }
    return n + b.index + 1;
}

} // namespace

uint64_t IndexFile::count(const IndexScope& scope) const {
    IndexSession s(*this, false);
    auto a = scopeFirst(s, scope);
    if (!a)
        return 0;
    auto b = scopeLast(s, scope);
    if (!b)
        return 0;
    return entriesBetween(s, *a, *b);
}

uint64_t IndexFile::rank(const IndexEntry& e, const IndexScope& scope) const {
    IndexSession s(*this, false);
    const size_t kl = def_.keyLength;
    std::string key = e.key;
    key.resize(kl, cdx::padByte(def_.keyType));
    auto b = s.findFirst(atOrAfter(key, e.recno, kl));
    if (!b || b->recno() != e.recno || std::memcmp(b->key(kl), key.data(), kl) != 0 ||
        belowTop(b->key(kl), scope, kl) || aboveBottom(b->key(kl), scope, kl))
        return 0;
    auto a = scopeFirst(s, scope);
    if (!a)
        return 0;
    return entriesBetween(s, *a, *b);
}

std::vector<IndexEntry> IndexFile::entries(const IndexScope& scope) const {
    IndexSession s(*this, false);
    std::vector<IndexEntry> out;
    const size_t kl = def_.keyLength;
    auto p = scopeFirst(s, scope);
    if (!p)
        return out;
    do {
        if (aboveBottom(p->key(kl), scope, kl))
            break;
        out.push_back(s.entryAt(*p));
    } while (s.next(*p));
    return out;
}

} // namespace dn::dbf
