#include "tests/support/gui.h"
#include "tests/support/test_dialogs.h"
#include "toolkit/controls.h"
#include "toolkit/get.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace dn;

namespace {

class GetTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::guiApp();
        test::registerTestDialogs();
    }
    // Runs the PROVA dialog modally with script, closing it afterwards.
    void run(TDialog& dlg, const std::function<void(TDialog&)>& script) {
        test::DialogDriver drive;
        drive.on("PROVA", [&](TDialog& d) {
            script(d);
            d.End(1);
        });
        dlg.Activate();
    }
};

} // namespace

TEST_F(GetTest, TimeFieldShowsItsUntouchedMaskAndTakesDigitsKeyByKey) {
    TDialog dlg("PROVA");
    std::string ora = "     ", other;
    int changes = 0;
    auto* get =
        TGet::Redefine(101, bindVar(ora), dlg, {.picture = "99:99", .change = [&] { ++changes; }});
    TGet::Redefine(105, bindVar(other), dlg);
    EXPECT_EQ(get->GetText(), "  :  ");
    run(dlg, [&](TDialog& d) {
        test::focus(*get);
        test::focus(*test::control(d, 105)); // left untouched
        EXPECT_EQ(ora, "  :  ");
        test::type(*get, "9x30");
        EXPECT_EQ(get->GetText(), "93:0 ");
        EXPECT_EQ(changes, 3); // the refused letter changed nothing
        test::key(get->hWnd(), Qt::Key_Backspace);
        test::key(get->hWnd(), Qt::Key_Backspace);
        EXPECT_EQ(get->GetText(), "9 :  ");
        EXPECT_EQ(ora, "  :  "); // written only when the field is left
        test::focus(*test::control(d, 105));
        EXPECT_EQ(ora, "9 :  ");
    });
}

TEST_F(GetTest, DateFieldTellsBadDatesAndKeepsTheVariableUntilTheTextIsADate) {
    TDialog dlg("PROVA");
    Date d = Date::fromYmd(2025, 12, 25);
    std::string other;
    auto* get = TGet::Redefine(102, bindVar(d), dlg);
    TGet::Redefine(105, bindVar(other), dlg);
    EXPECT_EQ(get->GetText(), "25/12/2025");
    run(dlg, [&](TDialog& dd) {
        test::type(*get, "31022025");
        EXPECT_EQ(get->GetText(), "31/02/2025");
        EXPECT_TRUE(get->BadDate());
        test::focus(*test::control(dd, 105));
        EXPECT_EQ(d, Date::fromYmd(2025, 12, 25)); // a bad date overwrites nothing
        EXPECT_EQ(get->GetText(), "31/02/2025");
        test::type(*get, "28022025");
        EXPECT_FALSE(get->BadDate());
        test::focus(*test::control(dd, 105));
        EXPECT_EQ(d, Date::fromYmd(2025, 2, 28));
        // Clearing every digit gives the empty date, which is no bad date.
        test::focus(*get);
        static_cast<QLineEdit*>(get->hWnd())->selectAll();
        test::key(get->hWnd(), Qt::Key_Delete);
        EXPECT_EQ(get->GetText(), "  /  /    ");
        EXPECT_FALSE(get->BadDate());
        test::focus(*test::control(dd, 105));
        EXPECT_TRUE(d.isEmpty());
    });
}

TEST_F(GetTest, EuropeanNumberTakesALeadingMinusAndTellsBadNumbers) {
    TDialog dlg("PROVA");
    double margin = 15;
    std::string other;
    auto* get = TGet::Redefine(103, bindVar(margin), dlg, {.picture = "@E 9999"});
    TGet::Redefine(105, bindVar(other), dlg);
    EXPECT_EQ(get->GetText(), "15");
    EXPECT_EQ(get->cPicture(), "@E 9999");
    run(dlg, [&](TDialog& d) {
        test::type(*get, "-123");
        test::focus(*test::control(d, 105));
        EXPECT_EQ(margin, -123);
        test::type(*get, "12-34x5"); // the minus only leads; four characters at most
        EXPECT_EQ(get->GetText(), "1234");
        EXPECT_FALSE(get->BadNumber());
        get->SetText("1-2");
        EXPECT_TRUE(get->BadNumber());
        get->VarPut(Value(99999)); // too big for the mask
        EXPECT_EQ(get->GetText(), "****");
        EXPECT_TRUE(get->BadNumber());
        EXPECT_EQ(get->VarGet().number(), 99999);
    });
}

TEST_F(GetTest, UpperCaseAndDigitOnlyFieldsAndTheTextWidth) {
    TDialog dlg("PROVA");
    std::string name = "mario     ", cap = "     ";
    auto* upper = TGet::Redefine(104, bindVar(name), dlg, {.picture = "@!"});
    auto* digits = TGet::Redefine(105, bindVar(cap), dlg, {.picture = "@9"});
    EXPECT_EQ(upper->GetText(), "MARIO");
    run(dlg, [&](TDialog&) {
        test::type(*upper, "rossi\xE0 bianchi"); // ten characters fit
        EXPECT_EQ(upper->GetText(), "ROSSI\xC0 BIA");
        test::type(*digits, "5a0b1c2d3e4");
        EXPECT_EQ(digits->GetText(), "50123");
        test::focus(*upper);
    });
    EXPECT_EQ(name, "ROSSI\xC0 BIA");
    EXPECT_EQ(cap, "50123");
    // Variables keep their width: a shorter text is padded.
    TDialog dlg2("PROVA");
    std::string padded = "          ";
    auto* g = TGet::Redefine(104, bindVar(padded), dlg2);
    g->SetText("AB");
    g->Assign();
    EXPECT_EQ(padded, "AB        ");
}

