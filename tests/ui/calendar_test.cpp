#include "common/ui/calendar.h"
#include "common/util/clock.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "toolkit/binding.h"
#include "toolkit/toolkit.h"

#include <QComboBox>
#include <gtest/gtest.h>

using dn::Date;
using dn::TDialog;
namespace t = dn::test;
namespace ui = dn::ui;

namespace {

Date day(int y, int m, int d) {
    return Date::fromYmd(y, m, d);
}

class CalendarTest : public ::testing::Test {
protected:
    void SetUp() override { t::guiApp(); }

    t::FixedClock clock_{day(2025, 12, 10), 9 * 3600 * 1000};
    t::ScriptedMessages messages_;
};

// Day cell k (0 to 41): controls 8 to 49 of the picker.
dn::TSay* cell(TDialog& d, int k) {
    return dynamic_cast<dn::TSay*>(d.aControls.at(static_cast<size_t>(7 + k)));
}
std::string cellText(TDialog& d, int k) {
    return cell(d, k)->GetText();
}
bool grey(TDialog& d, int k) {
    return cell(d, k)->nClrText() == ui::kCalOtherMonthText;
}
// A real click in the middle of cell k.
void clickCell(TDialog& d, int k) {
    QWidget* w = cell(d, k)->hWnd();
    const QPoint p = w->geometry().center();
    t::click(d.hWnd(), p.x(), p.y());
}
dn::TComboBox* list(TDialog& d, int id) {
    return dynamic_cast<dn::TComboBox*>(t::control(d, id));
}

} // namespace

TEST_F(CalendarTest, GridStartsOnTheSundayOnOrBeforeTheFirst) {
    t::DialogDriver drive;
    // June 2025 begins on a Sunday.
    drive.on("CALENDAR", [](TDialog& d) {
        ASSERT_EQ(d.aControls.size(), 53u);
        EXPECT_EQ(cellText(d, 0), "1 ");
        EXPECT_FALSE(grey(d, 0));
        EXPECT_EQ(cellText(d, 29), "30 ");
        EXPECT_EQ(cellText(d, 30), "1 "); // July
        EXPECT_TRUE(grey(d, 30));
        EXPECT_EQ(cellText(d, 41), "12 ");
        t::closeBox(d);
    });
    EXPECT_EQ(ui::CALENDAR(day(2025, 6, 15)), day(2025, 6, 15));
    // September 2025 begins on a Monday: the first cell is 31 August, in grey.
    drive.on("CALENDAR", [](TDialog& d) {
        EXPECT_EQ(cellText(d, 0), "31 ");
        EXPECT_TRUE(grey(d, 0));
        EXPECT_EQ(cellText(d, 1), "1 ");
        EXPECT_FALSE(grey(d, 1));
        t::closeBox(d);
    });
    ui::CALENDAR(day(2025, 9, 20));
}

TEST_F(CalendarTest, ColoursOfHolidaysTodayAndTheStartDate) {
    t::DialogDriver drive;
    drive.on("CALENDAR", [](TDialog& d) {
        // December 2025 begins on a Monday: cell k shows day k.
        EXPECT_EQ(list(d, 101)->nAt(), 12);
        EXPECT_EQ(list(d, 102)->GetText(), "2025");
        EXPECT_EQ(cell(d, 25)->nClrText(), ui::kCalHolidayText); // Christmas
        EXPECT_EQ(cell(d, 25)->nClrPane(), ui::kCalStartPane);
        EXPECT_EQ(cell(d, 10)->nClrPane(), ui::kCalTodayPane);
        EXPECT_EQ(cell(d, 7)->nClrText(), ui::kCalHolidayText);  // a Sunday
        EXPECT_EQ(cell(d, 8)->nClrText(), ui::kCalHolidayText);  // 8 December
        EXPECT_NE(cell(d, 13)->nClrText(), ui::kCalHolidayText); // a Saturday
        EXPECT_EQ(cell(d, 13)->nClrPane(), dn::tk::getSysColor(dn::tk::kColorButtonFace));
        // The year list runs from 1980 to 2079; another year keeps the start date.
        ASSERT_EQ(list(d, 102)->aItems().size(), 100u);
        EXPECT_EQ(list(d, 102)->aItems().front(), "1980");
        EXPECT_EQ(list(d, 102)->aItems().back(), "2079");
        t::choose(*list(d, 102), 2026 - 1980 + 1);
        EXPECT_EQ(cellText(d, 0), "29 "); // 29 November 2026, a Sunday
        EXPECT_EQ(cellText(d, 2), "1 ");
        EXPECT_TRUE(d.lModify);
        for (int k = 0; k < 42; ++k)
            EXPECT_NE(cell(d, k)->nClrPane(), ui::kCalStartPane) << k;
        t::closeBox(d);
    });
    EXPECT_EQ(ui::CALENDAR(day(2025, 12, 25)), day(2025, 12, 25));
}

TEST_F(CalendarTest, GreyCellsPickAcrossTheYear) {
    t::DialogDriver drive;
    // January 2026 begins on a Thursday: the first cell is 28 December 2025.
    drive.on("CALENDAR", [](TDialog& d) {
        ASSERT_EQ(cellText(d, 0), "28 ");
        clickCell(d, 0);
    });
    EXPECT_EQ(ui::CALENDAR(day(2026, 1, 15)), day(2025, 12, 28));
    // December 2025: the last cell is 10 January 2026.
    drive.on("CALENDAR", [](TDialog& d) {
        ASSERT_EQ(cellText(d, 41), "10 ");
        clickCell(d, 41);
    });
    EXPECT_EQ(ui::CALENDAR(), day(2026, 1, 10));
    // A day of the shown month after the month list changed.
    drive.on("CALENDAR", [](TDialog& d) {
        t::choose(*list(d, 101), 2); // February 2025 begins on a Saturday
        ASSERT_EQ(cellText(d, 6), "1 ");
        clickCell(d, 6);
    });
    EXPECT_EQ(ui::CALENDAR(day(2025, 7, 4)), day(2025, 2, 1));
}

TEST_F(CalendarTest, UnboundWithoutPickReturnsNothing) {
    t::DialogDriver drive;
    drive.on("CALENDAR", [](TDialog& d) { t::escape(d); });
    EXPECT_FALSE(ui::CALENDAR().has_value());
    drive.on("CALENDAR", [](TDialog& d) { t::closeBox(d); });
    EXPECT_FALSE(ui::CALENDAR().has_value());
    EXPECT_TRUE(messages_.asked.empty());
}

TEST_F(CalendarTest, BoundToADateFieldWritesThePick) {
    TDialog owner(100, 100, 200, 300, "Prova");
    Date value = day(2025, 3, 5);
    dn::TGet* field = dn::TGet::New(10, 10, dn::bindVar(value), owner, 90, 20, {});
    t::DialogDriver drive;
    drive.on("CALENDAR", [](TDialog& d) {
        // March 2025 begins on a Saturday: cell 6 is the 1st.
        EXPECT_EQ(cell(d, 10)->nClrPane(), ui::kCalStartPane);
        clickCell(d, 26); // the 21st
    });
    EXPECT_EQ(ui::CALENDAR(*field), day(2025, 3, 21));
    EXPECT_EQ(value, day(2025, 3, 21));
    EXPECT_TRUE(owner.lModify);
    // Closed without a pick: the field's date comes back, the field is untouched.
    owner.lModify = false;
    drive.on("CALENDAR", [](TDialog& d) { t::closeBox(d); });
    EXPECT_EQ(ui::CALENDAR(*field), day(2025, 3, 21));
    EXPECT_FALSE(owner.lModify);
}
