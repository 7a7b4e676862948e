// Table-backed helpers: the lookup list under a field and in-place editing of a
// one-field table, on real tables in a data folder of the test's own.

#include "common/data/indexes.h"
#include "common/data/library.h"
#include "common/data/records.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/ui/arearows.h"
#include "common/ui/dbcombo.h"
#include "common/ui/edcol.h"
#include "common/util/format.h"
#include "common/util/trim.h"
#include "tests/support/data_folder.h"
#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "tests/ui/uitest.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace dn::test {
namespace {

using namespace dn::data;

// A data folder (the current folder) and an instance folder per test, and a table
// of towns indexed on the upper-cased name.
class TablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        guiApp();
        DBGEN("CITTA", {{"NOME", 'C', 20, 0}});
        DBOPEN(false, {}, "CITTA");
        for (const char* n : {"Milano", "Bergamo", "Como", "Monza", "Brescia"}) {
            DBAPP();
            FIELDPUT("NOME", Value(n));
            DBUNLOCK();
        }
        ORDBUILD("CITTA", "", "UPPER( nome )");
        DBCLOSE();
    }

    ScriptedMessages msgs;
    DataFolder folder_;
};

std::string trimmed(const std::string& s) {
    return std::string(dn::trimRight(s));
}

// The browse inside the lookup list's dialog.
TWBrowse* listOf(TDialog& d) {
    for (TWindow* c : d.aControls)
        if (auto* b = dynamic_cast<TWBrowse*>(c))
            return b;
    return nullptr;
}

std::vector<std::string> column(const TWBrowse& b) {
    std::vector<std::string> out;
    for (const auto& row : b.ShownRows())
        out.push_back(row.empty() ? std::string() : trimmed(row[0]));
    return out;
}

TEST_F(TablesTest, LookupListShowsMovesSearchesAndKeepsAClickedValue) {
    PlainDialog p;
    TDialog::ActivateOptions o;
    o.modal = false;
    p.dlg->Activate(o);
    settle();
    p.nome = "Como      ";
    p.gNome->Refresh();
    DBSELECTAREA(7);
    DialogDriver drive;
    std::vector<std::string> shown;
    std::string whileMoving, whileSearching;
    QRect listRect, fieldRect;
    drive.on(ui::kDbComboName, [&](TDialog& d) {
        TWBrowse* b = listOf(d);
        ASSERT_NE(b, nullptr);
        shown = column(*b);
        listRect = d.hWnd()->geometry();
        fieldRect = QRect(p.gNome->hWnd()->mapToGlobal(QPoint(0, 0)), p.gNome->hWnd()->size());
        key(b->hWnd(), Qt::Key_Down);
        whileMoving = p.gNome->GetText();
        key(b->hWnd(), Qt::Key_B);
        key(b->hWnd(), Qt::Key_R);
        whileSearching = p.gNome->GetText();
        b->Refresh();
        const int row = b->nRowPos;
        QWidget* view = static_cast<QAbstractScrollArea*>(b->hWnd())->viewport();
        click(view, 10, b->HeaderHeight() + (row - 1) * b->RowHeight() + 3);
    });
    EXPECT_TRUE(ui::DBCOMBO(*p.gNome, {"CITTA", "CITTA", "", std::nullopt, "", 10}));
    EXPECT_EQ(shown, (std::vector<std::string>{"Bergamo", "Brescia", "Como", "Milano", "Monza"}));
    EXPECT_EQ(listRect.top(), fieldRect.bottom() + 1);
    EXPECT_EQ(listRect.left(), fieldRect.left());
    EXPECT_EQ(listRect.height(), 11 * 15 + 2);
    EXPECT_EQ(trimmed(whileMoving), "Milano");
    EXPECT_EQ(trimmed(whileSearching), "Brescia");
    EXPECT_EQ(trimmed(p.nome), "Brescia");
    EXPECT_TRUE(p.dlg->lModify) << "the field's change block ran";
    // The private area is closed and the selection is back.
    EXPECT_EQ(SELECT(), 7);
    EXPECT_TRUE(usedAreas().empty());
    p.dlg->End(0);
}

TEST_F(TablesTest, LookupListClosedWithoutClickPutsTheValueBack) {
    PlainDialog p;
    TDialog::ActivateOptions o;
    o.modal = false;
    p.dlg->Activate(o);
    settle();
    DialogDriver drive;
    std::vector<std::string> shown;
    drive.on(ui::kDbComboName, [&](TDialog& d) {
        TWBrowse* b = listOf(d);
        ASSERT_NE(b, nullptr);
        shown = column(*b);
        key(b->hWnd(), Qt::Key_Down);
        EXPECT_EQ(trimmed(p.gNome->GetText()), "Monza");
        escape(d);
    });
    ui::DbComboOptions opt;
    opt.table = "CITTA";
    opt.index = "CITTA";
    opt.prefix = "M";
    EXPECT_FALSE(ui::DBCOMBO(*p.gNome, opt));
    EXPECT_EQ(shown, (std::vector<std::string>{"Milano", "Monza"}));
    EXPECT_EQ(p.nome, "Rossi     ");
    EXPECT_EQ(trimmed(p.gNome->GetText()), "Rossi");
    EXPECT_FALSE(p.dlg->lModify);

    // A filter narrows the rows as a view.
    drive.on(ui::kDbComboName, [&](TDialog& d) {
        shown = column(*listOf(d));
        escape(d);
    });
    opt.prefix.reset();
    opt.filter = "LEFT( nome, 1 ) == 'B'";
    EXPECT_FALSE(ui::DBCOMBO(*p.gNome, opt));
    EXPECT_EQ(shown, (std::vector<std::string>{"Bergamo", "Brescia"}));
    p.dlg->End(0);
}

