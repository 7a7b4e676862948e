#pragma once

// The deadline windows under test: a data folder with the deadline table (see
// PanelFixture), a panel built from its template with the slots' labels and
// lamps (the list takes the slot's name from it), and helpers to open the list
// and to look at it.

#include "app/deadline_list.h"
#include "app/panel_fixture.h"
#include "app/procedures.h"
#include "common/ui/ctl.h"
#include "common/util/calendar.h"
#include "toolkit/browse.h"

#include <QAbstractScrollArea>

#include <memory>
#include <optional>

namespace deadlinetest {

using namespace paneltest;
namespace t = dn::test;
using dn::TDialog;
using dn::TWBrowse;

class DeadlineFixture : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        setName(1, "Ufficio");
        setName(2, "Anna");
        panel_ = std::make_unique<TDialog>("DELTRANOTA");
        const dn::app::Names names = dn::app::readNames();
        for (int i = 1; i <= 2; ++i) {
            dn::app::MKSAY(*panel_, names, i);
            dn::TBtnBmp::Redefine(100 + 2 * i, "SPENTO", nullptr, *panel_);
        }
    }
    void TearDown() override {
        panel_.reset();
        PanelFixture::TearDown();
    }

    // A click in the middle of slot's row of the panel.
    static int rowOf(int slot) { return static_cast<int>((slot - 0.5) * dn::app::kRowHeight); }

    // Opens slot's list (as of date, default today) with two shown slots; the
    // script runs on the list, which it must close.
    void openList(int slot, t::DialogDriver::Script script, std::optional<Date> date = {}) {
        drive_.on("SCADENZE", std::move(script));
        dn::app::SCADENZE(*panel_, rowOf(slot), 2, date);
    }

    std::unique_ptr<TDialog> panel_;
    t::DialogDriver drive_;
};

// The list control of the deadline list.
inline TWBrowse& listOf(TDialog& d) {
    auto* list = dynamic_cast<TWBrowse*>(dn::ui::ITEM(d, 101));
    if (!list)
        throw std::logic_error("no list 101");
    return *list;
}

// Texts of the rows the list shows (column 4: the bitmap's name).
inline std::vector<std::vector<std::string>> rows(TDialog& d) {
    return listOf(d).ShownRows();
}

inline bool enabled(TDialog& d, int id) {
    QWidget* w = t::widget(d, id);
    return w && w->isEnabled();
}

// A key pressed in the list.
inline void listKey(TDialog& d, int qtKey) {
    TWBrowse& list = listOf(d);
    list.SetFocus();
    t::key(list.hWnd(), qtKey);
}

// A click in column col (1-based) of the shown row (1-based).
inline void clickCell(TDialog& d, int row, int col, bool dbl = false) {
    TWBrowse& list = listOf(d);
    int x = 0;
    for (int c = 0; c + 1 < col; ++c)
        x += list.aColSizes[static_cast<size_t>(c)];
    x += list.aColSizes[static_cast<size_t>(col - 1)] / 2;
    const int y = list.HeaderHeight() + (row - 1) * list.RowHeight() + list.RowHeight() / 2;
    auto* area = static_cast<QAbstractScrollArea*>(list.hWnd());
    t::click(area->viewport(), x, y, dbl);
}

// The records of the deadline table as (recno, deleted, done), read afresh.
struct Stored {
    bool deleted = false;
    bool done = false;
    Date date;
    std::string time;
    std::string text;
};
inline Stored stored(uint32_t recno) {
    dn::dbf::Table t;
    t.open("SCADENZE.DBF", {true, true});
    t.goTo(recno);
    return {t.deleted(), t.get("EVASA").logical(), t.get("DATA").date(), t.get("ORA").text(),
            t.get("INCOMBENZA").text()};
}
inline uint32_t recordCount() {
    dn::dbf::Table t;
    t.open("SCADENZE.DBF", {true, true});
    return t.recordCount();
}

} // namespace deadlinetest
