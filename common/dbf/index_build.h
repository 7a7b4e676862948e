#pragma once

// Builds a whole index file in one go: collect the keys, sort them, and write the
// pages bottom-up (leaves packed full, then each level of interior nodes).

#include "common/dbf/index_file.h"

#include <string>
#include <vector>

namespace dn::dbf {

class IndexBuilder {
public:
    // Throws std::invalid_argument for a key length outside 1..240 (8 for numeric
    // keys) or expressions too long for the header.
    explicit IndexBuilder(const IndexDefinition& def);

    // Adds one key (keyLength bytes); records may come in any order.
    void add(const char* key, uint32_t recno);
    // Adds the key of every record of `scan` that the condition admits.
    void addRecords(const RecordScan& scan, const KeyEvaluator& eval);
    size_t size() const { return recnos_.size(); }

    // Sorts the keys and writes the file `path` under a temporary name in the same
    // folder, then puts it in place of any file called `path`. On failure the
    // temporary file is removed and an existing `path` is left as it was.
    void write(const std::string& path, const std::string& tagName);

    // The sorted file image (exposed for tests and benchmarks of the layout).
    std::vector<uint8_t> image(const std::string& tagName);

private:
    // The keys in index order, one after another, with their record numbers.
    void sortKeys(std::string& keys, std::vector<uint32_t>& recnos) const;

    IndexDefinition def_;
    std::vector<char> keys_;
    std::vector<uint32_t> recnos_;
};

} // namespace dn::dbf
