#pragma once

// Checks of an index file: its tree on its own, and its keys against the records of
// its table. Problems are reported as Italian texts for the administrator's tool;
// nothing is written.

#include "common/dbf/index_file.h"

#include <string>
#include <vector>

namespace dn::dbf {

struct IndexCheckReport {
    std::vector<std::string> problems; // at most kMaxProblems texts, then a summary line
    uint64_t keys = 0;                 // keys found in the tree
    bool ok() const { return problems.empty(); }
    static constexpr size_t kMaxProblems = 50;
};

// Every page reached once, leaves all at one depth, keys in order (strictly for a
// unique index), interior keys equal to the last key of their child, neighbour links
// matching the tree, and no change left half-written.
IndexCheckReport verifyIndexStructure(const IndexFile& index);

// The structure, then the keys: every record that the condition admits present once
// with its key, and no other key (a deleted record's, a stale one). For a unique
// index, one key per distinct value, held by a record with that value.
IndexCheckReport checkIndex(const IndexFile& index, const RecordScan& scan,
                            const KeyEvaluator& eval);

} // namespace dn::dbf
