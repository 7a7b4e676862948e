#include "tests/support/gui.h"
#include "tests/support/test_dialogs.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/folder.h"
#include "toolkit/keys.h"
#include "toolkit/menu.h"
#include "toolkit/timer.h"
#include "toolkit/toolkit.h"
#include "toolkit/tray.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace dn;

namespace {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::guiApp();
        test::registerTestDialogs();
    }
};

} // namespace

TEST_F(DialogTest, CloseCheckRunsBeforeEveryCloseAndCanRefuse) {
    TDialog dlg("PROVA");
    int checks = 0;
    bool allow = false;
    TButton::Redefine(
        201, [&] { dlg.End(1); }, dlg);
    test::DialogDriver drive;
    drive.on("PROVA", [&](TDialog& d) {
        test::press(d, 201);
        EXPECT_TRUE(d.IsActive());
        test::escape(d);
        EXPECT_TRUE(d.IsActive());
        test::closeBox(d);
        EXPECT_TRUE(d.IsActive());
        EXPECT_FALSE(d.End(5));
        EXPECT_EQ(checks, 4);
        allow = true;
        test::press(d, 201);
    });
    const int r = dlg.Activate({.valid = [&] {
        ++checks;
        return allow;
    }});
    EXPECT_EQ(checks, 5);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(dlg.nResult, 1);
    EXPECT_FALSE(dlg.IsVisible());
}

TEST_F(DialogTest, ModalActivateReturnsTheEndValueOrZeroWhenClosedOtherwise) {
    {
        TDialog dlg("PROVA");
        TButton::Redefine(
            202, [&] { dlg.End(7); }, dlg);
        test::DialogDriver drive;
        drive.on("PROVA", [](TDialog& d) { test::press(d, 202); });
        EXPECT_EQ(dlg.Activate(), 7);
    }
    for (bool byEscape : {true, false}) {
        TDialog dlg("PROVA");
        dlg.Cargo = Value(2);
        test::DialogDriver drive;
        drive.on("PROVA",
                 [byEscape](TDialog& d) { byEscape ? test::escape(d) : test::closeBox(d); });
        EXPECT_EQ(dlg.Activate({.centered = true}), 0);
        EXPECT_EQ(dlg.nResult, 0);
        EXPECT_EQ(dlg.Cargo.number(), 2); // how it closed is the buttons' business
    }
}

TEST_F(DialogTest, InitRunsBeforeShowingAndAnEndThereNeverShowsTheDialog) {
    TDialog dlg("PROVA");
    TSay* say = TSay::Redefine(111, nullptr, dlg);
    bool visibleInInit = true;
    test::DialogDriver drive; // no script: the dialog must not start
    const int r = dlg.Activate({.init = [&] {
        visibleInInit = dlg.IsVisible();
        say->SetText("pronto");
        dlg.End(3);
    }});
    EXPECT_FALSE(visibleInInit);
    EXPECT_EQ(r, 3);
    EXPECT_EQ(say->GetText(), "pronto");
    EXPECT_TRUE(drive.started.empty());
}

TEST_F(DialogTest, NonModalDialogReturnsAtOnceAndStartBlockRunsOnce) {
    TDialog dlg("PROVA");
    int starts = 0;
    test::DialogDriver drive;
    drive.on("PROVA", [](TDialog&) {});
    EXPECT_EQ(dlg.Activate({.modal = false, .start = [&] { ++starts; }}), 0);
    EXPECT_TRUE(dlg.IsVisible());
    test::settle();
    test::settle();
    EXPECT_EQ(starts, 1);
    EXPECT_TRUE(dlg.End(2));
    EXPECT_EQ(dlg.nResult, 2);
    EXPECT_FALSE(dlg.IsVisible());
}

