#include "tests/support/gui.h"
#include "tests/support/test_dialogs.h"
#include "toolkit/browse.h"
#include "toolkit/keys.h"
#include "toolkit/toolkit.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace dn;

namespace {

// A table of n rows, numbered 1..n, that counts how it is used: a browse over it
// must touch the rows it shows and not the table as a whole.
class CountingSource : public RowSource {
public:
    explicit CountingSource(long n) : n_(n) {}

    void goTop() override { cur_ = n_ > 0 ? 1 : 0; }
    void goBottom() override { cur_ = n_; }
    long skip(long k) override {
        if (n_ == 0)
            return 0;
        const long to = std::clamp(cur_ + k, 1L, n_);
        const long moved = to - cur_;
        rowsWalked += std::labs(moved);
        cur_ = to;
        return moved;
    }
    bool eof() const override { return cur_ < 1 || cur_ > n_; }
    long position() const override { return cur_; }
    void goTo(long p) override { cur_ = p; }
    long count() override {
        ++counts;
        return n_;
    }
    long ordinal() override { return cur_; }
    bool goToOrdinal(long k) override {
        cur_ = std::clamp(k, 1L, n_);
        return true;
    }

    // The row block reads the current row through here.
    long read() {
        ++rowsRead;
        return cur_;
    }

    long rowsRead = 0;
    long rowsWalked = 0;
    long counts = 0;

private:
    long n_;
    long cur_ = 1;
};

class BrowseTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::guiApp();
        test::registerTestDialogs();
    }
};

std::vector<BrowseCell> cellsOf(CountingSource& s) {
    const long r = s.read();
    return {BrowseCell("riga " + std::to_string(r)),
            r % 2 ? BrowseCell::Bitmap("SELECT") : BrowseCell::Bitmap("NOSELECT")};
}

} // namespace

TEST_F(BrowseTest, HundredThousandRowsAreOpenedAndPagedReadingOnlyTheRowsShown) {
    auto src = std::make_shared<CountingSource>(100000);
    TDialog dlg("LISTA");
    auto* brw =
        TWBrowse::Redefine(101, [&] { return cellsOf(*src); }, dlg,
                           {.headers = {"DATA", "E"}, .colSizes = {120, 16}, .source = src});
    dlg.Activate({.modal = false});
    test::settle();
    const int rows = brw->nRowCount();
    ASSERT_GT(rows, 5);
    EXPECT_EQ(brw->nLen(), 100000);
    EXPECT_LE(src->rowsRead, 3L * rows); // opening reads about one screen
    EXPECT_EQ(brw->ShownRows().front().front(), "riga 1");

    const long readBefore = src->rowsRead;
    const long walkedBefore = src->rowsWalked;
    const long countsBefore = src->counts;
    for (int i = 0; i < 20; ++i)
        brw->PageDown();
    EXPECT_EQ(src->position(), 1 + 20L * rows);
    EXPECT_LE(src->rowsRead - readBefore, 20L * rows);
    EXPECT_LE(src->rowsWalked - walkedBefore, 20L * 5 * rows);
    EXPECT_EQ(brw->ShownRows()[static_cast<size_t>(brw->nRowPos - 1)].front(),
              "riga " + std::to_string(src->position()));

    // The end of the table is reached by the source, not by reading down to it.
    const long readMid = src->rowsRead;
    brw->GoBottom();
    EXPECT_EQ(src->position(), 100000);
    EXPECT_EQ(brw->nRowPos, rows);
    EXPECT_EQ(brw->ShownRows().back().front(), "riga 100000");
    EXPECT_LE(src->rowsRead - readMid, static_cast<long>(rows));
    EXPECT_LT(src->rowsWalked, 100000);
    // Moving does not count the table again; an explicit refresh does.
    EXPECT_EQ(src->counts, countsBefore);
    brw->Refresh();
    EXPECT_EQ(src->counts, countsBefore + 1);
    // A move of the program shown with Stabilize (a key search) does not count it
    // either.
    src->goTo(5000);
    brw->Stabilize();
    EXPECT_EQ(src->counts, countsBefore + 1);
    EXPECT_EQ(brw->ShownRows()[static_cast<size_t>(brw->nRowPos - 1)].front(), "riga 5000");
    dlg.End(0);
}

TEST_F(BrowseTest, KeysMoveTheSourceAndTheViewStaysFull) {
    auto src = std::make_shared<CountingSource>(50);
    TDialog dlg("LISTA");
    auto* brw =
        TWBrowse::Redefine(101, [&] { return cellsOf(*src); }, dlg,
                           {.headers = {"DATA", "E"}, .colSizes = {120, 16}, .source = src});
    std::vector<int> keys;
    std::vector<int> chars;
    brw->bKeyDown = [&](int k, int, TWindow&) { keys.push_back(k); };
    brw->bKeyChar = [&](int c, int, TWindow&) { chars.push_back(c); };
    dlg.Activate({.modal = false});
    test::focus(*brw);
    const int rows = brw->nRowCount();
    test::key(brw->hWnd(), Qt::Key_Down);
    test::key(brw->hWnd(), Qt::Key_Down);
    EXPECT_EQ(src->position(), 3);
    EXPECT_EQ(brw->nRowPos, 3);
    test::key(brw->hWnd(), Qt::Key_End);
    EXPECT_EQ(src->position(), 50);
    EXPECT_EQ(brw->nRowPos, rows);
    EXPECT_EQ(brw->ShownRows().size(), static_cast<size_t>(rows));
    test::key(brw->hWnd(), Qt::Key_Home);
    EXPECT_EQ(src->position(), 1);
    test::key(brw->hWnd(), Qt::Key_Space);
    test::key(brw->hWnd(), Qt::Key_Return);
    EXPECT_EQ(keys,
              (std::vector<int>{vk::Down, vk::Down, vk::End, vk::Home, vk::Space, vk::Return}));
    EXPECT_EQ(chars, (std::vector<int>{32, 13}));

    // Someone else moves the source (a search): Refresh shows where it stands.
    src->goTo(40);
    brw->Refresh();
    EXPECT_EQ(brw->ShownRows()[static_cast<size_t>(brw->nRowPos - 1)].front(), "riga 40");
    EXPECT_EQ(brw->ShownRows().size(), static_cast<size_t>(rows));
    dlg.End(0);
}

