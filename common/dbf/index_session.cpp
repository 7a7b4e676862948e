#include "common/dbf/index_session.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace dn::dbf {

namespace {

std::atomic<int> g_lockTimeoutMs{30000};
constexpr int kMaxDepth = 64;

// Takes the index lock, retrying with short sleeps: writers hold it only for the
// length of one change.
void waitForLock(platform::File& f, platform::LockKind kind) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(g_lockTimeoutMs.load());
    auto pause = std::chrono::microseconds(50);
    while (!f.tryLock(platform::kIndexLockOffset, 1, kind)) {
        if (clock::now() >= deadline)
            throw platform::FileError(platform::FileErrorKind::Sharing, f.path(), 0,
                                      "index lock " + f.path() + ": timed out");
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(5000));
    }
}

} // namespace

void IndexFile::setLockTimeout(int milliseconds) {
    g_lockTimeoutMs = milliseconds;
}

IndexSession::IndexSession(const IndexFile& index, bool write, bool acceptHalfWritten)
    : index_(index), file_(const_cast<platform::File&>(index.file_)), write_(write) {
    if (!file_.isOpen())
        throw std::logic_error("index file not open");
    if (write && !file_.writable())
        throw platform::FileError(platform::FileErrorKind::AccessDenied, index.path_, 0,
                                  "index " + index.path_ + " opened read-only");
    waitForLock(file_, write ? platform::LockKind::Exclusive : platform::LockKind::Shared);
    locked_ = true;
    try {
        keyLength_ = index.def_.keyLength;
        pad_ = cdx::padByte(index.def_.keyType);
        fileSize_ = file_.size();
        pageLimit_ = fileSize_ / cdx::kPageSize + kMaxDepth;
        uint8_t buf[cdx::kPageSize];
        if (fileSize_ < uint64_t(index.tagOffset_) + cdx::kHeaderSize ||
            file_.readAt(index.tagOffset_, buf, sizeof buf) != sizeof buf)
            corrupt("file pi\xF9 corto delle sue intestazioni");
        try {
            header_ = cdx::decodeHeader(buf, sizeof buf);
        } catch (const cdx::IndexFormatError& e) {
            corrupt(std::string("intestazione del tag: ") + e.what());
        }
        if (header_.keyLength != keyLength_)
            corrupt("lunghezza della chiave cambiata mentre il file era aperto");
        if (header_.counter % 2 != 0) {
            // Under the writer lock nobody is still making that change.
            if (!acceptHalfWritten)
                corrupt("una modifica \xE8 rimasta a met\xE0");
            halfWritten_ = true;
            changing_ = write;
        }
    } catch (...) {
        file_.unlock(platform::kIndexLockOffset, 1);
        locked_ = false;
        throw;
    }
}

IndexSession::~IndexSession() {
    if (locked_)
        file_.unlock(platform::kIndexLockOffset, 1);
}

void IndexSession::corrupt(const std::string& why) const {
    throw CorruptFile(index_.path_, why);
}

void IndexSession::readPage(uint32_t offset, uint8_t* buf) {
    const uint32_t tag = index_.tagOffset_;
    if (offset == cdx::kNoPage || offset % cdx::kPageSize != 0 ||
        offset < cdx::kDirectoryRootOffset + cdx::kPageSize ||
        (offset >= tag && offset < tag + cdx::kHeaderSize) ||
        uint64_t(offset) + cdx::kPageSize > fileSize_)
        corrupt("puntatore di pagina " + std::to_string(offset) + " fuori dal file");
    if (++pageReads_ > pageLimit_)
        corrupt("i puntatori di pagina formano un ciclo");
    if (file_.readAt(offset, buf, cdx::kPageSize) != cdx::kPageSize)
        corrupt("pagina " + std::to_string(offset) + " troncata");
}

cdx::Node IndexSession::readNode(uint32_t offset) {
    uint8_t buf[cdx::kPageSize];
    readPage(offset, buf);
    try {
        return cdx::decodeNode(buf, offset, keyLength_, pad_);
    } catch (const cdx::IndexFormatError& e) {
        corrupt(std::string(e.what()) + " (pagina " + std::to_string(offset) + ")");
    }
}

cdx::Node IndexSession::readRoot() {
    cdx::Node n = readNode(header_.root);
    if (!n.isRoot() || n.left != cdx::kNoPage || n.right != cdx::kNoPage)
        corrupt("la radice indicata dall'intestazione non \xE8 una radice (pagina " +
                std::to_string(header_.root) + ")");
    if (!n.isLeaf() && n.size() == 0)
        corrupt("radice interna senza chiavi");
    return n;
}