TEST_F(DialogTest, ControlsAreKeptInBindingOrderNotTemplateOrder) {
    TDialog dlg("PROVA");
    std::string a, b;
    auto* cancel = TButton::Redefine(202, nullptr, dlg);
    auto* get = TGet::Redefine(104, bindVar(a), dlg, {.varName = "dat1"});
    auto* say = TSay::Redefine(111, nullptr, dlg);
    auto* get2 = TGet::Redefine(101, bindVar(b), dlg, {.varName = "ora"});
    ASSERT_EQ(dlg.aControls.size(), 4u);
    EXPECT_EQ(dlg.aControls[0], cancel);
    EXPECT_EQ(dlg.aControls[1], get);
    EXPECT_EQ(dlg.aControls[2], say);
    EXPECT_EQ(dlg.aControls[3], get2);
    EXPECT_EQ(get->cVarName, "dat1");
    EXPECT_EQ(get->nId, 104);
    EXPECT_EQ(TWindow::FromWidget(dlg.ControlWidget(104)), get);
    EXPECT_THROW(TGet::Redefine(999, bindVar(a), dlg), std::logic_error);
    EXPECT_THROW(TGet::Redefine(201, bindVar(a), dlg), std::logic_error); // a button
}

TEST_F(DialogTest, EnablingConditionsAreTestedOnInitAndAfterEveryButton) {
    TDialog dlg("PROVA");
    bool rowThere = false;
    int deletes = 0;
    auto* del = TButton::Redefine(202, [&] { ++deletes; }, dlg, {.when = [&] { return rowThere; }});
    TButton::Redefine(
        201, [&] { rowThere = true; }, dlg);
    test::DialogDriver drive;
    drive.on("PROVA", [&](TDialog& d) {
        EXPECT_FALSE(del->IsEnabled());
        del->Click(); // the condition is tested again when pressed
        EXPECT_EQ(deletes, 0);
        test::press(d, 201);
        EXPECT_TRUE(del->IsEnabled());
        test::press(d, 202);
        EXPECT_EQ(deletes, 1);
        d.End(1);
    });
    dlg.Activate();
}

TEST_F(DialogTest, LabelsLetClicksThroughUnlessTheyWantThem) {
    TDialog dlg("PROVA");
    auto* cell = TSay::Redefine(
        111, [] { return std::string("12 "); }, dlg);
    std::vector<std::pair<int, int>> dialogClicks, cellClicks, rightClicks;
    dlg.bLClicked = [&](int r, int c, int, TWindow&) { dialogClicks.push_back({r, c}); };
    dlg.bRClicked = [&](int r, int c, int, TWindow&) { rightClicks.push_back({r, c}); };
    cell->bLClicked = [&](int r, int c, int, TWindow& self) {
        EXPECT_EQ(&self, cell);
        cellClicks.push_back({r, c});
    };
    test::DialogDriver drive;
    drive.on("PROVA", [&](TDialog& d) {
        QWidget* label = d.ControlWidget(111);
        const QPoint inLabel = label->pos() + QPoint(3, 4);
        test::click(d.hWnd(), inLabel.x(), inLabel.y());
        test::click(d.hWnd(), inLabel.x(), inLabel.y(), false, Qt::RightButton);
        cell->lWantClick = true;
        test::click(d.hWnd(), inLabel.x(), inLabel.y());
        test::click(d.hWnd(), 2, 2);
        d.End(1);
    });
    dlg.Activate();
    ASSERT_EQ(dialogClicks.size(), 2u);
    EXPECT_EQ(dialogClicks[0],
              std::make_pair(dlg.ControlWidget(111)->y() + 4, dlg.ControlWidget(111)->x() + 3));
    EXPECT_EQ(dialogClicks[1], std::make_pair(2, 2));
    ASSERT_EQ(rightClicks.size(), 1u);
    ASSERT_EQ(cellClicks.size(), 1u);
    EXPECT_EQ(cellClicks[0], std::make_pair(4, 3));
    EXPECT_EQ(cell->GetText(), "12 ");
}

TEST_F(DialogTest, SayDrawsOnTheSurfaceAndKeepsWhatIsNotDrawnOver) {
    TDialog dlg("PROVA");
    dlg.Activate({.modal = false});
    const int w = dlg.GetWidth(" Lun 07/12/26 10:00:00 ");
    EXPECT_GT(w, 50);
    dlg.Say(150, 10, " Lun 07/12/26 10:00:00 ", tk::rgb(0, 0, 0), tk::rgb(0, 255, 0));
    dlg.Say(150, 10, " Lun", tk::rgb(170, 0, 0), tk::rgb(0, 0, 255));
    test::settle();
    const QImage img = dlg.hWnd()->grab().toImage();
    EXPECT_EQ(img.pixelColor(11, 151), QColor(0, 0, 255));         // the weekday drawn again
    EXPECT_EQ(img.pixelColor(10 + w - 2, 151), QColor(0, 255, 0)); // the rest kept
    dlg.End(0);
}

