#include "common/dbf/index_cursor.h"

namespace dn::dbf {

bool IndexCursor::goTop() {
    current_ = index_->first(scope_);
    bof_ = !current_;
    found_ = false;
    return current_.has_value();
}

bool IndexCursor::goBottom() {
    current_ = index_->last(scope_);
    bof_ = !current_;
    found_ = false;
    return current_.has_value();
}

bool IndexCursor::seek(std::string_view value, SeekMode mode, bool soft) {
    SeekResult r = index_->seek(value, mode, soft, scope_);
    current_ = std::move(r.entry);
    found_ = r.found;
    bof_ = false;
    return found_;
}

long IndexCursor::skip(long n) {
    found_ = false;
    if (n == 0) {
        if (current_)
            current_ = index_->skip(*current_, 0, scope_).entry;
        return 0;
    }
    if (n > 0) {
        bof_ = false;
        if (!current_)
            return 0;
        SkipResult r = index_->skip(*current_, n, scope_);
        current_ = std::move(r.entry);
        return r.moved;
    }
    long moved = 0;
    if (!current_) {
        // Back from end of file: the last key is the first step.
        current_ = index_->last(scope_);
        if (!current_) {
            bof_ = true;
            return 0;
        }
        moved = 1;
        ++n;
        if (n == 0) {
            bof_ = false;
            return moved;
        }
    }
    SkipResult r = index_->skip(*current_, n, scope_);
    bof_ = r.bof;
    current_ = std::move(r.entry);
    return moved + r.moved;
}

void IndexCursor::goTo(const IndexEntry& e) {
    current_ = e;
    bof_ = false;
    found_ = false;
}

} // namespace dn::dbf
