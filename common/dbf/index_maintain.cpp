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

void IndexMaintainer::beforeBulkDelete(Table&, const BulkDelete& del) {
    pending_.clear();
    // Every lock and every decision first: nothing is marked as changing until all
    // the indexes can take part.
    std::vector<Pending> taken;
    for (Entry& e : indexes_) {
        Pending p{std::make_unique<IndexBulkChange>(*e.index), &e.eval, false, {}};
        for (size_t i = 0; i < del.size(); ++i)
            if (auto key = e.index->keyOf(e.eval, del.record(i).data(), del.recnos[i]))
                p.keys.push_back(IndexEntry{std::move(*key), del.recnos[i]});
        const bool many = uint64_t{p.keys.size()} * kRebuildShare > del.live;
        p.rebuild = p.change->canRebuild() && (p.change->halfWritten() || many);
        if (p.change->halfWritten() && !p.rebuild)
            throw CorruptFile(e.index->path(), "una modifica \xE8 rimasta a met\xE0");
        if (p.rebuild)
            p.keys.clear();
        else if (p.keys.empty())
            continue; // nothing to change: the lock goes at once
        taken.push_back(std::move(p));
    }
    for (Pending& p : taken)
        p.change->begin();
    pending_ = std::move(taken);
}

void IndexMaintainer::afterBulkDelete(Table& table, const BulkDelete&) {
    std::vector<Pending> pending = std::move(pending_);
    pending_.clear();
    std::exception_ptr first;
    for (Pending& p : pending) {
        try {
            if (p.rebuild) {
                p.change->rebuild(tableScan(table), *p.eval);
            } else {
                for (const IndexEntry& k : p.keys)
                    p.change->remove(k.key, k.recno);
                p.change->finish();
            }
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

void IndexMaintainer::bulkDeleteFailed(Table&) {
    pending_.clear();
}

RecordScan tableScan(Table& table) {
    return [&table](const RecordVisitor& visit) {
        table.scan(1, table.recordCount(),
                   [&](uint32_t recno, std::string_view record) { visit(recno, record.data()); });
    };
}

} // namespace dn::dbf