TEST_F(DialogTest, TimerKeepsFiringWhileAModalDialogRuns) {
    auto main = TWindow::New(1000, 1000, 1000, 1000, "Deltranota");
    int ticks = 0;
    TTimer timer(
        10, [&] { ++ticks; }, main.get());
    timer.Activate();
    TDialog dlg("PROVA");
    test::DialogDriver drive;
    drive.on("PROVA", [&](TDialog& d) {
        const int before = ticks;
        EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= before + 3; }, 5000));
        d.End(1);
    });
    dlg.Activate();
    timer.DeActivate();
    const int stopped = ticks;
    test::settle(30);
    EXPECT_EQ(ticks, stopped);
    EXPECT_FALSE(timer.lActive());
}

TEST_F(DialogTest, MainWindowRunsTheEventLoopUntilItEnds) {
    auto main = TWindow::New(1000, 1000, 1000, 1000, "Deltranota");
    bool ranInLoop = false;
    main->Activate({.init =
                        [&] {
                            main->Hide();
                            QTimer::singleShot(0, [&] {
                                ranInLoop = true;
                                main->End();
                            });
                        },
                    .hidden = true});
    EXPECT_TRUE(ranInLoop);
    EXPECT_TRUE(main->IsEnded());
}

TEST_F(DialogTest, PopupMenuRunsTheChosenItemAfterClosing) {
    auto main = TWindow::New(100, 100, 300, 300, "finestra");
    main->Show();
    std::vector<std::string> ran;
    TMenu menu;
    menu.Add(TMenuItem("&Rubrica...", [&] { ran.push_back("rubrica"); }));
    menu.AddSeparator();
    menu.Add(TMenuItem(
        "Spento", [&] { ran.push_back("spento"); }, false));
    menu.Add(TMenuItem("&Esci", [&] { ran.push_back("esci"); }));
    test::DialogDriver drive;
    drive.onMenu([&](TMenu& m) {
        EXPECT_TRUE(ran.empty()); // nothing runs while the menu shows
        EXPECT_FALSE(m.Choose("Spento"));
        EXPECT_TRUE(m.Choose("Rubrica..."));
    });
    const TMenuItem* item = menu.Activate(10, 20, main.get());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->cPrompt, "&Rubrica...");
    EXPECT_EQ(ran, std::vector<std::string>{"rubrica"});
    ASSERT_EQ(menu.aItems().size(), 4u);
    EXPECT_TRUE(menu.aItems()[1].cPrompt.empty());
}

TEST_F(DialogTest, FolderPagesAreDialogsWithTheirOwnControls) {
    TDialog dlg("CARTELLA");
    auto* fld = TFolder::Redefine(110, dlg);
    ASSERT_EQ(fld->aDialogs.size(), 2u);
    EXPECT_EQ(fld->aPrompts, (std::vector<std::string>{"Primo", "Secondo"}));
    std::string name, year;
    Date when;
    TGet::Redefine(101, bindVar(name), *fld->aDialogs[0], {.varName = "nome"});
    TGet::Redefine(101, bindVar(when), *fld->aDialogs[1], {.varName = "dat1"});
    TComboBox::Redefine(103, bindVar(year), {"2025", "2026"}, *fld->aDialogs[1],
                        {.varName = "cAnno"});
    int pageInits = 0;
    fld->aDialogs[1]->bInit = [&] { ++pageInits; };
    test::DialogDriver drive;
    drive.on("CARTELLA", [&](TDialog& d) {
        EXPECT_EQ(fld->nOption(), 1);
        fld->SetOption(2);
        EXPECT_EQ(fld->nOption(), 2);
        EXPECT_EQ(test::control(d, "cAnno")->nId, 103);
        test::type(*test::control(d, "dat1"), "01012026");
        EXPECT_EQ(test::text(d, 101), ""); // the first id 101 is page 1's name field
        fld->HideTab(1);
        EXPECT_EQ(fld->nTabs(), 1);
        EXPECT_EQ(fld->aPrompts, (std::vector<std::string>{"Secondo", "Primo"}));
        EXPECT_EQ(fld->aDialogs.size(), 2u);
        d.End(1);
    });
    dlg.Activate();
    EXPECT_EQ(pageInits, 1);
    EXPECT_EQ(when, Date::fromYmd(2026, 1, 1));
}