TEST_F(GetTest, ValidBlockRunsOnLeavingAndARefusalKeepsTheFocus) {
    TDialog dlg("PROVA");
    std::string a = "     ", b;
    int checks = 0;
    auto* first = TGet::Redefine(104, bindVar(a), dlg, {.valid = [&] {
                                     ++checks;
                                     return a != "BAD  ";
                                 }});
    auto* second = TGet::Redefine(105, bindVar(b), dlg);
    TButton::Redefine(202, nullptr, dlg);
    run(dlg, [&](TDialog& d) {
        test::type(*first, "BAD");
        test::focus(*second);
        test::settle();
        EXPECT_EQ(checks, 1);
        EXPECT_TRUE(first->HasFocus());
        // Leaving for the cancel button runs no check.
        test::press(d, 202);
        EXPECT_EQ(checks, 1);
        test::type(*first, "OK");
        test::focus(*second);
        EXPECT_EQ(checks, 2);
        EXPECT_TRUE(second->HasFocus());
    });
    EXPECT_EQ(a, "OK   ");
}

TEST_F(GetTest, VarPutShowsTheValueAndRefreshShowsTheVariableAgain) {
    TDialog dlg("PROVA");
    std::string ora = "     ";
    auto* get = TGet::Redefine(101, bindVar(ora), dlg, {.picture = "99:99"});
    get->VarPut(Value("10:15"));
    EXPECT_EQ(ora, "10:15");
    EXPECT_EQ(get->GetText(), "10:15");
    ora = "08:00";
    EXPECT_EQ(get->GetText(), "10:15");
    get->Refresh();
    EXPECT_EQ(get->GetText(), "08:00");
    EXPECT_EQ(get->FormatValue(Value("     ")), "  :  ");
    EXPECT_EQ(get->VarGet().text(), "08:00");
}

TEST_F(GetTest, MultiLineTextKeepsCrLfInTheVariable) {
    TDialog dlg("PROVA");
    std::string task = "riga uno\r\nriga due", other;
    int changes = 0;
    auto* memo = TMultiGet::Redefine(106, bindVar(task), dlg, {.change = [&] { ++changes; }});
    auto* next = TGet::Redefine(105, bindVar(other), dlg);
    EXPECT_EQ(memo->GetText(), "riga uno\r\nriga due");
    run(dlg, [&](TDialog&) {
        test::focus(*memo);
        test::key(memo->hWnd(), Qt::Key_End, Qt::ControlModifier);
        test::key(memo->hWnd(), Qt::Key_Return);
        QTest::keyClicks(memo->hWnd(), "tre");
        test::focus(*next);
    });
    EXPECT_EQ(task, "riga uno\r\nriga due\r\ntre");
    EXPECT_EQ(changes, 4);
}

TEST_F(GetTest, DropDownListPositionsSelectAndModify) {
    TDialog dlg("PROVA");
    std::string month = "Marzo";
    int changes = 0;
    auto* cb = TComboBox::Redefine(107, bindVar(month), {"Gennaio", "Febbraio", "Marzo"}, dlg,
                                   {.change = [&] { ++changes; }, .varName = "cMese"});
    EXPECT_EQ(cb->nAt(), 3);
    cb->Select(1);
    EXPECT_EQ(cb->nAt(), 1);
    EXPECT_EQ(month, "Gennaio");
    EXPECT_EQ(changes, 0); // the program's own moves run no change block
    cb->Modify("", 1);
    EXPECT_EQ(cb->aItems()[0], "");
    EXPECT_EQ(cb->GetText(), "");
    cb->VarPut(Value(""));
    EXPECT_EQ(cb->nAt(), 1);
    run(dlg, [&](TDialog&) { test::choose(*cb, 2); });
    EXPECT_EQ(month, "Febbraio");
    EXPECT_EQ(changes, 1);
}

TEST_F(GetTest, CheckBoxWithTextOnTheLeftAndRadioGroup) {
    TDialog dlg("PROVA");
    bool below = false;
    int choice = 2;
    auto* box = TCheckBox::Redefine(108, bindVar(below), dlg);
    auto* radios = TRadMenu::Redefine(bindVar(choice), dlg, {109, 110});
    EXPECT_EQ(box->hWnd()->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(radios->nOption(), 2);
    run(dlg, [&](TDialog& d) {
        test::press(d, 108);
        test::press(d, 109);
    });
    EXPECT_TRUE(below);
    EXPECT_EQ(choice, 1);
    EXPECT_EQ(radios->nOption(), 1);
}
