#include "common/dbf/memo.h"

#include "common/dbf/bytes.h"
#include "common/dbf/error.h"
#include "platform/lock_layout.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace dn::dbf {

namespace {

// The allocation lock of a memo file: one byte far beyond its data.
constexpr uint64_t kAllocLockOffset = platform::kMemoLockOffset;
constexpr uint32_t kBlockHeader = 8; // type (4) and length (4), big-endian
constexpr uint32_t kTextType = 1;

// Holds the allocation lock for one scope. The lock is held for a few writes only,
// so a busy lock is retried for a short while rather than reported at once.
class AllocLock {
public:
    explicit AllocLock(platform::File& f) : f_(f) {
        using namespace std::chrono;
        const auto deadline = steady_clock::now() + seconds(2);
        int spins = 0;
        while (!f_.tryLock(kAllocLockOffset, 1, platform::LockKind::Exclusive)) {
            if (steady_clock::now() > deadline)
                throw platform::FileError(platform::FileErrorKind::Sharing, f_.path(), 0,
                                          "memo allocation lock of " + f_.path() + " stays busy");
            if (++spins > 50)
                std::this_thread::sleep_for(microseconds(200));
        }
    }
    ~AllocLock() { f_.unlock(kAllocLockOffset, 1); }
    AllocLock(const AllocLock&) = delete;
    AllocLock& operator=(const AllocLock&) = delete;

private:
    platform::File& f_;
};

uint32_t firstDataBlock(uint32_t blockSize) {
    return (MemoFile::kHeaderSize + blockSize - 1) / blockSize;
}

} // namespace

void MemoFile::create(const std::string& path, uint32_t blockSize) {
    if (blockSize < 33 || blockSize > 65535)
        throw TableError("memo block size must be 33 to 65535");
    platform::File f = platform::File::create(path);
    char h[kHeaderSize] = {};
    bytes::putBe32(h, firstDataBlock(blockSize));
    bytes::putBe16(h + 6, blockSize);
    f.writeAt(0, h, sizeof h);
    f.flush();
}

void MemoFile::open(const std::string& path, bool writable) {
    platform::File f = platform::File::open(path, writable);
    char h[8];
    if (f.readAt(0, h, sizeof h) < sizeof h || f.size() < kHeaderSize)
        throw CorruptFile(path, "memo header shorter than 512 bytes");
    const uint32_t bs = bytes::be16(h + 6);
    if (bs == 0)
        throw CorruptFile(path, "memo block size 0");
    if (bytes::be32(h) < firstDataBlock(bs))
        throw CorruptFile(path, "next free memo block inside the header");
    file_ = std::move(f);
    blockSize_ = bs;
}

void MemoFile::adopt(platform::File file) {
    char h[8];
    if (file.readAt(0, h, sizeof h) < sizeof h || bytes::be16(h + 6) == 0)
        throw CorruptFile(file.path(), "memo header damaged");
    blockSize_ = bytes::be16(h + 6);
    file_ = std::move(file);
}

std::string MemoFile::read(uint32_t block) const {
    const std::string& p = file_.path();
    if (block < firstDataBlock(blockSize_))
        throw CorruptFile(p, "memo pointer " + std::to_string(block) + " inside the header");
    const uint64_t at = static_cast<uint64_t>(block) * blockSize_;
    std::string fromWindow;
    if (readAheadLimit_ != 0 && readFromWindow(at, fromWindow))
        return fromWindow;
    // One read brings the block header and, for most memos, the whole text; a short
    // read is the end of the file.
    char first[512];
    const size_t got = file_.readAt(at, first, sizeof first);
    if (got < kBlockHeader)
        throw CorruptFile(p, "memo pointer " + std::to_string(block) + " past the end");
    const uint32_t len = bytes::be32(first + 4);
    const size_t inFirst = std::min<size_t>(len, got - kBlockHeader);
    if (inFirst < len && got < sizeof first)
        throw CorruptFile(p, "memo at block " + std::to_string(block) + " runs past the end");
    if (inFirst < len && at + kBlockHeader + len > file_.size())
        throw CorruptFile(p, "memo at block " + std::to_string(block) + " runs past the end");
    std::string text(len, '\0');
    std::copy(first + kBlockHeader, first + kBlockHeader + inFirst, text.data());
    if (inFirst < len && file_.readAt(at + kBlockHeader + inFirst, text.data() + inFirst,
                                      len - inFirst) < len - inFirst)
        throw CorruptFile(p, "memo at block " + std::to_string(block) + " runs past the end");
    return text;
}