TEST_F(DialogTest, BitmapButtonShowsItsBitmapAndToolTip) {
    TDialog dlg("PROVA");
    int clicks = 0;
    auto* lamp =
        TBtnBmp::Redefine(112, "SPENTO", [&] { ++clicks; }, dlg, {.toolTip = "Calendario"});
    EXPECT_EQ(lamp->cBitmap(), "SPENTO");
    EXPECT_EQ(lamp->cToolTip(), "Calendario");
    lamp->SetBitmap("ACCESO");
    EXPECT_EQ(lamp->cBitmap(), "ACCESO");
    test::DialogDriver drive;
    drive.on("PROVA", [&](TDialog& d) {
        test::press(d, 112);
        d.End(1);
    });
    dlg.Activate();
    EXPECT_EQ(clicks, 1);
}

TEST_F(DialogTest, DialogInCodeWithoutCloseBoxAndTheFocusedControl) {
    TDialog dlg(100, 100, 220, 400, "Attendere", nullptr, {"popup", "caption", "modalframe"});
    EXPECT_FALSE(dlg.hWnd()->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(dlg.hWnd()->size(), QSize(300, 120));
    std::string a, b;
    auto* first = TGet::New(10, 10, bindVar(a), dlg, 100, 22, {});
    auto* second = TGet::New(40, 10, bindVar(b), dlg, 100, 22, {});
    dlg.Activate({.modal = false});
    test::focus(*second);
    EXPECT_EQ(dlg.FocusedControl(), second);
    // A field painted red for a message gets its own colours back.
    const QColor base = first->hWnd()->palette().color(QPalette::Base);
    first->SetColor(tk::rgb(0, 0, 0), tk::rgb(255, 0, 0));
    EXPECT_EQ(first->nClrPane(), tk::rgb(255, 0, 0));
    first->ResetColor();
    EXPECT_EQ(first->hWnd()->palette().color(QPalette::Base), base);
    dlg.End(0);
}

TEST_F(DialogTest, StatusBarStaysAtTheBottomAndProgressKeepsToItsRange) {
    auto win = TWindow::New(100, 100, 300, 500, "finestra");
    auto* bar = TMsgBar::New(*win, "Anteprima di stampa");
    auto* prg = TProgress::New(10, 10, 200, 20, *win);
    win->Show();
    win->SetSize(500, 300);
    test::settle();
    EXPECT_EQ(bar->GetText(), "Anteprima di stampa");
    EXPECT_EQ(bar->nTop() + bar->nHeight(), win->nHeight());
    EXPECT_EQ(bar->nWidth(), 500);
    prg->SetRange(0, 10);
    prg->SetPos(4);
    EXPECT_EQ(prg->nPos(), 4);
    prg->SetPos(40);
    EXPECT_EQ(prg->nPos(), 10);
}

TEST_F(DialogTest, CloseCheckCanTellThatEscapeIsHeldDown) {
    // A wait box refuses to close while Esc is down, and closes from code.
    TDialog dlg("PROVA");
    int refused = 0;
    dlg.bValid = [&] {
        if (tk::isKeyDown(vk::Escape)) {
            ++refused;
            return false;
        }
        return true;
    };
    dlg.Activate({.modal = false});
    test::escape(dlg);
    EXPECT_EQ(refused, 1);
    EXPECT_TRUE(dlg.IsVisible());
    EXPECT_FALSE(tk::isKeyDown(vk::Escape)); // released again
    EXPECT_TRUE(dlg.End(0));
    EXPECT_FALSE(dlg.IsVisible());
}
