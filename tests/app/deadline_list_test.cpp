// The deadline list of a person slot, on the offscreen platform with a set clock
// (Wednesday 23 April 2025) and prepared tables.

#include "deadline_fixture.h"

#include "app/deadline_editor.h"
#include "common/data/workspace.h"
#include "common/util/scramble.h"
#include "tests/support/files.h"
#include "tests/support/print_helpers.h"
#include "toolkit/print/preview.h"
#include "toolkit/timer.h"
#include "toolkit/toolkit.h"

#include <QDateTime>
#include <QScrollBar>

#include <algorithm>
#include <chrono>

using namespace deadlinetest;

namespace {

class DeadlineList : public DeadlineFixture {};

const dn::tk::Color kRed = dn::tk::rgb(255, 0, 0);

} // namespace

TEST_F(DeadlineList, TitleCountsTheRowsShownAndAllTheSlotsDeadlines) {
    const Date monday = day(2026, 12, 7);
    addDeadline(1, monday.addDays(-30), false);
    addDeadline(1, monday, false, "09:30");
    addDeadline(1, monday, false);
    for (int i = 0; i < 20; ++i)
        addDeadline(1, monday.addDays(-i), true); // done
    for (int i = 1; i <= 18; ++i)
        addDeadline(1, monday.addDays(i), false); // not due yet
    addDeadline(2, monday, false);                // another slot's
    addDeadline(10, monday, false);
    openList(
        1,
        [](TDialog& d) {
            EXPECT_EQ(d.GetText(), "Deltranota per Ufficio di Luned\xEC 7 Dicembre 2026 - 3 di 41");
            const auto shown = rows(d);
            ASSERT_EQ(shown.size(), 3u);
            EXPECT_EQ(shown[0][0], "07/11/2026 Sab");
            // Keys run date then time: the blank time first.
            EXPECT_EQ(shown[1][1], "     ");
            EXPECT_EQ(shown[2][1], "09:30");
            EXPECT_EQ(shown[2][3], "NOSELECT");
            t::press(d, 206); // "&Tutte"
            EXPECT_EQ(d.GetText(),
                      "Deltranota per Ufficio di Luned\xEC 7 Dicembre 2026 - 41 di 41");
            t::press(d, 201);
        },
        monday);
    EXPECT_EQ(dn::data::areaOf("SCADENZE"), nullptr) << "the table is closed with the window";
    EXPECT_EQ(dn::data::SELECT(), 1);
}

TEST_F(DeadlineList, EmptySlotShowsNoRowsAndOnlyTheButtonsThatNeedNone) {
    const uint32_t other = addDeadline(1, kToday, false);
    openList(2, [](TDialog& d) {
        EXPECT_EQ(d.GetText(), "Deltranota per Anna di Mercoled\xEC 23 Aprile 2025 - 0 di 0");
        EXPECT_TRUE(rows(d).empty());
        for (int id : {203, 204, 208})
            EXPECT_FALSE(enabled(d, id)) << id;
        for (int id : {201, 202, 205, 206, 207, 209})
            EXPECT_TRUE(enabled(d, id)) << id;
        // Space and Enter in an empty list change nothing and open nothing.
        listKey(d, Qt::Key_Space);
        listKey(d, Qt::Key_Return);
        t::closeBox(d);
    });
    EXPECT_FALSE(stored(other).done);
    EXPECT_EQ(recordCount(), 1u);
    EXPECT_TRUE(messages_.asked.empty());
}

TEST_F(DeadlineList, SpaceOnTheOnlyPendingDeadlineTakesItOutOfTheListUntilTutte) {
    const uint32_t only = addDeadline(1, kToday.addDays(-2), false, "", "Bollette");
    openList(1, [](TDialog& d) {
        ASSERT_EQ(rows(d).size(), 1u);
        EXPECT_TRUE(enabled(d, 203));
        listKey(d, Qt::Key_Space);
        EXPECT_TRUE(rows(d).empty());
        EXPECT_FALSE(enabled(d, 203)) << "the buttons follow the list at once";
        // The title is rebuilt only by the actions that change what is counted.
        EXPECT_EQ(d.GetText(), "Deltranota per Ufficio di Mercoled\xEC 23 Aprile 2025 - 1 di 1");
        t::press(d, 206);
        const auto shown = rows(d);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0][2], "Bollette");
        EXPECT_EQ(shown[0][3], "SELECT");
        // Space again: not done, and under "Tutte" it stays listed.
        listKey(d, Qt::Key_Space);
        ASSERT_EQ(rows(d).size(), 1u);
        EXPECT_EQ(rows(d)[0][3], "NOSELECT");
        listKey(d, Qt::Key_Space);
        t::press(d, 201);
    });
    EXPECT_TRUE(stored(only).done);
}

