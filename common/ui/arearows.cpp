#include "common/ui/arearows.h"

namespace dn::ui {

void AreaRows::goTop() {
    area_->goTop();
}

void AreaRows::goBottom() {
    area_->goBottom();
}

long AreaRows::skip(long n) {
    if (n == 0 || (n > 0 && area_->eof()))
        return 0;
    const long moved = area_->skip(n);
    if (n > 0) {
        // Past the last row: stand on the last one again.
        if (area_->eof())
            area_->goBottom();
        return moved;
    }
    return -moved;
}

bool AreaRows::eof() const {
    return area_->eof();
}

long AreaRows::position() const {
    return area_->eof() ? 0 : static_cast<long>(area_->recordNumber());
}

void AreaRows::goTo(long position) {
    if (position > 0)
        area_->goTo(static_cast<uint32_t>(position));
}

long AreaRows::count() {
    return static_cast<long>(area_->keyCount());
}

long AreaRows::ordinal() {
    return area_->eof() ? 0 : static_cast<long>(area_->keyNumber());
}

} // namespace dn::ui