TEST_F(BrowseTest, RowColoursAreEvaluatedOnTheirOwnRows) {
    auto src = std::make_shared<CountingSource>(10);
    TDialog dlg("LISTA");
    auto* brw = TWBrowse::Redefine(101, [&] { return cellsOf(*src); }, dlg,
                                   {.headers = {"DATA", "E"}, .colSizes = {120, 16}});
    const tk::Color red = tk::rgb(255, 0, 0), black = tk::rgb(0, 0, 0);
    brw->nClrText = [&] { return src->position() % 3 == 0 ? red : black; };
    brw->nClrBackFocus = [&] {
        return src->position() % 3 == 0 ? red : tk::getSysColor(tk::kColorHighlight);
    };
    brw->SetSource(src);
    const auto& shown = brw->Rows();
    ASSERT_EQ(shown.size(), 10u);
    for (const auto& r : shown) {
        EXPECT_EQ(r.text, r.pos % 3 == 0 ? red : black) << r.pos;
        EXPECT_EQ(r.focusPane, r.pos % 3 == 0 ? red : tk::getSysColor(tk::kColorHighlight))
            << r.pos;
    }
    EXPECT_EQ(src->position(), 1); // the source is back on the current row
}

TEST_F(BrowseTest, ClicksSelectTheRowAndTellTheColumn) {
    auto src = std::make_shared<CountingSource>(10);
    TDialog dlg("LISTA");
    std::vector<std::pair<long, int>> clicks;
    std::vector<long> doubles;
    int headerClicks = 0;
    TWBrowse* brw = nullptr;
    brw = TWBrowse::Redefine(
        101, [&] { return cellsOf(*src); }, dlg,
        {.headers = {"DATA", "E"},
         .colSizes = {120, 16},
         .dblClick = [&](int, int, int, TWindow&) { doubles.push_back(src->position()); },
         .source = src});
    brw->bLClicked = [&](int, int col, int, TWindow&) {
        clicks.push_back({src->position(), brw->nAtCol(col)});
    };
    brw->aActions = {[&] { ++headerClicks; }};
    dlg.Activate({.modal = false});
    QWidget* view = static_cast<QAbstractScrollArea*>(brw->hWnd())->viewport();
    const int y3 = brw->HeaderHeight() + 2 * brw->RowHeight() + 3;
    test::click(view, 10, y3);
    test::click(view, 125, y3);
    test::click(view, 10, 3); // header of column 1
    test::click(view, 10, brw->HeaderHeight() + 4, true);
    ASSERT_GE(clicks.size(), 2u);
    EXPECT_EQ(clicks[0], std::make_pair(3L, 1));
    EXPECT_EQ(clicks[1], std::make_pair(3L, 2));
    EXPECT_EQ(headerClicks, 1);
    ASSERT_EQ(doubles.size(), 1u);
    EXPECT_EQ(doubles[0], 1);
    EXPECT_EQ(brw->nAtCol(130), 2);
    EXPECT_EQ(brw->nAtCol(500), 0);
    dlg.End(0);
}

TEST_F(BrowseTest, EmptySourceShowsNoRowsAndIgnoresMoves) {
    auto src = std::make_shared<CountingSource>(0);
    TDialog dlg("LISTA");
    auto* brw = TWBrowse::Redefine(101, [&] { return cellsOf(*src); }, dlg, {.source = src});
    brw->GoDown();
    brw->PageDown();
    brw->GoBottom();
    EXPECT_TRUE(brw->Rows().empty());
    EXPECT_EQ(src->rowsRead, 0);
    EXPECT_EQ(brw->nLen(), 0);
}

TEST_F(BrowseTest, EditColumnReturnsTheTextOrNothingWhenCancelled) {
    auto src = std::make_shared<CountingSource>(5);
    TDialog dlg("LISTA");
    auto* brw = TWBrowse::Redefine(101, [&] { return cellsOf(*src); }, dlg,
                                   {.headers = {"NOME"}, .colSizes = {200}, .source = src});
    dlg.Activate({.modal = false});
    test::focus(*brw);
    const auto editWith = [&](const char* keys, Qt::Key last) {
        QTimer::singleShot(0, [&, keys, last] {
            // The cell editor is a line edit over the list.
            auto* ed = brw->hWnd()->findChild<QLineEdit*>();
            ASSERT_NE(ed, nullptr);
            EXPECT_EQ(ed->text(), "vecchio");
            ed->selectAll();
            QTest::keyClicks(ed, keys);
            QTest::keyClick(ed, last);
        });
        return brw->EditColumn(1, "vecchio", 20);
    };
    EXPECT_EQ(editWith("nuovo", Qt::Key_Return), std::optional<std::string>("nuovo"));
    EXPECT_EQ(editWith("scartato", Qt::Key_Escape), std::nullopt);
    EXPECT_TRUE(brw->hWnd()->hasFocus());
    dlg.End(0);
}