TEST_F(DeadlineList, TomorrowIsListedFromTheCalendarButNotFromAClickToday) {
    addDeadline(1, kToday.addDays(1), false, "", "Domani");
    openList(1, [](TDialog& d) {
        EXPECT_TRUE(rows(d).empty());
        EXPECT_EQ(d.GetText(), "Deltranota per Ufficio di Mercoled\xEC 23 Aprile 2025 - 0 di 1");
        t::press(d, 206);
        EXPECT_EQ(rows(d).size(), 1u);
        t::press(d, 201);
    });
    openList(
        1,
        [](TDialog& d) {
            ASSERT_EQ(rows(d).size(), 1u);
            EXPECT_EQ(rows(d)[0][0], "24/04/2025 Gio");
            t::press(d, 201);
        },
        kToday.addDays(1));
}

TEST_F(DeadlineList, HolidaysAndSundaysAreRedSaturdaysAndWorkdaysAreNot) {
    addDeadline(1, day(2025, 4, 24), false, "", "Giovedi");
    addDeadline(1, day(2025, 4, 25), false, "", "Liberazione");
    addDeadline(1, day(2025, 4, 26), false, "", "Sabato");
    addDeadline(1, day(2025, 4, 27), false, "", "Domenica");
    openList(
        1,
        [](TDialog& d) {
            TWBrowse& list = listOf(d);
            ASSERT_EQ(list.Rows().size(), 4u);
            const dn::tk::Color black = dn::tk::rgb(0, 0, 0);
            const dn::tk::Color highlight = dn::tk::getSysColor(13);
            const bool red[] = {false, true, false, true};
            for (size_t i = 0; i < 4; ++i) {
                EXPECT_EQ(list.Rows()[i].text, red[i] ? kRed : black) << i;
                EXPECT_EQ(list.Rows()[i].focusPane, red[i] ? kRed : highlight) << i;
            }
            // The done column is in sight: the task column gives way to it.
            EXPECT_LE(list.aColSizes[0] + list.aColSizes[1] + list.aColSizes[2] + list.aColSizes[3],
                      list.nClientWidth());
            // The selected holiday row is painted red across.
            listKey(d, Qt::Key_Down);
            const QImage shot = list.hWnd()->grab().toImage();
            const int y = list.HeaderHeight() + list.RowHeight() + list.RowHeight() / 2;
            const QColor c = shot.pixelColor(list.aColSizes[0] + list.aColSizes[1] + 300, y + 2);
            EXPECT_EQ(c, QColor(255, 0, 0));
            t::press(d, 201);
        },
        day(2025, 4, 30));
}

TEST_F(DeadlineList, MultiLineTaskShowsOnOneLine) {
    addDeadline(1, kToday, false, "08:00", "Prima riga\r\nseconda riga\r\nterza");
    openList(1, [](TDialog& d) {
        ASSERT_EQ(rows(d).size(), 1u);
        EXPECT_EQ(rows(d)[0][2], "Prima riga seconda riga terza");
        EXPECT_EQ(rows(d)[0][1], "08:00");
        t::press(d, 201);
    });
}

TEST_F(DeadlineList, ClickBelowTheLastShownRowOpensNothingAndAsksNoPassword) {
    dn::config::variables().set("CFG_PW03", dn::Value(dn::CRYPT(std::string("segreto   "))));
    // Slot 3 is beyond the two shown; a row above the panel is nobody's.
    dn::app::SCADENZE(*panel_, rowOf(3), 2);
    dn::app::SCADENZE(*panel_, -5, 2);
    EXPECT_TRUE(drive_.started.empty());
    EXPECT_TRUE(messages_.asked.empty());
}

