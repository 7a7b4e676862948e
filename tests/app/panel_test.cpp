#include "app/mainwindow.h"
#include "app/procedures.h"
#include "panel_fixture.h"
#include "tests/support/files.h"
#include "toolkit/widgets.h"

#include <cmath>

using namespace paneltest;
using dn::TDialog;
namespace t = dn::test;

TEST_F(PanelFixture, NamesInSlotsOneAndThreeGiveThreeRows) {
    setName(1, "Anna");
    setName(3, "Carlo");
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [&](TDialog& d) {
        ASSERT_NE(dn::app::runningPanel(), nullptr);
        EXPECT_EQ(dn::app::runningPanel()->n, 3);
        // Labels and lamps of the shown slots in turn, then the other lamps.
        ASSERT_EQ(d.aControls.size(), 13u);
        const int ids[] = {101, 102, 103, 104, 105, 106, 108, 110, 112, 114, 116, 118, 120};
        for (size_t i = 0; i < 13; ++i)
            EXPECT_EQ(d.aControls[i]->nId, ids[i]) << i;
        EXPECT_EQ(d.aControls[0]->GetText(), "Anna");
        EXPECT_EQ(d.aControls[2]->GetText(), "");
        EXPECT_EQ(d.aControls[4]->GetText(), "Carlo");
        for (int i = 1; i <= 3; ++i)
            EXPECT_TRUE(d.ControlWidget(dn::app::lampId(i))->isVisible()) << i;
        for (int i = 4; i <= 10; ++i)
            EXPECT_FALSE(d.ControlWidget(dn::app::lampId(i))->isVisible()) << i;
        // The window itself: 24.35 px a row, the caption allowance and 33 px more.
        t::settle();
        const int c = dn::app::captionAllowance();
        EXPECT_EQ(d.hWnd()->frameGeometry().height(), static_cast<int>(24.35 * 3 + c + 33));
        // The row lines of the three slots and the one under the clock line.
        int lines = 0;
        for (QWidget* w : d.hWnd()->findChildren<QWidget*>())
            if (w->property(dn::tk::kKindProperty).toString() == "line" && w->isVisible())
                ++lines;
        EXPECT_EQ(lines, 4);
        t::closeBox(d);
    });
    runPanel();
    EXPECT_EQ(dn::app::runningPanel(), nullptr);
}

TEST_F(PanelFixture, FirstStartAsksForNamesBeforeThePanel) {
    t::DialogDriver drive;
    drive.on("NOMI", [](TDialog& d) {
        t::type(d, 101, "Ufficio");
        t::press(d, 201);
    });
    drive.on("DELTRANOTA", [](TDialog& d) {
        EXPECT_EQ(d.aControls[0]->GetText(), "Ufficio");
        t::closeBox(d);
    });
    runPanel();
    EXPECT_NE(t::readFile("DELTRA.CFG").find("CFG_NM01=CUfficio\r\n"), std::string::npos)
        << t::readFile("DELTRA.CFG");
}

TEST_F(PanelFixture, FirstStartWithNamesCancelledShowsNoPanel) {
    t::DialogDriver drive;
    drive.on("NOMI", [](TDialog& d) {
        t::type(d, 101, "Ufficio");
        t::press(d, 202);
    });
    runPanel();
    EXPECT_EQ(drive.started, std::vector<std::string>{"NOMI"});
    // What was typed before cancelling is not kept.
    EXPECT_EQ(dn::config::variables().text("CFG_NM01"), "");
}

TEST_F(PanelFixture, EscapeLeavesThePanelOpenAndTheCloseBoxEndsIt) {
    setName(1, "Anna");
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [](TDialog& d) {
        t::escape(d);
        t::settle();
        EXPECT_TRUE(d.IsActive());
        t::closeBox(d);
        EXPECT_FALSE(d.IsActive());
    });
    runPanel();
}

TEST_F(PanelFixture, MainWindowRunsThePanelAndEndsWithIt) {
    setName(1, "Anna");
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [](TDialog& d) { t::closeBox(d); });
    EXPECT_EQ(dn::app::runMainWindow(), 0);
    EXPECT_EQ(drive.started, std::vector<std::string>{"DELTRANOTA"});
}

TEST_F(PanelFixture, ClickOnTheClockLineOpensNothing) {
    setName(1, "Anna");
    setName(2, "Bruno");
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [&](TDialog& d) {
        t::settle();
        // On the clock line where it is drawn, below the two rows.
        const DrawnText clock = drawnClock(d, 2, d.hWnd()->grab().toImage());
        EXPECT_FALSE(clock.box.isNull()) << "no clock line drawn";
        if (!clock.box.isNull()) {
            t::click(d.hWnd(), clock.box.center().x(), clock.box.center().y());
            t::settle();
            EXPECT_TRUE(messages_.asked.empty());
        }
        // Slot 2's row opens that slot's list.
        drive.on("SCADENZE", [](TDialog& list) {
            EXPECT_EQ(list.GetText().rfind("Deltranota per Bruno di ", 0), 0u) << list.GetText();
            t::press(list, 201);
        });
        t::click(d.hWnd(), 30, 30);
        t::settle();
        EXPECT_TRUE(messages_.asked.empty());
        t::closeBox(d);
    });
    runPanel();
}

