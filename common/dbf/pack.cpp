// Pack: rewrites a table without its deleted records, and its memo file with only
// the memos that the remaining records use.
#include "common/dbf/bytes.h"
#include "common/dbf/table.h"
#include "common/util/clock.h"
#include "platform/lock_layout.h"

#include <filesystem>

namespace dn::dbf {

namespace {

constexpr char kEof = 0x1A;

// Writes memos one after the other into a memo file that nobody else uses yet.
class SequentialMemoWriter {
public:
    SequentialMemoWriter(platform::File& f, uint32_t blockSize)
        : f_(f), blockSize_(blockSize), next_((MemoFile::kHeaderSize + blockSize - 1) / blockSize) {
    }

    uint32_t write(const std::string& text) {
        const uint64_t total = 8 + text.size();
        const uint64_t blocks = (total + blockSize_ - 1) / blockSize_;
        if (next_ + blocks > 0xFFFFFFFFull)
            throw TableError("memo file full");
        std::string buf(blocks * blockSize_, '\0');
        bytes::putBe32(buf.data(), 1);
        bytes::putBe32(buf.data() + 4, static_cast<uint32_t>(text.size()));
        text.copy(buf.data() + 8, text.size());
        f_.writeAt(static_cast<uint64_t>(next_) * blockSize_, buf.data(), buf.size());
        const uint32_t at = next_;
        next_ += static_cast<uint32_t>(blocks);
        return at;
    }

    void finish() {
        char h[MemoFile::kHeaderSize] = {};
        bytes::putBe32(h, next_);
        bytes::putBe16(h + 6, blockSize_);
        f_.writeAt(0, h, sizeof h);
        f_.flush();
    }

private:
    platform::File& f_;
    uint32_t blockSize_;
    uint32_t next_;
};

std::string scratchName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    // 0x7F marks the store's own temporary files, which the start-up sweep removes.
    return path.substr(0, start) + '\x7F' + path.substr(start);
}

} // namespace

void Table::pack() {
    requireWritable();
    if (options_.shared)
        throw TableError("pack needs " + path_ + " open exclusively");
    // The lock range, lost only if another program took a lock on the file that an
    // earlier pack put in place before this open could take it.
    if (!rangeHeld_) {
        if (!file_.tryLock(platform::kFileLockOffset, platform::kFileLockLength,
                           platform::LockKind::Exclusive))
            throw platform::sharingConflict(path_);
        rangeHeld_ = true;
    }
    write();
    dropAhead();
    const uint32_t count = recordCount();
    const uint32_t headerLength = structure_.headerLength();
    std::string header(headerLength, '\0');
    if (file_.readAt(0, header.data(), headerLength) < headerLength)
        throw CorruptFile(path_, "header shorter than its stated length");

    const std::string tmpTable = scratchName(path_);
    const std::string tmpMemo = memo_.isOpen() ? scratchName(memoPath_) : std::string();
    platform::File nt;
    platform::File nm;
    uint32_t kept = 0;
    try {
        nt = platform::File::create(tmpTable, platform::Share::Exclusive);
        uint32_t blockSize = memo_.isOpen() ? memo_.blockSize() : 0;
        if (memo_.isOpen()) {
            if (blockSize < 33)
                blockSize = MemoFile::kDefaultBlockSize;
            nm = platform::File::create(tmpMemo, platform::Share::Exclusive);
        }
        SequentialMemoWriter memoOut(nm, blockSize);
        std::string out;
        uint64_t at = headerLength;
        const uint32_t len = structure_.recordLength();
        auto spill = [&]() {
            nt.writeAt(at, out.data(), out.size());
            at += out.size();
            out.clear();
        };
        scan(1, count, [&](uint32_t, std::string_view rec) {
            if (rec[0] == '*')
                return;
            std::string r(rec);
            for (const Field& f : structure_.fields()) {
                if (f.type != FieldType::Memo)
                    continue;
                const uint32_t block = memoPointer(r, f);
                const uint32_t moved = block == 0 ? 0 : memoOut.write(memo_.read(block));
                r.replace(f.offset, f.width, formatMemoPointer(f, moved));
            }
            out += r;
            ++kept;
            if (out.size() >= 1024u * 1024u - len)
                spill();
        });
        out.push_back(kEof);
        spill();
        const Date today = clock::today();
        header[1] = static_cast<char>(today.year() - 1900);
        header[2] = static_cast<char>(today.month());
        header[3] = static_cast<char>(today.day());
        bytes::putLe32(header.data() + 4, kept);
        nt.writeAt(0, header.data(), header.size());
        nt.flush();
        if (nm.isOpen())
            memoOut.finish();
        // The new table first: once it is in place (held exclusively) no other
        // process can open the table, so the memo file is replaced undisturbed.
        platform::replaceFile(nt, file_, path_);
    } catch (...) {
        nt.close();
        nm.close();
        std::error_code ec;
        std::filesystem::remove(tmpTable, ec);
        if (!tmpMemo.empty())
            std::filesystem::remove(tmpMemo, ec);
        throw;
    }
    file_ = std::move(nt);
    rangeHeld_ = file_.tryLock(platform::kFileLockOffset, platform::kFileLockLength,
                               platform::LockKind::Exclusive);
    knownCount_ = kept;
    recno_ = 0;
    buffer_ = structure_.blankRecord();
    dirty_ = false;
    if (nm.isOpen()) {
        try {
            platform::replaceFile(nm, memo_.file(), memoPath_);
        } catch (const platform::FileError& e) {
            // The table already points into the new memo file: say where it is.
            throw CorruptFile(memoPath_, std::string("pack could not put the new memo file "
                                                     "in place (kept as ") +
                                             tmpMemo + "): " + e.what());
        }
        memo_.adopt(std::move(nm));
    }
    for (TableObserver* o : std::vector<TableObserver*>(observers_))
        o->afterPack(*this);
}

} // namespace dn::dbf