TEST_F(DeadlineList, ClickInTheDoneColumnTogglesDoubleClickElsewhereEdits) {
    const uint32_t first = addDeadline(1, kToday.addDays(-1), false, "", "Primo");
    addDeadline(1, kToday, false, "", "Secondo");
    openList(1, [&](TDialog& d) {
        ASSERT_EQ(rows(d).size(), 2u);
        // A click in the task column only selects.
        clickCell(d, 2, 3);
        EXPECT_EQ(rows(d).size(), 2u);
        drive_.on("SCADENZA", [](TDialog& e) {
            EXPECT_EQ(e.GetText(), "Modifica");
            EXPECT_EQ(t::text(e, 106), "Primo");
            t::press(e, 202);
        });
        clickCell(d, 1, 3, true);
        // Column 4 of the first row: done, and out of the list.
        clickCell(d, 1, 4);
        ASSERT_EQ(rows(d).size(), 1u);
        EXPECT_EQ(rows(d)[0][2], "Secondo");
        // Enter edits the current row, which is now the one that followed.
        drive_.on("SCADENZA", [](TDialog& e) {
            EXPECT_EQ(t::text(e, 106), "Secondo");
            t::press(e, 202);
        });
        listKey(d, Qt::Key_Return);
        t::press(d, 201);
    });
    EXPECT_TRUE(stored(first).done);
}

TEST_F(DeadlineList, PrintingLeavesTheCurrentRecordWhereItWasAlsoAfterACancelledPrint) {
    for (int i = 0; i < 150; ++i)
        addDeadline(1, kToday.addDays(-i), false, "", "Pratica " + std::to_string(i));
    t::PrintEnv env;
    dn::print::settings().printers = [] { return std::vector<std::string>{"Laser Ufficio"}; };
    dn::print::settings().defaultPrinter = [] { return std::string("Laser Ufficio"); };
    int previews = 0;
    int pages = 0;
    dn::print::settings().previewShown = [&](dn::TPreview& pv) {
        ++previews;
        pages = pv.nPages();
        pv.GoBottom(); // paging through the preview moves nothing in the list
        if (previews == 2) {
            // The print dialog cancelled, then the preview closed.
            drive_.on("PRINT", [](TDialog& p) { t::press(p, 202); });
            pv.ToolButton(dn::TPreview::PrintBtn)->click();
        }
        pv.ToolButton(dn::TPreview::Exit)->click();
    };
    openList(1, [&](TDialog& d) {
        listKey(d, Qt::Key_PageDown);
        listKey(d, Qt::Key_Down);
        const uint32_t at = dn::data::DBRECNO();
        const int rowPos = listOf(d).nRowPos;
        const auto shown = rows(d);
        ASSERT_GT(rowPos, 1);
        for (int round = 1; round <= 2; ++round) {
            SCOPED_TRACE(round);
            t::press(d, 208);
            EXPECT_EQ(previews, round);
            EXPECT_EQ(dn::data::DBRECNO(), at);
            EXPECT_EQ(listOf(d).nRowPos, rowPos);
            EXPECT_EQ(rows(d), shown);
        }
        t::press(d, 201);
    });
    // The report ran past its first page and counted its pages meanwhile.
    ASSERT_GT(pages, 1);
    EXPECT_NE(std::find(messages_.waits.begin(), messages_.waits.end(),
                        "Sto stampando la pagina n.: " + std::to_string(pages)),
              messages_.waits.end());
    EXPECT_FALSE(messages_.currentWait());
    EXPECT_TRUE(messages_.asked.empty());
}