cdx::Node IndexSession::readChild(uint32_t offset) {
    cdx::Node n = readNode(offset);
    if (n.isRoot() || n.size() == 0)
        corrupt("pagina " + std::to_string(offset) + " fuori posto nell'albero");
    return n;
}

cdx::NodeSummary IndexSession::readSummary(uint32_t offset) {
    uint8_t buf[cdx::kPageSize];
    readPage(offset, buf);
    try {
        return cdx::summarizeNode(buf, keyLength_);
    } catch (const cdx::IndexFormatError& e) {
        corrupt(std::string(e.what()) + " (pagina " + std::to_string(offset) + ")");
    }
}

std::optional<IndexSession::Pos> IndexSession::findFirst(const Pred& pred) {
    const size_t kl = keyLength_;
    cdx::Node node = readRoot();
    for (int depth = 0; !node.isLeaf(); ++depth) {
        if (depth >= kMaxDepth)
            corrupt("albero pi\xF9 profondo di qualsiasi indice valido");
        size_t i = 0;
        while (i < node.size() && !pred(node.key(i, kl), node.recnos[i]))
            ++i;
        if (i == node.size()) {
            if (depth == 0)
                return std::nullopt; // every key is below the target
            i = node.size() - 1;     // a parent key above its child's keys: look further right
        }
        node = readChild(node.children[i]);
    }
    Pos p{std::move(node), 0};
    while (p.index < p.leaf.size() && !pred(p.key(kl), p.recno()))
        ++p.index;
    if (p.index < p.leaf.size())
        return p;
    if (p.leaf.size() == 0 && p.leaf.offset == header_.root)
        return std::nullopt;
    p.index = p.leaf.size() ? p.leaf.size() - 1 : 0;
    while (next(p)) {
        if (pred(p.key(kl), p.recno()))
            return p;
    }
    return std::nullopt;
}

std::optional<IndexSession::Pos> IndexSession::firstEntry() {
    return findFirst([](const char*, uint32_t) { return true; });
}

std::optional<IndexSession::Pos> IndexSession::lastEntry() {
    cdx::Node node = readRoot();
    for (int depth = 0; !node.isLeaf(); ++depth) {
        if (depth >= kMaxDepth)
            corrupt("albero pi\xF9 profondo di qualsiasi indice valido");
        node = readChild(node.children.back());
    }
    Pos p{std::move(node), 0};
    if (p.leaf.size() > 0) {
        p.index = p.leaf.size() - 1;
        return p;
    }
    if (prev(p))
        return p;
    return std::nullopt;
}

bool IndexSession::next(Pos& p) {
    if (p.index + 1 < p.leaf.size()) {
        ++p.index;
        return true;
    }
    uint32_t from = p.leaf.offset;
    uint32_t r = p.leaf.right;
    while (r != cdx::kNoPage) {
        cdx::Node n = readNode(r);
        if (!n.isLeaf())
            corrupt("la vicina destra di una foglia non \xE8 una foglia");
        if (n.left != from)
            corrupt("collegamenti tra foglie vicine incoerenti");
        if (n.size() > 0) {
            p.leaf = std::move(n);
            p.index = 0;
            return true;
        }
        from = r;
        r = n.right;
    }
    return false;
}

bool IndexSession::prev(Pos& p) {
    if (p.index > 0 && p.index <= p.leaf.size()) {
        --p.index;
        return true;
    }
    uint32_t from = p.leaf.offset;
    uint32_t l = p.leaf.left;
    while (l != cdx::kNoPage) {
        cdx::Node n = readNode(l);
        if (!n.isLeaf())
            corrupt("la vicina sinistra di una foglia non \xE8 una foglia");
        if (n.right != from)
            corrupt("collegamenti tra foglie vicine incoerenti");
        if (n.size() > 0) {
            p.index = n.size() - 1;
            p.leaf = std::move(n);
            return true;
        }
        from = l;
        l = n.left;
    }
    return false;
}

IndexEntry IndexSession::entryAt(const Pos& p) const {
    return IndexEntry{std::string(p.key(keyLength_), keyLength_), p.recno()};
}

void IndexSession::begin() {
    if (changing_)
        return;
    if (!write_)
        throw std::logic_error("index change in a read session");
    uint8_t c[4];
    cdx::putLe32(c, header_.counter + 1);
    file_.writeAt(uint64_t(index_.tagOffset_) + cdx::kCounterOffset, c, 4);
    ++header_.counter;
    changing_ = true;
}

