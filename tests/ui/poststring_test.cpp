// Typing a text into windows as key events.

#include "common/ui/poststring.h"

#include "tests/support/gui.h"
#include "tests/ui/uitest.h"

#include <QApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace dn::test {
namespace {

TEST(PostString, TypesCharactersAndPressesBlankTabAndReturn) {
    PlainDialog p;
    TDialog::ActivateOptions o;
    o.modal = false;
    p.dlg->Activate(o);
    settle();
    focus(*p.gNome);
    p.gNome->Edit()->selectAll();
    std::vector<int> keys;
    std::vector<int> chars;
    p.gNome->bKeyDown = [&](int k, int, TWindow&) { keys.push_back(k); };
    p.gNome->bKeyChar = [&](int c, int, TWindow&) { chars.push_back(c); };
    // Into the window: the keys reach the focused field.
    ui::POSTSTRING(*p.dlg, "Citt\xE0 al");
    EXPECT_EQ(p.gNome->GetText(), "Citt\xE0 al");
    EXPECT_EQ(keys, std::vector<int>{0x20}) << "only the blank comes as a key press";
    EXPECT_EQ(chars.size(), 8u);
    // A tab moves on to the next field; a return presses the default button.
    ui::POSTSTRING(p.gNome->hWnd(), "\t");
    EXPECT_TRUE(p.gDat->HasFocus());
    ui::POSTSTRING(*p.dlg, "\r");
    EXPECT_FALSE(p.dlg->IsActive());
    EXPECT_EQ(p.dlg->nResult, 1);
    EXPECT_EQ(p.nome, "Citt\xE0 al  ");
}

} // namespace
} // namespace dn::test
