#pragma once

// The rows of a work area for a browse: its controlling order within the scope
// and view (record-number order when there is none), deleted records hidden as
// everywhere else.

#include "common/data/area.h"
#include "toolkit/rowsource.h"

namespace dn::ui {

// A RowSource over a work area. The area must stay open for as long as a browse
// shows it. Moving the source moves the area's record pointer.
class AreaRows : public RowSource {
public:
    explicit AreaRows(data::WorkArea& area) : area_(&area) {}

    void goTop() override;
    void goBottom() override;
    long skip(long n) override;
    bool eof() const override;
    long position() const override;
    void goTo(long position) override;
    long count() override;
    // The place of the current record in the area's order (0 when it cannot tell).
    long ordinal() override;

    data::WorkArea& area() const { return *area_; }

private:
    data::WorkArea* area_;
};

} // namespace dn::ui
