#include "app/procedures.h"
#include "panel_fixture.h"
#include "toolkit/print/setup.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace paneltest;
using dn::TDialog;
using dn::TMenu;
namespace t = dn::test;

namespace {

// A right click on the panel at row, then the script on the menu.
void rightClick(TDialog& d, int row) {
    t::click(d.hWnd(), 30, row, false, Qt::RightButton);
}

bool topMost(TDialog& d) {
    return d.hWnd()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

} // namespace

TEST_F(PanelFixture, MenuHasItsFifteenItemsInOrder) {
    setName(1, "Anna");
    t::DialogDriver drive;
    std::vector<std::string> prompts;
    drive.onMenu([&](TMenu& m) {
        for (const auto& item : m.aItems())
            prompts.push_back(item.cPrompt);
        m.Close();
    });
    drive.on("DELTRANOTA", [](TDialog& d) {
        rightClick(d, 10);
        t::closeBox(d);
    });
    runPanel();
    const std::vector<std::string> want = {"Rubrica telefonica...",
                                           "",
                                           "Calendario...",
                                           "",
                                           "Gestione nomi...",
                                           "Posizione iniziale...",
                                           "",
                                           "Manutenzione archivi...",
                                           "",
                                           "Imposta stampante...",
                                           "",
                                           "Salvataggio dati...",
                                           "Ripristino dati...",
                                           "",
                                           "Informazioni..."};
    EXPECT_EQ(prompts, want);
}

TEST_F(PanelFixture, AboutBoxAndPrinterSetupLeaveTheTopLayerWhileOpen) {
    setName(1, "Anna");
    bool setupAsked = false;
    bool topWhileSetup = true;
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [&](TDialog& panel) {
        drive.onMenu([](TMenu& m) { m.Choose("Informazioni..."); });
        drive.on("INFOS", [&](TDialog& about) {
            EXPECT_FALSE(topMost(panel));
            // The panel's timers keep running under the modal box: the clock line
            // follows a clock moved on by a minute.
            const QImage before = panel.hWnd()->grab().toImage();
            dn::clock::advance(60 * 1000);
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return panel.hWnd()->grab().toImage() != before; }, 20000));
            t::closeBox(about);
        });
        rightClick(panel, 10);
        EXPECT_TRUE(topMost(panel));

        auto old = dn::print::setSetupDialogHook([&](dn::print::PrinterChoice&) {
            setupAsked = true;
            topWhileSetup = topMost(panel);
            return false;
        });
        drive.onMenu([](TMenu& m) { m.Choose("Imposta stampante..."); });
        rightClick(panel, 10);
        dn::print::setSetupDialogHook(old);
        EXPECT_TRUE(topMost(panel));
        t::closeBox(panel);
    });
    runPanel();
    EXPECT_TRUE(setupAsked);
    EXPECT_FALSE(topWhileSetup);
}

TEST_F(PanelFixture, ConfirmedNamesRebuildThePanelCancelledChangeNothing) {
    setName(1, "Anna");
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [&](TDialog& panel) {
        // Cancelled: no rebuild, and the typed name is not kept.
        drive.onMenu([](TMenu& m) { m.Choose("Gestione nomi..."); });
        drive.on("NOMI", [](TDialog& d) {
            t::type(d, 102, "Bruno");
            t::press(d, 202);
        });
        rightClick(panel, 10);
        EXPECT_TRUE(panel.IsActive());
        EXPECT_EQ(dn::config::variables().text("CFG_NM02"), "");
        EXPECT_EQ(dn::config::variables().text("CFG_NM01"), "Anna");
        // An empty first name is refused.
        drive.onMenu([](TMenu& m) { m.Choose("Gestione nomi..."); });
        drive.on("NOMI", [&](TDialog& d) {
            t::type(d, 101, " ");
            t::press(d, 201);
            EXPECT_TRUE(d.IsActive());
            ASSERT_EQ(messages_.asked.size(), 1u);
            EXPECT_EQ(messages_.asked[0].text, "Campo non valido.");
            t::type(d, 101, "Anna");
            t::type(d, 102, "Bruno");
            t::press(d, 201);
        });
        drive.on("DELTRANOTA", [](TDialog& rebuilt) {
            EXPECT_EQ(dn::app::runningPanel()->n, 2);
            EXPECT_EQ(rebuilt.aControls[2]->GetText(), "Bruno");
            t::closeBox(rebuilt);
        });
        rightClick(panel, 10);
    });
    runPanel();
    EXPECT_EQ(drive.started.size(), 4u);
    EXPECT_EQ(dn::config::variables().text("CFG_NM02"), "Bruno");
}

TEST_F(PanelFixture, NewPositionRebuildsThePanelThere) {
    setName(1, "Anna");
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [&](TDialog& panel) {
        drive.onMenu([](TMenu& m) { m.Choose("Posizione iniziale..."); });
        drive.on("POSINIZ", [](TDialog& d) {
            t::type(d, 101, "10");
            t::press(d, 102);
            t::type(d, 103, "20");
            t::press(d, 104);
            t::press(d, 201);
        });
        drive.on("DELTRANOTA", [](TDialog& rebuilt) {
            const QSize s = QGuiApplication::primaryScreen()->geometry().size();
            const QRect f = rebuilt.hWnd()->frameGeometry();
            EXPECT_EQ(f.top() + f.height(), s.height() - 3);
            EXPECT_EQ(f.left() + f.width(), s.width() - 13);
            t::closeBox(rebuilt);
        });
        rightClick(panel, 10);
    });
    runPanel();
}

TEST_F(PanelFixture, CalendarOpensTheListOfTheClickedSlotOnly) {
    setName(1, "Anna");
    setName(2, "Bruno");
    auto pickFirstCell = [](TDialog& cal) {
        QWidget* w = cal.aControls.at(7)->hWnd();
        t::click(cal.hWnd(), w->geometry().center().x(), w->geometry().center().y());
    };
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [&](TDialog& panel) {
        // Below the last slot: a date is picked, nothing opens.
        drive.onMenu([](TMenu& m) { m.Choose("Calendario..."); });
        drive.on("CALENDAR", pickFirstCell);
        rightClick(panel, 60);
        EXPECT_TRUE(messages_.asked.empty());
        // Slot 2's row: its list as of the picked day (the grid's first cell is the
        // Sunday before 1 April 2025).
        drive.onMenu([](TMenu& m) { m.Choose("Calendario..."); });
        drive.on("CALENDAR", pickFirstCell);
        drive.on("SCADENZE", [](TDialog& list) {
            EXPECT_EQ(list.GetText(), "Deltranota per Bruno di Domenica 30 Marzo 2025 - 0 di 0");
            t::press(list, 201);
        });
        rightClick(panel, 30);
        // Cancelled: nothing.
        drive.onMenu([](TMenu& m) { m.Choose("Calendario..."); });
        drive.on("CALENDAR", [](TDialog& cal) { t::closeBox(cal); });
        rightClick(panel, 30);
        EXPECT_TRUE(messages_.asked.empty());
        EXPECT_EQ(drive.started, (std::vector<std::string>{"DELTRANOTA", "CALENDAR", "CALENDAR",
                                                           "SCADENZE", "CALENDAR"}));
        t::closeBox(panel);
    });
    runPanel();
}
