#pragma once

// Keeps the open indexes of a table current: registered on the table as an
// observer, it applies every append, field change, delete and recall to each index
// by that index's own condition, and rebuilds them after a pack.

#include "common/dbf/index_bulk.h"
#include "common/dbf/index_file.h"
#include "common/dbf/table.h"

#include <memory>
#include <vector>

namespace dn::dbf {

class IndexMaintainer : public TableObserver {
public:
    // REQUIRES: `index` stays alive and open until removed.
    void add(IndexFile* index, KeyEvaluator eval);
    void remove(const IndexFile* index);
    void clear() {
        pending_.clear();
        indexes_.clear();
    }
    size_t size() const { return indexes_.size(); }

    // Removes the old key and adds the new one where they differ, in every index.
    // All indexes are brought up to date even when one fails; the first failure is
    // then thrown (the record stays written; the check reports the index and a
    // rebuild mends it).
    void afterWrite(Table& table, const RecordChange& change) override;
    // Record numbers changed: every index is rebuilt from the table and reopened.
    void afterPack(Table& table) override;
    // A bulk delete takes every index's writer lock and begins one change in each
    // before the table is written; afterwards an index that loses more than one key
    // in kRebuildShare of the live records (or that an interrupted change left
    // half-written) gets a new tree written in place, the others lose their keys one
    // by one inside the change. A kill in between leaves the indexes marked
    // half-written, and the next bulk delete rebuilds them.
    void beforeBulkDelete(Table& table, const BulkDelete& del) override;
    void afterBulkDelete(Table& table, const BulkDelete& del) override;
    // The locks go; the changes stay marked half-written.
    void bulkDeleteFailed(Table& table) override;
    static constexpr uint32_t kRebuildShare = 16;

    // Applies one change to one index (also used without a table, by tests and tools).
    static void apply(IndexFile& index, const KeyEvaluator& eval, const RecordChange& change);

private:
    struct Entry {
        IndexFile* index;
        KeyEvaluator eval;
    };
    std::vector<Entry> indexes_;
    // The changes of a bulk delete, between its two calls.
    struct Pending {
        std::unique_ptr<IndexBulkChange> change;
        const KeyEvaluator* eval;
        bool rebuild;
        std::vector<IndexEntry> keys;
    };
    std::vector<Pending> pending_;
};

// The records of an open table, for building and checking its indexes.
RecordScan tableScan(Table& table);

} // namespace dn::dbf
