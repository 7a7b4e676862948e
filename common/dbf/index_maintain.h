#pragma once

// Keeps the open indexes of a table current: registered on the table as an
// observer, it applies every append, field change, delete and recall to each index
// by that index's own condition, and rebuilds them after a pack.

#include "common/dbf/index_file.h"
#include "common/dbf/table.h"

#include <vector>

namespace dn::dbf {

class IndexMaintainer : public TableObserver {
public:
    // REQUIRES: `index` stays alive and open until removed.
    void add(IndexFile* index, KeyEvaluator eval);
    void remove(const IndexFile* index);
    void clear() { indexes_.clear(); }
    size_t size() const { return indexes_.size(); }

    // Removes the old key and adds the new one where they differ, in every index.
    // All indexes are brought up to date even when one fails; the first failure is
    // then thrown (the record stays written; the check reports the index and a
    // rebuild mends it).
    void afterWrite(Table& table, const RecordChange& change) override;
    // Record numbers changed: every index is rebuilt from the table and reopened.
    void afterPack(Table& table) override;

    // Applies one change to one index (also used without a table, by tests and tools).
    static void apply(IndexFile& index, const KeyEvaluator& eval, const RecordChange& change);

private:
    struct Entry {
        IndexFile* index;
        KeyEvaluator eval;
    };
    std::vector<Entry> indexes_;
};

// The records of an open table, for building and checking its indexes.
RecordScan tableScan(Table& table);

} // namespace dn::dbf