TEST_F(DeadlineList, ScrollBarShowsWhereTheCurrentRowIs) {
    for (int i = 0; i < 150; ++i)
        addDeadline(1, kToday.addDays(-i), i % 2 == 0, "", "Pratica " + std::to_string(i));
    openList(1, [&](TDialog& d) {
        auto* area = static_cast<QAbstractScrollArea*>(listOf(d).hWnd());
        QScrollBar* bar = area->verticalScrollBar();
        // The first view: the 75 not done.
        EXPECT_EQ(bar->maximum(), 75);
        EXPECT_EQ(bar->value(), 1);
        listKey(d, Qt::Key_Down);
        EXPECT_EQ(bar->value(), 2);
        listKey(d, Qt::Key_End);
        EXPECT_EQ(bar->value(), 75);
        // All of them, from the top.
        t::press(d, 206);
        EXPECT_EQ(bar->maximum(), 150);
        EXPECT_EQ(bar->value(), 1);
        listKey(d, Qt::Key_End);
        EXPECT_EQ(bar->value(), 150);
        listKey(d, Qt::Key_Home);
        listKey(d, Qt::Key_PageDown);
        EXPECT_EQ(bar->value(), static_cast<int>(listOf(d).nRowCount()) + 1);
        t::press(d, 201);
    });
}

TEST_F(DeadlineList, PasswordGuardsTheList) {
    dn::config::variables().set("CFG_PW01", dn::Value(dn::CRYPT(std::string("Segreto   "))));
    // Wrong case: refused, the list does not open.
    drive_.on("PASSWD", [](TDialog& p) {
        t::type(p, 101, "segreto");
        t::press(p, 201);
    });
    dn::app::SCADENZE(*panel_, rowOf(1), 2);
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text, "Password non corretta.");
    // Abandoned: nothing shows.
    drive_.on("PASSWD", [](TDialog& p) { t::escape(p); });
    dn::app::SCADENZE(*panel_, rowOf(1), 2);
    EXPECT_EQ(messages_.asked.size(), 1u);
    // Right: the list opens.
    drive_.on("PASSWD", [](TDialog& p) {
        t::type(p, 101, "Segreto");
        t::press(p, 201);
    });
    openList(1, [](TDialog& d) { t::press(d, 201); });
    EXPECT_EQ(drive_.started, (std::vector<std::string>{"PASSWD", "PASSWD", "PASSWD", "SCADENZE"}));
}

TEST_F(DeadlineList, DamagedIndexIsReportedAndNothingStaysOpen) {
    addDeadline(1, kToday, false);
    dn::data::DBSELECTAREA(3);
    dn::test::writeFile((fs::path(folder_.path()) / "SCADENZE.NTX").string(), "rotto");
    dn::app::SCADENZE(*panel_, rowOf(1), 2);
    EXPECT_TRUE(drive_.started.empty());
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_NE(messages_.asked[0].text.find("SCADENZE.NTX"), std::string::npos)
        << messages_.asked[0].text;
    EXPECT_EQ(dn::data::areaOf("SCADENZE"), nullptr);
    EXPECT_EQ(dn::data::SELECT(), 3);
}

TEST_F(DeadlineList, DeadlineAddedLightsTheLampAtTheNextTickAndDoneTurnsItOffAfterTheList) {
    // The clock at the real time, so that the table file's times and the lamp
    // scans compare as in use; the table was written a minute ago.
    const QDateTime now = QDateTime::currentDateTime();
    dn::clock::setFixed(day(now.date().year(), now.date().month(), now.date().day()),
                        now.time().msecsSinceStartOfDay());
    const fs::path table = fs::path(folder_.path()) / "SCADENZE.DBF";
    fs::last_write_time(table, fs::last_write_time(table) - std::chrono::minutes(1));
    auto tick = [] { dn::app::runningPanel()->lampTimer->bAction(); };
    drive_.on("DELTRANOTA", [&](TDialog& panel) {
        EXPECT_EQ(lamp(panel, 1), "SPENTO");
        drive_.on("SCADENZE", [&](TDialog& d) {
            drive_.on("SCADENZA", [](TDialog& e) {
                t::type(e, 106, "Da fare oggi");
                t::press(e, 201);
            });
            t::press(d, 202);
            tick();
            EXPECT_EQ(lamp(panel, 1), "ACCESO");
            listKey(d, Qt::Key_Space);
            EXPECT_TRUE(rows(d).empty());
            t::press(d, 201);
        });
        t::click(panel.hWnd(), 30, rowOf(1));
        EXPECT_EQ(lamp(panel, 1), "SPENTO") << "refreshed as the list closed";
        t::closeBox(panel);
    });
    runPanel();
}