void IndexSession::finish() {
    if (!changing_)
        return;
    uint8_t h[12];
    cdx::putLe32(h, header_.root);
    cdx::putLe32(h + 4, header_.freeList);
    cdx::putLe32(h + 8, header_.counter + 1);
    file_.writeAt(index_.tagOffset_, h, sizeof h);
    ++header_.counter;
    changing_ = false;
}

void IndexSession::writeImage(std::vector<uint8_t>& image) {
    if (index_.tagOffset_ != cdx::kTagHeaderOffset || image.size() < cdx::kFirstNodeOffset)
        throw std::logic_error("index image written over a foreign layout");
    begin();
    constexpr size_t kChunk = 1 << 20;
    for (size_t at = cdx::kFirstNodeOffset; at < image.size(); at += kChunk)
        file_.writeAt(at, image.data() + at, std::min(kChunk, image.size() - at));
    if (file_.size() > image.size())
        file_.truncate(image.size());
    file_.writeAt(0, image.data(), cdx::kTagHeaderOffset);
    // Every page is on the disk before the header says that the change is complete.
    file_.flush();
    uint8_t* tag = image.data() + cdx::kTagHeaderOffset;
    cdx::putLe32(tag + cdx::kCounterOffset, header_.counter + 1);
    file_.writeAt(cdx::kTagHeaderOffset, tag, cdx::kHeaderSize);
    header_ = cdx::decodeHeader(tag, cdx::kHeaderSize);
    fileSize_ = image.size();
    changing_ = false;
    halfWritten_ = false;
}

std::vector<cdx::EntryRef> IndexSession::refs(const cdx::Node& n) const {
    std::vector<cdx::EntryRef> r(n.size());
    for (size_t i = 0; i < n.size(); ++i)
        r[i] = {n.key(i, keyLength_), n.recnos[i], n.isLeaf() ? 0u : n.children[i]};
    return r;
}

bool IndexSession::fits(const cdx::Node& n) const {
    if (!n.isLeaf())
        return n.size() <= cdx::interiorCapacity(keyLength_);
    const auto r = refs(n);
    return cdx::leafBytes(r.data(), r.size(), keyLength_, pad_) <= cdx::kLeafSpace;
}

void IndexSession::writeNode(const cdx::Node& n) {
    begin();
    uint8_t buf[cdx::kPageSize];
    const auto r = refs(n);
    if (n.isLeaf()) {
        if (!cdx::encodeLeaf(r.data(), r.size(), n.attributes, n.left, n.right, keyLength_, pad_,
                             buf))
            throw std::logic_error("leaf written without room");
    } else {
        cdx::encodeInterior(r.data(), r.size(), n.attributes, n.left, n.right, keyLength_, buf);
    }
    file_.writeAt(n.offset, buf, sizeof buf);
    fileSize_ = std::max<uint64_t>(fileSize_, uint64_t(n.offset) + cdx::kPageSize);
}

void IndexSession::relink(uint32_t offset, uint16_t attributes, uint32_t left, uint32_t right) {
    begin();
    uint8_t head[12];
    if (file_.readAt(offset, head, sizeof head) != sizeof head)
        corrupt("pagina " + std::to_string(offset) + " troncata");
    cdx::putLe16(head, attributes);
    cdx::putLe32(head + 4, left);
    cdx::putLe32(head + 8, right);
    file_.writeAt(offset, head, sizeof head);
}

uint32_t IndexSession::allocatePage() {
    begin();
    if (header_.freeList != cdx::kNoPage) {
        const uint32_t off = header_.freeList;
        uint8_t buf[cdx::kPageSize];
        readPage(off, buf);
        uint32_t next = 0;
        if (!cdx::isFreePage(buf, &next))
            corrupt("la lista delle pagine libere punta a una pagina in uso");
        header_.freeList = next;
        return off;
    }
    const uint64_t end = (fileSize_ + cdx::kPageSize - 1) / cdx::kPageSize * cdx::kPageSize;
    if (end + cdx::kPageSize > 0xFFFFFE00ULL)
        corrupt("file indice troppo grande");
    fileSize_ = end + cdx::kPageSize;
    pageLimit_ += 1;
    return static_cast<uint32_t>(end);
}

void IndexSession::freePage(uint32_t offset) {
    begin();
    uint8_t buf[cdx::kPageSize];
    cdx::encodeFreePage(header_.freeList, buf);
    file_.writeAt(offset, buf, sizeof buf);
    header_.freeList = offset;
}

} // namespace dn::dbf
