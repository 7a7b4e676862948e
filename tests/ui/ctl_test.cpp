// Finding controls, the modified flag across pages, refreshing, and the
// drop-down list helpers.

#include "common/ui/ctl.h"

#include "common/ui/valid.h"
#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "tests/ui/uitest.h"

#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace dn::test {
namespace {

using namespace dn::ui;

std::string trimmed(std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

TEST(FindControls, ByPositionByNamePrefixAndById) {
    PlainDialog p;
    EXPECT_EQ(CTL(*p.dlg, 1), p.gNome);
    EXPECT_EQ(CTL(*p.dlg, 2), p.gDat);
    EXPECT_EQ(CTL(*p.dlg, 99), nullptr);
    EXPECT_EQ(CTL(*p.dlg, 0), nullptr);
    EXPECT_EQ(CTL(*p.dlg, "dat"), p.gDat);
    EXPECT_EQ(CTL(*p.dlg, "dat12"), nullptr) << "the control's name is shorter";
    EXPECT_EQ(CTL(*p.dlg, "nNum"), p.gNum);
    EXPECT_EQ(CTL(*p.dlg, "cmese"), nullptr) << "names compare with their case";
    EXPECT_EQ(ITEM(*p.dlg, 103), p.gNum);
    EXPECT_EQ(ITEM(*p.dlg, 999), nullptr);
}

TEST(FindControls, InsideFolderPagesInPageOrder) {
    FolderDialog f;
    EXPECT_EQ(CTL(*f.dlg, "cAnno"), f.gAnno);
    EXPECT_EQ(CTL(*f.dlg, "dData"), f.gData);
    // Page 1's 101 comes before page 2's; the folder itself is not compared.
    EXPECT_EQ(ITEM(*f.dlg, 101), f.gNome);
    EXPECT_EQ(ITEM(*f.dlg, 102), f.gAnno);
    EXPECT_EQ(ITEM(*f.dlg, 110), nullptr);
    // By position only the dialog's own controls count.
    EXPECT_EQ(CTL(*f.dlg, 1), f.folder);
}

TEST(ModifiedFlag, PagesSetTheDialogAndResetClearsThePages) {
    FolderDialog f;
    UPDATEMODIFY(*f.dlg);
    EXPECT_FALSE(f.dlg->lModify);
    f.folder->aDialogs[1]->lModify = true;
    UPDATEMODIFY(*f.dlg);
    EXPECT_TRUE(f.dlg->lModify);
    RESETMODIFY(*f.folder);
    EXPECT_FALSE(f.folder->aDialogs[0]->lModify);
    EXPECT_FALSE(f.folder->aDialogs[1]->lModify);
    UPDATEMODIFY(*f.dlg);
    EXPECT_TRUE(f.dlg->lModify) << "UPDATEMODIFY never clears";
}

TEST(DropDownList, DisabledShowsAnEmptyEntryAndEnablingRestoresIt) {
    PlainDialog p;
    ASSERT_EQ(p.cbMese->nAt(), 2);
    CTLDISABLE(*p.cbMese);
    EXPECT_FALSE(p.cbMese->IsEnabled());
    EXPECT_EQ(p.cMese, "");
    EXPECT_EQ(p.cbMese->GetText(), "");
    EXPECT_EQ(p.cbMese->nAt(), 2);
    // Disabling again must not lose the value kept aside.
    CTLDISABLE(*p.cbMese);
    CTLENABLE(*p.cbMese);
    EXPECT_TRUE(p.cbMese->IsEnabled());
    EXPECT_EQ(p.cMese, "Febbraio");
    EXPECT_EQ(p.cbMese->GetText(), "Febbraio");
    EXPECT_EQ(p.cbMese->aItems()[1], "Febbraio");
    // Other controls are simply disabled and enabled.
    CTLDISABLE(*p.gNome);
    EXPECT_FALSE(p.gNome->IsEnabled());
    EXPECT_EQ(p.nome, "Rossi     ");
    CTLENABLE(*p.gNome);
    EXPECT_TRUE(p.gNome->IsEnabled());
}

TEST(DropDownList, SelectByTextAndMaskTheTypedText) {
    PlainDialog p;
    EXPECT_TRUE(LBXSET(*p.cbMese, "Marzo"));
    EXPECT_EQ(p.cbMese->nAt(), 3);
    EXPECT_EQ(p.cMese, "Marzo");
    EXPECT_FALSE(LBXSET(*p.cbMese, "Aprile"));
    EXPECT_EQ(p.cMese, "Marzo");

    // An editable list, built in code.
    std::string typed = "    ";
    TComboBox* cb = TComboBox::New(5, 5, bindVar(typed), {"AB", "CD"}, *p.dlg, 80, 60, {});
    QComboBox* q = cb->Combo();
    q->setEditable(true);
    q->lineEdit()->setText(QString::fromLatin1("ab\xE8x"));
    q->lineEdit()->setCursorPosition(4);
    CBPICTURE(*cb, "@!");
    EXPECT_EQ(cb->GetText(), "AB\xC8X");
    q->lineEdit()->setText("12a3");
    q->lineEdit()->setCursorPosition(3);
    CBPICTURE(*cb, "9");
    EXPECT_EQ(cb->GetText(), "123");
    EXPECT_EQ(q->lineEdit()->cursorPosition(), 2);
    CBPICTURE(*cb, "9");
    EXPECT_EQ(cb->GetText(), "123");
    EXPECT_EQ(q->lineEdit()->cursorPosition(), 2);
}

TEST(RefreshAll, RedrawsOnlyStaleFieldsAndLeavesBadDatesAndTheFocusedList) {
    PlainDialog p;
    p.dlg->Activate([] {
        TDialog::ActivateOptions o;
        o.modal = false;
        return o;
    }());
    settle();
    // Leaving a field stores its text: move the focus before changing variables.
    focus(*p.cbMese);
    p.nome = "Verdi     ";
    p.nNum = 7;
    p.gDat->SetText("99/99/2024");
    p.cMese = "Marzo";
    REFRESHALL(*p.dlg);
    EXPECT_EQ(trimmed(p.gNome->GetText()), "Verdi");
    EXPECT_EQ(trimmed(p.gNum->GetText()), "7.0");
    EXPECT_EQ(p.gDat->GetText(), "99/99/2024") << "a field without a valid date is left alone";
    EXPECT_EQ(p.cbMese->GetText(), "Febbraio") << "the list with the focus is left alone";
    focus(*p.gNome);
    REFRESHALL(*p.dlg);
    EXPECT_EQ(p.cbMese->GetText(), "Marzo");
    p.dlg->End(0);
}

TEST(Folder, HiddenPageMovesToTheEndAndIsNotChecked) {
    FolderDialog f;
    TDialog* second = f.folder->aDialogs[1];
    FLDHIDEITEM(*f.folder, 1);
    EXPECT_EQ(f.folder->nTabs(), 1);
    ASSERT_EQ(f.folder->aDialogs.size(), 2u);
    EXPECT_EQ(f.folder->aDialogs[0], second);
    EXPECT_EQ(f.folder->aPrompts[1], "Primo");
    // A bad value on the page without a tab cannot be mended by the user: the
    // close check does not stop on it.
    ScriptedMessages msgs;
    f.gNome->Cargo = Value(Callable([](const ValueList&) { return Value(false); }));
    f.dlg->Cargo = Value(1);
    EXPECT_TRUE(VALID(*f.dlg, false));
    EXPECT_TRUE(msgs.asked.empty());
}

} // namespace
} // namespace dn::test
