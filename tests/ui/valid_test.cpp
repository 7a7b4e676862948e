// The common close check driven through real dialogs: abandoning with and without
// changes, confirming with bad fields on the dialog and on folder pages.

#include "common/ui/valid.h"

#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "tests/ui/uitest.h"

#include <QApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace dn::test {
namespace {

using ui::VALID;

int run(TDialog& d, bool confirm) {
    TDialog::ActivateOptions o;
    o.valid = ui::validBlock(d, confirm);
    return d.Activate(o);
}

QColor baseOf(TWindow& c) {
    return c.hWnd()->palette().color(QPalette::Base);
}

TEST(CloseCheck, ModifiedDialogAsksAndStaysOpenOnNoWithTheFocusKept) {
    PlainDialog p;
    ScriptedMessages msgs;
    DialogDriver drive;
    bool stillOpen = false;
    bool focusKept = false;
    drive.on("PROVA", [&](TDialog& d) {
        type(*p.gNome, "Verdi");
        msgs.answer(0); // No
        escape(d);
        stillOpen = d.IsActive();
        focusKept = p.gNome->HasFocus();
        msgs.answer(1); // Yes: abandon
        escape(d);
    });
    EXPECT_EQ(run(*p.dlg, true), 0);
    ASSERT_EQ(msgs.asked.size(), 2u);
    EXPECT_EQ(msgs.asked[0].kind, 5);
    EXPECT_EQ(msgs.asked[0].text, "Annullo le modifiche?");
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(focusKept);
}

TEST(CloseCheck, UnchangedDialogClosesWithoutAsking) {
    ScriptedMessages msgs;
    {
        PlainDialog p;
        DialogDriver drive;
        drive.on("PROVA", [&](TDialog& d) { press(d, 202); });
        EXPECT_EQ(run(*p.dlg, true), 2);
    }
    {
        // The close box of a changed dialog whose check does not confirm.
        PlainDialog p;
        DialogDriver drive;
        drive.on("PROVA", [&](TDialog& d) {
            type(*p.gNome, "Verdi");
            closeBox(d);
        });
        EXPECT_EQ(run(*p.dlg, false), 0);
    }
    EXPECT_TRUE(msgs.asked.empty());
}

TEST(CloseCheck, ModifiedFolderPageCountsAsAChange) {
    FolderDialog f;
    ScriptedMessages msgs;
    msgs.answer(1);
    f.folder->aDialogs[1]->lModify = true;
    f.dlg->Cargo = Value(2);
    EXPECT_TRUE(VALID(*f.dlg, true));
    EXPECT_TRUE(f.dlg->lModify);
    ASSERT_EQ(msgs.asked.size(), 1u);
    EXPECT_EQ(msgs.asked[0].text, "Annullo le modifiche?");
}

TEST(CloseCheck, BadDateOnSecondPageBringsThePageForwardPaintedRed) {
    FolderDialog f;
    ScriptedMessages msgs;
    DialogDriver drive;
    int pageShown = 0;
    bool red = false;
    bool focused = false;
    bool openAfter = false;
    msgs.onAsk = [&](const ScriptedMessages::Asked&) {
        pageShown = f.folder->nOption();
        red = baseOf(*f.gData) == QColor(255, 0, 0);
        focused = f.gData->HasFocus();
    };
    drive.on("CARTELLA", [&](TDialog& d) {
        f.folder->SetOption(2);
        type(*f.gData, "31022025");
        f.folder->SetOption(1);
        press(d, 201);
        openAfter = d.IsActive();
        EXPECT_NE(baseOf(*f.gData), QColor(255, 0, 0)) << "the red stays after the message";
        EXPECT_TRUE(f.gData->HasFocus());
        type(*f.gData, "28022025");
        press(d, 201);
    });
    EXPECT_EQ(run(*f.dlg, true), 1);
    ASSERT_EQ(msgs.asked.size(), 1u);
    EXPECT_EQ(msgs.asked[0].kind, 1);
    EXPECT_EQ(msgs.asked[0].text, "Data non valida.");
    EXPECT_EQ(pageShown, 2);
    EXPECT_TRUE(red);
    EXPECT_TRUE(focused);
    EXPECT_TRUE(openAfter);
    EXPECT_EQ(f.dData, Date::fromYmd(2025, 2, 28));
}

TEST(CloseCheck, NumberRuleAndEnablingConditionOnConfirm) {
    PlainDialog p;
    ScriptedMessages msgs;
    p.gNum->SetText("1234");
    p.dlg->Cargo = Value(1);
    EXPECT_FALSE(VALID(*p.dlg, false));
    p.gNum->SetText("12.3");
    // A control's own rule.
    bool ruleOk = false;
    p.gNome->Cargo = Value(Callable([&](const ValueList&) { return Value(ruleOk); }));
    p.dlg->Cargo = Value(1);
    EXPECT_FALSE(VALID(*p.dlg, false));
    EXPECT_TRUE(p.dlg->Cargo.isAbsent()) << "a refused confirm leaves no confirm behind";
    // A control that is not enabled is not checked.
    p.gNome->bWhen = [] { return false; };
    p.dlg->Cargo = Value(1);
    EXPECT_TRUE(VALID(*p.dlg, false));
    p.gNome->bWhen = nullptr;
    ruleOk = true;
    p.dlg->Cargo = Value(1);
    EXPECT_TRUE(VALID(*p.dlg, false));
    ASSERT_EQ(msgs.asked.size(), 2u);
    EXPECT_EQ(msgs.asked[0].text, "Numero troppo grande.");
    EXPECT_EQ(msgs.asked[1].text, "Campo non valido.");
}

TEST(CloseCheck, ACheckRunningFurtherUpRefusesAnyOther) {
    PlainDialog p;
    FolderDialog other;
    ScriptedMessages msgs;
    bool inner = true;
    msgs.onAsk = [&](const ScriptedMessages::Asked&) {
        other.dlg->Cargo = Value();
        inner = VALID(*other.dlg, false);
    };
    msgs.answer(0);
    p.dlg->lModify = true;
    EXPECT_FALSE(VALID(*p.dlg, true));
    EXPECT_FALSE(inner);
    // Once the first check has returned, checks run again.
    EXPECT_TRUE(VALID(*other.dlg, false));
}

TEST(CloseCheck, ConfirmStoresTheTextOfTheFocusedField) {
    PlainDialog p;
    ScriptedMessages msgs;
    DialogDriver drive;
    drive.on("PROVA", [&](TDialog& d) {
        type(*p.gNome, "Neri");
        // Enter presses the default button while the field keeps the focus.
        key(nullptr, Qt::Key_Return);
        if (d.IsActive())
            press(d, 202);
    });
    EXPECT_EQ(run(*p.dlg, false), 1);
    EXPECT_EQ(p.nome.substr(0, 4), "Neri");
    EXPECT_TRUE(msgs.asked.empty());
}

} // namespace
} // namespace dn::test
