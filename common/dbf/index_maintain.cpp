#include "common/dbf/index_maintain.h"

#include <algorithm>
#include <exception>

namespace dn::dbf {

void IndexMaintainer::add(IndexFile* index, KeyEvaluator eval) {
    indexes_.push_back({index, std::move(eval)});
}

void IndexMaintainer::remove(const IndexFile* index) {
    std::erase_if(indexes_, [index](const Entry& e) { return e.index == index; });
}

void IndexMaintainer::apply(IndexFile& index, const KeyEvaluator& eval,
                            const RecordChange& change) {
    std::optional<std::string> before, after;
    if (!change.appended())
        before = index.keyOf(eval, change.before.data(), change.recno);
    after = index.keyOf(eval, change.after.data(), change.recno);
    index.change(before, after, change.recno);
}

void IndexMaintainer::afterWrite(Table&, const RecordChange& change) {
    std::exception_ptr first;
    for (Entry& e : indexes_) {
        try {
            apply(*e.index, e.eval, change);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

void IndexMaintainer::afterPack(Table& table) {
    std::exception_ptr first;
    for (Entry& e : indexes_) {
        try {
            const std::string path = e.index->path();
            const std::string tag = e.index->tagName();
            const IndexDefinition def = e.index->definition();
            e.index->close(); // the file is replaced by name
            *e.index = IndexFile::create(path, tag, def, tableScan(table), e.eval);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

RecordScan tableScan(Table& table) {
    return [&table](const RecordVisitor& visit) {
        table.scan(1, table.recordCount(),
                   [&](uint32_t recno, std::string_view record) { visit(recno, record.data()); });
    };
}

} // namespace dn::dbf
