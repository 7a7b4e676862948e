#pragma once

// A change of many keys of one index file at once, for bulk deletes made while the
// table is locked as a whole (Table::deleteWhere): one writer lock and one change for
// all the keys, or a whole new tree written in place of the old one.

#include "common/dbf/index_file.h"

#include <memory>
#include <string_view>

namespace dn::dbf {

class IndexSession;

class IndexBulkChange {
public:
    // Takes the index's writer lock (waiting as every operation does) and holds it
    // until finish() or destruction. A change that an earlier writer left
    // half-written is not reported here but taken over (halfWritten()): with the
    // writer lock held and the table locked as a whole nobody can still be making it,
    // and a rebuild is the way to end it. REQUIRES: the index open writable and
    // outliving this object.
    explicit IndexBulkChange(IndexFile& index);
    ~IndexBulkChange();
    IndexBulkChange(const IndexBulkChange&) = delete;
    IndexBulkChange& operator=(const IndexBulkChange&) = delete;

    bool halfWritten() const;
    // Whether rebuild() can write this file in place (the standard layout).
    bool canRebuild() const;

    // Marks the change begun (odd counter). From here until finish() or rebuild()
    // ends it, a failure or a kill leaves the index reported as damaged
    // ("rimasta a metà") until the next bulk change or a rebuild mends it.
    void begin();
    // Removes one key inside the change; false when it was not there. REQUIRES: not
    // halfWritten().
    bool remove(std::string_view key, uint32_t recno);
    // Writes a tree of the records of scan in place of the old one and ends the
    // change. The file keeps its name, so every other open of it stays valid and
    // finds its positions again by key. REQUIRES: canRebuild().
    void rebuild(const RecordScan& scan, const KeyEvaluator& eval);
    // Ends the change. REQUIRES: not halfWritten() (only a rebuild ends that).
    void finish();

private:
    IndexFile& index_;
    std::unique_ptr<IndexSession> session_;
};

} // namespace dn::dbf