TEST_F(TablesTest, LookupListOnAMissingTableReportsAndKeepsTheField) {
    PlainDialog p;
    ui::DbComboOptions opt;
    opt.table = "NESSUNA";
    opt.index = "NESSUNA";
    EXPECT_FALSE(ui::DBCOMBO(*p.gNome, opt));
    EXPECT_EQ(p.nome, "Rossi     ");
    EXPECT_FALSE(msgs.asked.empty()) << "the failure was reported";
    EXPECT_TRUE(usedAreas().empty());
}

// Answers the in-place editor of a browse: text then Enter, or Esc.
void answerEditor(std::vector<std::optional<std::string>> answers) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    auto queue = std::make_shared<std::vector<std::optional<std::string>>>(std::move(answers));
    QObject::connect(timer, &QTimer::timeout, [timer, queue] {
        auto* ed = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (!ed || ed->property("dn_answered").isValid())
            return;
        ed->setProperty("dn_answered", true);
        const std::optional<std::string> a = queue->front();
        queue->erase(queue->begin());
        if (a) {
            ed->selectAll();
            QTest::keyClicks(ed, tk::toQt(*a));
            QTest::keyClick(ed, Qt::Key_Return);
        } else {
            QTest::keyClick(ed, Qt::Key_Escape);
        }
        if (queue->empty()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

class EdColTest : public TablesTest {
protected:
    void SetUp() override {
        TablesTest::SetUp();
        DBOPEN(false, {}, "CITTA");
        ORDADD("CITTA");
        auto win = TWindow::New(50, 50, 300, 300, "Citta");
        win_ = std::move(win);
        TWBrowse::Options bo;
        bo.source = std::make_shared<ui::AreaRows>(area());
        browse_ = TWBrowse::New(
            0, 0, 200, 240, [] { return std::vector<BrowseCell>{CVALTOCHAR(FIELDGET("NOME"))}; },
            *win_, bo);
        win_->Show();
        settle();
    }
    void TearDown() override {
        win_.reset();
        TablesTest::TearDown();
    }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        DBGOTOP();
        while (!DBEOF()) {
            out.push_back(trimmed(FIELDGET("NOME").text()));
            DBSKIP();
        }
        return out;
    }
    std::unique_ptr<TWindow> win_;
    TWBrowse* browse_ = nullptr;
};

TEST_F(EdColTest, AppendsEditsAndAsksAgainForABlankEntry) {
    answerEditor({"   ", "Lecco"});
    EXPECT_TRUE(ui::EDCOL(*browse_, true));
    EXPECT_EQ(names(),
              (std::vector<std::string>{"Bergamo", "Brescia", "Como", "Lecco", "Milano", "Monza"}));
    // Editing the current record in place.
    DBGOTOP();
    browse_->Refresh();
    answerEditor({"Bolzano"});
    EXPECT_TRUE(ui::EDCOL(*browse_, false));
    EXPECT_EQ(names(),
              (std::vector<std::string>{"Bolzano", "Brescia", "Como", "Lecco", "Milano", "Monza"}));
    EXPECT_EQ(DBLASTREC(), 6u);
}

TEST_F(EdColTest, CancelledAppendLeavesNoBlankRecordAndEndOfFileRefuses) {
    answerEditor({std::nullopt});
    EXPECT_FALSE(ui::EDCOL(*browse_, true));
    EXPECT_EQ(names(), (std::vector<std::string>{"Bergamo", "Brescia", "Como", "Milano", "Monza"}));
    // The blank record was marked deleted: no visible blank row remains.
    ORDSETFOCUS(0);
    DBGOTO(6);
    EXPECT_TRUE(DBDELETED());
    ORDSETFOCUS(1);
    // A cancelled edit of an existing record changes nothing.
    DBGOTOP();
    browse_->Refresh();
    answerEditor({std::nullopt});
    EXPECT_FALSE(ui::EDCOL(*browse_, false));
    EXPECT_EQ(trimmed(FIELDGET("NOME").text()), "Bergamo");
    // At end of file nothing is edited.
    DBGOBOTTOM();
    DBSKIP();
    ASSERT_TRUE(DBEOF());
    EXPECT_FALSE(ui::EDCOL(*browse_, false));
}

} // namespace
} // namespace dn::test
