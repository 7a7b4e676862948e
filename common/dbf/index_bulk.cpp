#include "common/dbf/index_bulk.h"

#include "common/dbf/index_build.h"
#include "common/dbf/index_session.h"

namespace dn::dbf {

IndexBulkChange::IndexBulkChange(IndexFile& index)
    : index_(index), session_(std::make_unique<IndexSession>(index, true, true)) {}

IndexBulkChange::~IndexBulkChange() = default;

bool IndexBulkChange::halfWritten() const {
    return session_->halfWritten();
}

bool IndexBulkChange::canRebuild() const {
    return session_->standardLayout();
}

void IndexBulkChange::begin() {
    session_->begin();
}

bool IndexBulkChange::remove(std::string_view key, uint32_t recno) {
    if (session_->halfWritten())
        throw std::logic_error("keys removed from a tree left half-written");
    if (key.size() != index_.keyLength())
        return false;
    return removeIn(*session_, key, recno);
}

void IndexBulkChange::rebuild(const RecordScan& scan, const KeyEvaluator& eval) {
    IndexBuilder builder(index_.definition());
    builder.addRecords(scan, eval);
    std::vector<uint8_t> image = builder.image(index_.tagName());
    session_->writeImage(image);
}

void IndexBulkChange::finish() {
    if (session_->halfWritten())
        throw std::logic_error("a change left half-written ends only with a rebuild");
    session_->finish();
}

} // namespace dn::dbf
