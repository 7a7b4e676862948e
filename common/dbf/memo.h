#pragma once

#include "platform/file.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dn::dbf {

// A memo file in the FoxPro block layout (big-endian header with the next free
// block and the block size; each memo a run of blocks starting with its type and
// length). See docs/store-format.md.
//
// Blocks are only ever added: a changed memo is written to new blocks and the old
// ones stay until the table is packed, so a reader never sees a memo half-written.
// The next free block is read from disk under the memo file's allocation lock every
// time a memo is written, so several processes can write at once.
class MemoFile {
public:
    static constexpr uint32_t kDefaultBlockSize = 64;
    static constexpr uint32_t kHeaderSize = 512;

    MemoFile() = default;
    MemoFile(MemoFile&&) = default;
    MemoFile& operator=(MemoFile&&) = default;

    // Creates (or replaces) an empty memo file. blockSize: 1..65535 (FoxPro itself
    // writes 64; sizes below 33 are read but never created).
    static void create(const std::string& path, uint32_t blockSize = kDefaultBlockSize);

    // Opens an existing memo file; checks its header. Throws FileError, CorruptFile.
    void open(const std::string& path, bool writable);
    // Takes an already open file (pack hands over the file it built).
    void adopt(platform::File file);
    void close() { file_.close(); }
    bool isOpen() const { return file_.isOpen(); }
    const std::string& path() const { return file_.path(); }
    uint32_t blockSize() const { return blockSize_; }
    platform::File& file() { return file_; }

    // The text of the memo starting at block; CorruptFile when the block or its
    // length lies outside the file or inside the header.
    std::string read(uint32_t block) const;
    // Writes text into newly allocated blocks and returns the first block number.
    // Empty text is not written (returns 0). Throws FileError (kind Sharing when the
    // allocation lock stays busy for about two seconds).
    uint32_t write(std::string_view text);
    void flush() { file_.flush(); }

    // Bulk reading: until endReadAhead(), memos that lie wholly below the free-block
    // pointer read now are served from large reads of the file. Those blocks are
    // final (a memo is written before the pointer moves past it and never rewritten
    // in place), so this is safe while other processes write; memos beyond it are
    // read one by one as usual.
    void beginReadAhead();
    void endReadAhead();
    bool readingAhead() const { return readAheadLimit_ != 0; }

private:
    bool readFromWindow(uint64_t at, std::string& text) const;

    platform::File file_;
    uint32_t blockSize_ = kDefaultBlockSize;
    uint64_t readAheadLimit_ = 0; // 0: no read-ahead
    mutable std::string window_;
    mutable uint64_t windowStart_ = 0;
};

} // namespace dn::dbf