TEST(PanelGeometry, BottomRightAnchorsAndTruncation) {
    for (int n = 1; n <= 10; ++n) {
        for (int c : {23, 28, 36}) {
            const auto g = dn::app::panelGeometry(n, c, 105, 1280, 1024, 10, true, 20, true);
            EXPECT_EQ(g.top + g.height, 1024 - 3) << n << " " << c;
            EXPECT_EQ(g.left + g.width, 1280 - 13) << n << " " << c;
            const auto z = dn::app::panelGeometry(n, c, 105, 1280, 1024, 0, true, 0, true);
            EXPECT_EQ(z.top + z.height, 1024 + 7);
            EXPECT_EQ(z.left + z.width, 1280 + 7);
        }
    }
    const auto g = dn::app::panelGeometry(3, 28, 105, 1280, 1024, 5, false, 7, false);
    EXPECT_EQ(g.top, 5);
    EXPECT_EQ(g.left, 7);
    EXPECT_EQ(g.height, 134); // 73.05 + 28 + 33, truncated
    EXPECT_EQ(g.width, 108);
}

TEST(PanelGeometry, MarginsThatWouldPutThePanelOffTheScreenBringItBack) {
    using dn::app::panelGeometry;
    const double huge = 99999999999.0;
    for (bool bottom : {false, true}) {
        for (bool right : {false, true}) {
            for (double m : {huge, -huge, 1e300, -1e300, std::nan("")}) {
                const auto g = panelGeometry(3, 28, 105, 1280, 1024, m, bottom, m, right);
                EXPECT_GE(g.top, -7) << m;
                EXPECT_LE(g.top + g.height, 1024 + 7) << m;
                EXPECT_GE(g.left, -7) << m;
                EXPECT_LE(g.left + g.width, 1280 + 7) << m;
            }
            // The far edge is reached exactly, and nothing past it.
            EXPECT_EQ(panelGeometry(3, 28, 105, 1280, 1024, -huge, bottom, -huge, right).top,
                      bottom ? 1024 + 7 - 134 : -7);
        }
    }
    // Margins that fit keep their placement, a few pixels past the edges included.
    EXPECT_EQ(panelGeometry(3, 28, 105, 1280, 1024, -7, false, -5, false).top, -7);
    EXPECT_EQ(panelGeometry(3, 28, 105, 1280, 1024, -7, false, -5, false).left, -5);
    EXPECT_EQ(panelGeometry(3, 28, 105, 1280, 1024, 1024 - 134 + 7, false, 0, false).top,
              1024 - 134 + 7);
    EXPECT_EQ(panelGeometry(3, 28, 105, 1280, 1024, -7, true, -7, true).top + 134, 1024 + 7);
    // A screen smaller than the panel shows its top-left part.
    EXPECT_EQ(panelGeometry(3, 28, 105, 50, 50, huge, true, huge, true).top, -7);
}

TEST_F(PanelFixture, PanelStartsTopMostInTheTopLeftCorner) {
    setName(1, "Anna");
    setName(2, "Bruno");
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [](TDialog& d) {
        const QRect f = d.hWnd()->frameGeometry();
        EXPECT_EQ(f.topLeft(), QPoint(0, 0));
        EXPECT_TRUE(d.hWnd()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        t::closeBox(d);
    });
    runPanel();
}

TEST_F(PanelFixture, ClockWeekdayRedOnHolidaysAndSundaysNotOnSaturdays) {
    setName(1, "Anna");
    const struct {
        Date date;
        bool red;
    } cases[] = {{day(2025, 4, 25), true},   // Liberation Day, a Friday
                 {day(2025, 4, 27), true},   // Sunday
                 {day(2025, 4, 26), false},  // Saturday
                 {day(2025, 4, 23), false}}; // Wednesday
    for (const auto& k : cases) {
        clock_.set(k.date, 10 * 3600 * 1000);
        t::DialogDriver drive;
        drive.on("DELTRANOTA", [&](TDialog& d) {
            t::settle();
            const QImage img = d.hWnd()->grab().toImage();
            // Weekday, date and time, under the last row.
            const DrawnText clock = drawnClock(d, 1, img);
            EXPECT_EQ(clock.words.size(), 3u) << k.date.toText();
            if (clock.words.size() == 3) {
                const QRect weekday = clock.words[0];
                const QRect rest = clock.words[1] | clock.words[2];
                EXPECT_EQ(redPixels(img, weekday) > 0, k.red) << k.date.toText();
                EXPECT_GT(darkPixels(img, rest), 20) << k.date.toText();
                EXPECT_EQ(redPixels(img, rest), 0) << k.date.toText();
            }
            t::closeBox(d);
        });
        runPanel();
    }
}
