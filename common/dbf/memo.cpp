#include "common/dbf/memo.h"

#include "common/dbf/bytes.h"
#include "common/dbf/error.h"

#include <chrono>
#include <thread>

namespace dn::dbf {

namespace {

// The allocation lock of a memo file: one byte far beyond its data.
constexpr uint64_t kAllocLockOffset = 4294967296ULL;
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
    const uint64_t size = file_.size();
    char h[kBlockHeader];
    if (at + kBlockHeader > size || file_.readAt(at, h, sizeof h) < sizeof h)
        throw CorruptFile(p, "memo pointer " + std::to_string(block) + " past the end");
    const uint32_t len = bytes::be32(h + 4);
    if (at + kBlockHeader + len > size)
        throw CorruptFile(p, "memo at block " + std::to_string(block) + " runs past the end");
    std::string text(len, '\0');
    if (file_.readAt(at + kBlockHeader, text.data(), len) < len)
        throw CorruptFile(p, "memo at block " + std::to_string(block) + " runs past the end");
    return text;
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
