#include "common/ui/linegrid.h"
#include "common/util/format.h"
#include "tests/support/gui.h"
#include "tests/support/print_helpers.h"

#include <gtest/gtest.h>

namespace dn::ui {
namespace {

using print::DrawOp;

class LineGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::guiApp();
        SETPROW(0);
        PFEED(1);
        prn = TPrinter::New("Prova griglia");
        prn->StartPage();
        lh = prn->nVertRes() / 66.0;
        cw = prn->nHorzRes() / 80.0;
    }
    void TearDown() override {
        SETPROW(0);
        PFEED(1);
    }
    std::vector<const DrawOp*> texts() const { return prn->Recording().pages.at(0).texts(); }

    test::PrintEnv env;
    std::unique_ptr<TPrinter> prn;
    TFont arial{"Arial", 0, -12};
    TFont courier{"Courier New", 0, -12};
    double lh = 0, cw = 0;
};

TEST_F(LineGridTest, LinesColumnsAndPlacements) {
    // After SETPROW(0) the page starts at grid line 2; a new line moves one feed.
    PRINTTXT({"TITOLO"}, std::nullopt, false, std::nullopt, false, *prn, &arial);
    PRINTTXT({"15/03/2025"}, 37, false, std::nullopt, false, *prn, &arial);
    PRINTTXT({"seguito"}, 0, false, std::nullopt, false, *prn, &arial);
    EXPECT_NEAR(SETPROW(), 3 * lh, 1e-6);
    PFEED(2);
    PRINTTXT({}, std::nullopt, false, std::nullopt, false, *prn, &arial); // a pure line feed
    PRINTTXT({"citt\x85", "e", "perch\x82"}, 30, false, std::nullopt, false, *prn, &arial);
    PRINTTXT({"DESTRA"}, 10, true, 20, false, *prn, &arial);
    PRINTTXT({"CENTRO"}, std::nullopt, false, std::nullopt, true, *prn, &arial);
    PRINTTXT({"MEZZO"}, 10, false, 20, true, *prn, &arial);
    PRINTTXT({"TAGLIATO MOLTO LUNGO"}, 10, false, std::nullopt, false, *prn, &courier, 3);
    PRINTTXT({"FONDO"}, 50, false, std::nullopt, false, *prn, &arial, std::nullopt, false, 0x0000FF,
             0x00FFFF);

    const auto t = texts();
    ASSERT_EQ(t.size(), 9u);
    EXPECT_EQ(t[0]->text, "TITOLO");
    EXPECT_NEAR(t[0]->row, 3 * lh, 1e-6);
    EXPECT_NEAR(t[0]->x, 5 * cw, 1e-6);
    EXPECT_NEAR(t[1]->row, 3 * lh, 1e-6);
    EXPECT_NEAR(t[1]->x, 42 * cw, 1e-6);
    // Same-line mode continues where the date ended.
    EXPECT_NEAR(t[2]->x, t[1]->x + t[1]->textWidth, 1e-6);
    EXPECT_NEAR(t[2]->row, 3 * lh, 1e-6);
    // The empty print and the column print: the feed of 2 counted once.
    EXPECT_NEAR(t[3]->row, 5 * lh, 1e-6);
    EXPECT_EQ(t[3]->text, "citt\xE0 e perch\xE9");
    EXPECT_NEAR(t[3]->x, 35 * cw, 1e-6);
    EXPECT_NEAR(t[4]->x + t[4]->textWidth, 35 * cw, 1e-6);
    EXPECT_NEAR(t[5]->row, 7 * lh, 1e-6);
    EXPECT_NEAR(t[5]->x + t[5]->textWidth / 2, prn->nHorzRes() / 2.0, 1e-6);
    EXPECT_NEAR(t[6]->x + t[6]->textWidth / 2, 25 * cw, 1e-6);
    // Clipped to three columns of Courier: three letters drawn (the 3rd cut at the edge).
    EXPECT_NEAR(t[7]->x, 15 * cw, 1e-6);
    EXPECT_TRUE(t[7]->clipped());
    EXPECT_NEAR(t[7]->clipRight, 18 * cw, 1e-6);
    EXPECT_LT(t[7]->text.size(), 6u);
    EXPECT_EQ(t[8]->color, 0x0000FFu);
    EXPECT_TRUE(t[8]->opaque);
    EXPECT_EQ(t[8]->back, 0x00FFFFu);
    EXPECT_FALSE(t[0]->opaque);
}

