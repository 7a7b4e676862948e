#pragma once

// A position in an index with end-of-file and beginning-of-file flags, within a
// scope. The position is kept as an entry (key and record number); every move reads
// the index again, so keys added or removed by other processes are seen.

#include "common/dbf/index_file.h"

namespace dn::dbf {

class IndexCursor {
public:
    // REQUIRES: `index` outlives the cursor.
    explicit IndexCursor(const IndexFile& index) : index_(&index) {}

    void setScope(IndexScope scope) { scope_ = std::move(scope); }
    const IndexScope& scope() const { return scope_; }

    // First or last key of the scope; false (and at end of file) when the scope is empty.
    bool goTop();
    bool goBottom();
    // Seeks a value (see IndexFile::seek); false when it is not found. Without soft a
    // failed seek leaves the cursor at end of file; with soft, on the next key.
    bool seek(std::string_view value, SeekMode mode = SeekMode::Prefix, bool soft = false);
    // Moves n keys (back when negative) and returns how many it moved. Forward past
    // the last key: end of file. Back past the first: beginning of file, on the first key.
    long skip(long n = 1);
    // Places the cursor on an entry, such as the record just written.
    void goTo(const IndexEntry& e);

    bool eof() const { return !current_; }
    bool bof() const { return bof_; }
    bool found() const { return found_; }
    const std::optional<IndexEntry>& current() const { return current_; }
    // The current record number; 0 at end of file.
    uint32_t recno() const { return current_ ? current_->recno : 0; }
    // Keys within the scope.
    uint64_t count() const { return index_->count(scope_); }

private:
    const IndexFile* index_;
    IndexScope scope_;
    std::optional<IndexEntry> current_;
    bool bof_ = false;
    bool found_ = false;
};

} // namespace dn::dbf