void MemoFile::beginReadAhead() {
    char h[4];
    if (file_.readAt(0, h, 4) < 4)
        throw CorruptFile(file_.path(), "memo header shorter than 8 bytes");
    readAheadLimit_ = static_cast<uint64_t>(bytes::be32(h)) * blockSize_;
    window_.clear();
    windowStart_ = 0;
}

void MemoFile::endReadAhead() {
    readAheadLimit_ = 0;
    window_.clear();
    window_.shrink_to_fit();
}

bool MemoFile::readFromWindow(uint64_t at, std::string& text) const {
    constexpr uint64_t kWindow = 1024 * 1024;
    auto load = [&](uint64_t from, uint64_t n) {
        const uint64_t size = file_.size();
        n = std::min({n, readAheadLimit_ - from, size > from ? size - from : 0});
        window_.resize(static_cast<size_t>(n));
        window_.resize(file_.readAt(from, window_.data(), window_.size()));
        windowStart_ = from;
    };
    auto covers = [&](uint64_t from, uint64_t n) {
        return from >= windowStart_ && from + n <= windowStart_ + window_.size();
    };
    if (at + kBlockHeader > readAheadLimit_)
        return false;
    if (!covers(at, kBlockHeader))
        load(at, kWindow);
    if (!covers(at, kBlockHeader))
        return false; // the file is shorter than its pointer says: read it the usual way
    const uint32_t len = bytes::be32(window_.data() + (at - windowStart_) + 4);
    const uint64_t total =
        uint64_t{kBlockHeader} + len; // 64 bits: a length near 4 GB must not wrap
    if (at + total > readAheadLimit_)
        return false;
    if (!covers(at, total))
        load(at, std::max(kWindow, total));
    if (!covers(at, total))
        return false;
    text.assign(window_, static_cast<size_t>(at - windowStart_ + kBlockHeader), len);
    return true;
}

uint32_t MemoFile::write(std::string_view text) {
    if (text.empty())
        return 0;
    if (text.size() > 0xFFFFFFFFull - kBlockHeader)
        throw TableError("memo text too long");
    const uint64_t total = kBlockHeader + text.size();
    const uint64_t blocks = (total + blockSize_ - 1) / blockSize_;
    std::string buf(blocks * blockSize_, '\0');
    bytes::putBe32(buf.data(), kTextType);
    bytes::putBe32(buf.data() + 4, static_cast<uint32_t>(text.size()));
    text.copy(buf.data() + kBlockHeader, text.size());

    AllocLock lock(file_);
    // The next free block is whatever the file says now: another process may have
    // written memos since the last call.
    char h[8];
    if (file_.readAt(0, h, sizeof h) < sizeof h)
        throw CorruptFile(file_.path(), "memo header shorter than 8 bytes");
    const uint32_t next = bytes::be32(h);
    if (bytes::be16(h + 6) != blockSize_)
        throw CorruptFile(file_.path(), "memo block size changed");
    if (next < firstDataBlock(blockSize_))
        throw CorruptFile(file_.path(), "next free memo block inside the header");
    if (next + blocks > 0xFFFFFFFFull)
        throw TableError("memo file full");
    // The text first, the pointer after: a failure between them only leaves unused
    // blocks that the next writer takes again.
    file_.writeAt(static_cast<uint64_t>(next) * blockSize_, buf.data(), buf.size());
    // The pointer is big-endian and only grows, so a write torn after its first
    // bytes leaves it at the old value or beyond: never inside blocks in use.
    char nh[4];
    bytes::putBe32(nh, static_cast<uint32_t>(next + blocks));
    file_.writeAt(0, nh, 4);
    return next;
}

} // namespace dn::dbf