// Two paragraphs of three lines each: the third and the sixth line are printed
// as they are, the others stretched to end at grid column 75.
TEST_F(LineGridTest, JustifiedParagraphsEndAtTheRightEdgeButTheirLastLine) {
    const std::string p1 = "Preparare la documentazione completa per la pratica di rinnovo della "
                           "concessione edilizia con tutti gli allegati richiesti dal comune e "
                           "consegnarla entro la scadenza.";
    const std::string p2 = "Telefonare al geometra per fissare il sopralluogo presso il cantiere "
                           "di via Roma e concordare con lui le date delle prossime verifiche "
                           "tecniche sul posto.";
    const auto lines = wrapLines(MEMOADJ(p1 + "\r\n" + p2), 70);
    ASSERT_EQ(lines.size(), 6u);
    for (const std::string& l : lines)
        PRINTTXT({l}, std::nullopt, false, std::nullopt, false, *prn, &courier, std::nullopt, true);

    std::map<double, std::vector<const DrawOp*>> byRow;
    for (const DrawOp* t : texts()) {
        EXPECT_EQ(t->text.find(kParagraphMark), std::string::npos);
        byRow[t->row].push_back(t);
    }
    ASSERT_EQ(byRow.size(), 6u);
    const double blank = prn->GetTextWidth(" ", &courier);
    int i = 0;
    for (const auto& [row, ops] : byRow) {
        ++i;
        EXPECT_NEAR(ops.front()->x, 5 * cw, 1e-6) << "line " << i;
        const double end = ops.back()->x + ops.back()->textWidth;
        if (i == 3 || i == 6) {
            EXPECT_LT(end, 75 * cw - blank) << "line " << i;
            for (size_t k = 1; k < ops.size(); ++k)
                EXPECT_NEAR(ops[k]->x, ops[k - 1]->x + ops[k - 1]->textWidth + blank, 1e-6);
        } else {
            EXPECT_NEAR(end, 75 * cw, 1e-6) << "line " << i;
        }
    }
    // A justified text with a width is stretched to that many columns.
    PRINTTXT({"a b c"}, 10, false, std::nullopt, false, *prn, &courier, 20, true);
    const auto t = texts();
    EXPECT_NEAR(t.back()->x + t.back()->textWidth, 35 * cw, 1e-6);
}

TEST_F(LineGridTest, LineAndFeedAreKeptAcrossJobs) {
    PFEED(1.3);
    PRINTTXT({"uno"}, std::nullopt, false, std::nullopt, false, *prn, &arial);
    EXPECT_NEAR(SETPROW(), 3.3 * lh, 1e-6);
    auto next = TPrinter::New("Altro");
    PRINTTXT({"due"}, std::nullopt, false, std::nullopt, false, *next, &arial);
    EXPECT_NEAR(SETPROW(), 4.6 * lh, 1e-6);
    EXPECT_DOUBLE_EQ(PFEED(), 1.3);
    EXPECT_DOUBLE_EQ(SETPROW(0), 0);
}

TEST_F(LineGridTest, TextThatWouldLeaveThePageGoesOnANewPageButEmptyLinesDoNot) {
    // Feeds of 2 from line 60: lines 62 and 64 fit, line 66 would end below the page.
    SETPROW(60 * lh);
    PFEED(2);
    PRINTTXT({"a"}, std::nullopt, false, std::nullopt, false, *prn, &arial);
    PRINTTXT({"b"}, std::nullopt, false, std::nullopt, false, *prn, &arial);
    // Empty and blank lines past the end open no page.
    PRINTTXT({}, std::nullopt, false, std::nullopt, false, *prn, &arial);
    PRINTTXT({"   "}, std::nullopt, false, std::nullopt, false, *prn, &arial);
    PRINTMEMO("", 3, *prn, &courier);
    EXPECT_EQ(prn->Recording().pages.size(), 1u);
    // A text: on a new page, where the first line after SETPROW(0) lands; what
    // follows on the same line stays with it.
    PRINTTXT({"DATA:"}, std::nullopt, false, std::nullopt, false, *prn, &arial);
    PRINTTXT({"valore"}, 8, false, std::nullopt, false, *prn, &arial);
    const auto& pages = prn->Recording().pages;
    ASSERT_EQ(pages.size(), 2u);
    const auto first = pages[0].texts();
    ASSERT_GE(first.size(), 2u);
    EXPECT_EQ(first[1]->text, "b");
    EXPECT_NEAR(first[1]->row, 64 * lh, 1e-6);
    const auto second = pages[1].texts();
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0]->text, "DATA:");
    EXPECT_NEAR(second[0]->row, 4 * lh, 1e-6);
    EXPECT_NEAR(second[1]->row, 4 * lh, 1e-6);
    EXPECT_NEAR(second[1]->x, 13 * cw, 1e-6);
}

TEST(MemoAdj, MarksEveryParagraphEndOnce) {
    EXPECT_EQ(MEMOADJ("uno\r\ndue"), "uno\x7F\r\ndue\x7F");
    EXPECT_EQ(MEMOADJ("uno\x7F"), "uno\x7F");
    EXPECT_EQ(MEMOADJ(""), "\x7F");
    EXPECT_EQ(MEMOADJ("a\nb"), "a\nb\x7F");
}

} // namespace
} // namespace dn::ui
