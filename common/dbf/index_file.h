#pragma once

// One-tag compound index files: build, open, maintain keys, seek and walk.
//
// Every operation reads the pages it needs again from the file, under the index
// lock (shared while reading, exclusive while writing; docs/index-format.md), so
// that changes made by other processes are always seen and a reader never sees a
// page that a writer is still changing. Positions between operations are kept as
// entries (key and record number), never as page numbers.
//
// A damaged file gives CorruptFile naming the file; device failures give
// platform::FileError.

#include "common/dbf/error.h"
#include "common/dbf/index_format.h"
#include "platform/file.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dn::dbf {

using cdx::KeyType;

struct IndexDefinition {
    std::string keyExpression; // stored as given
    std::string forExpression = "!DELETED()";
    KeyType keyType = KeyType::Character;
    uint16_t keyLength = 0; // 1..240; numeric keys are always 8
    bool unique = false;    // keep only the first record of each key value
};

struct IndexEntry {
    std::string key; // keyLength bytes
    uint32_t recno = 0;
    bool operator==(const IndexEntry&) const = default;
};

// The keys that navigation may reach: those whose first bytes are not below `top`
// and not above `bottom` (each compared over its own length; a missing bound does
// not limit).
struct IndexScope {
    std::optional<std::string> top;
    std::optional<std::string> bottom;
};

enum class SeekMode {
    Exact,  // the whole key equals the value (a shorter text value is blank-padded)
    Prefix, // the key begins with the value
};

struct SeekResult {
    bool found = false;
    // Where the seek left the position: the match, or with a soft seek the first key
    // after the value; empty at the end of the scope.
    std::optional<IndexEntry> entry;
};

struct SkipResult {
    std::optional<IndexEntry> entry; // empty at end of file
    long moved = 0;                  // entries actually moved over
    bool bof = false;                // a backward skip ran past the first key of the scope
};

// Record source of a build: calls the visitor once per record, in any order.
using RecordVisitor = std::function<void(uint32_t recno, const char* record)>;
using RecordScan = std::function<void(const RecordVisitor&)>;

// Key and condition of an index, as the caller computes them.
struct KeyEvaluator {
    // Writes the key of a record into `key` (keyLength bytes, filled beforehand with
    // the pad byte, so a shorter text may be written). Numeric keys are written with
    // cdx::encodeNumericKey.
    std::function<void(const char* record, uint32_t recno, char* key)> key;
    // Whether the record belongs to the index; empty: every record does.
    std::function<bool(const char* record, uint32_t recno)> condition;
};

// The index file name for a caller's name: ".NTX" is added when the last part of
// the name has no extension, and that last part is upper-cased.
std::string indexFileName(std::string_view name);
// The tag named after a file: its base name without extension, upper case, at most
// 10 characters.
std::string indexTagName(std::string_view fileName);

class IndexFile {
public:
    IndexFile() = default;
    IndexFile(IndexFile&&) noexcept = default;
    IndexFile& operator=(IndexFile&&) noexcept = default;

    // Opens an existing index file, named by indexFileName(name). Throws CorruptFile
    // when its headers are not those of a one-tag index file.
    static IndexFile open(const std::string& name, bool writable);
    // Builds the index file indexFileName(name) (replacing any file of that name only
    // once the new one is complete) from the records of `scan`, and opens it
    // writable. An empty tag name gives the file's tag name (indexTagName).
    static IndexFile create(const std::string& name, const std::string& tagName,
                            const IndexDefinition& def, const RecordScan& scan,
                            const KeyEvaluator& eval);

    bool isOpen() const { return file_.isOpen(); }
    const std::string& path() const { return path_; }
    const std::string& tagName() const { return tag_; }
    const IndexDefinition& definition() const { return def_; }
    uint16_t keyLength() const { return def_.keyLength; }
    void close() { file_.close(); }

    // The key of a record for this index, or nothing when its condition excludes it.
    std::optional<std::string> keyOf(const KeyEvaluator& eval, const char* record,
                                     uint32_t recno) const;
    // A character value cut or blank-padded to the key length.
    std::string padKey(std::string_view value) const;

    // Adds one key. False when it is already there, or when the index is unique and
    // another record already holds that key value. REQUIRES: key.size() == keyLength().
    bool insert(std::string_view key, uint32_t recno);
    // Removes one key; false when it was not there.
    bool remove(std::string_view key, uint32_t recno);
    // Moves a record from its old key to its new one (either may be missing: not in
    // the index before or after) in one change, so that readers see the record under
    // one key or the other, never under none.
    void change(const std::optional<std::string>& before, const std::optional<std::string>& after,
                uint32_t recno);
    bool contains(std::string_view key, uint32_t recno) const;

    std::optional<IndexEntry> first(const IndexScope& scope = {}) const;
    std::optional<IndexEntry> last(const IndexScope& scope = {}) const;
    // Moves n entries forward (n > 0) or back (n < 0) from `from`; `from` need not
    // be in the index any more (another process may have removed it), in which case
    // the first step lands on its nearest neighbour in that direction.
    SkipResult skip(const IndexEntry& from, long n, const IndexScope& scope = {}) const;
    SeekResult seek(std::string_view value, SeekMode mode, bool soft,
                    const IndexScope& scope = {}) const;
    uint64_t count(const IndexScope& scope = {}) const;
    // The place of entry e among the entries of the scope, 1 for the first; 0 when e
    // is not in the index or lies outside the scope. Walks the leaves up to e.
    uint64_t rank(const IndexEntry& e, const IndexScope& scope = {}) const;
    // Every entry of the scope in order, read under one lock.
    std::vector<IndexEntry> entries(const IndexScope& scope = {}) const;

    // How long an operation waits for the index lock before it gives up with a
    // Sharing error (writers hold it only for the length of one change).
    static void setLockTimeout(int milliseconds);

private:
    friend class IndexSession;
    platform::File file_;
    std::string path_;
    std::string tag_;
    uint32_t tagOffset_ = cdx::kTagHeaderOffset;
    IndexDefinition def_;
};

} // namespace dn::dbf
