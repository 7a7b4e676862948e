#include "tests/support/files.h"
#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "tests/support/print_helpers.h"
#include "tests/support/temp_folder.h"
#include "toolkit/print/output.h"
#include "toolkit/print/printer.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <gtest/gtest.h>

#include <cmath>

namespace dn {
namespace {

using print::DrawOp;

class PrinterTest : public ::testing::Test {
protected:
    void SetUp() override { test::guiApp(); }
    test::PrintEnv env;
    test::ScriptedMessages msgs;
};

TEST_F(PrinterTest, WithoutPrintersJobsUseAnA4PageAt600DpiInTheChosenOrientation) {
    TPrinter p("Prova");
    EXPECT_EQ(p.Recording().printerName, "");
    EXPECT_EQ(p.dpiX(), 600);
    // A4 is 4961 x 7016 units at 600 dpi; 100 units are lost on every side.
    EXPECT_EQ(p.nHorzRes(), 4961 - 200);
    EXPECT_EQ(p.nVertRes(), 7016 - 200);

    PRNLANDSCAPE();
    TPrinter l("Busta");
    EXPECT_EQ(l.nHorzRes(), 7016 - 200);
    EXPECT_EQ(l.nVertRes(), 4961 - 200);
    EXPECT_EQ(l.Recording().orientation, QPageLayout::Landscape);
    // The job already open keeps its page.
    EXPECT_EQ(p.nHorzRes(), 4961 - 200);
    PRNPORTRAIT();
    EXPECT_EQ(TPrinter("Scheda").nVertRes(), 7016 - 200);
}

TEST_F(PrinterTest, FontsAreBoundToThePrinterWithCourierNewScaledDown) {
    TPrinter p("Prova");
    // 72 points are 600 units: Courier New takes 467 of them.
    const TFont courier("Courier New", 0, -72);
    const TFont arial("Arial", 0, -10, true);
    p.Say(0, 0, "C", &courier);
    p.Say(0, 0, "A", &arial);
    const auto t = p.Recording().pages.at(0).texts();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0]->face, "Courier New");
    EXPECT_EQ(t[0]->font.pixelSize(), 467);
    EXPECT_EQ(t[1]->font.pixelSize(), std::lround(10 * 600 / 72.0));
    EXPECT_TRUE(t[1]->bold);
    EXPECT_TRUE(t[1]->font.bold());

    // A font made for another device is sized for this job all the same.
    struct Screen : FontDevice {
        double dpiX() const override { return 96; }
        double dpiY() const override { return 96; }
    } screen;
    const TFont plain("Arial", 0, -10);
    const TFont elsewhere("Arial", 0, -10, false, false, false, false, &screen);
    EXPECT_DOUBLE_EQ(p.GetTextWidth("Testo", &elsewhere), p.GetTextWidth("Testo", &plain));
    EXPECT_GT(p.GetTextWidth("Testo", &plain),
              QFontMetricsF(elsewhere.hFont()).horizontalAdvance("Testo") * 5);
    // Courier New is fixed-pitch: ten letters are ten times one.
    EXPECT_NEAR(p.GetTextWidth("BBBBBBBBBB", &courier), 10 * p.GetTextWidth("B", &courier), 0.01);
}

TEST_F(PrinterTest, SayPlacesTextByAlignmentWithAndWithoutWidth) {
    TPrinter p("Prova");
    const TFont f("Arial", 0, -12);
    const double tw = p.GetTextWidth("Testo", &f);
    p.Say(100, 1000, "Testo", &f);
    p.Say(200, 1000, "Testo", &f, 2000, 0, BK_TRANSPARENT, 1);
    p.Say(300, 1000, "Testo", &f, 2000, 0, BK_TRANSPARENT, 2);
    p.Say(400, 1000, "Testo", &f, 0, 0, BK_TRANSPARENT, 1);
    p.Say(500, 1000, "Testo", &f, 0, 0xFF, BK_OPAQUE, 2);
    const auto t = p.Recording().pages.at(0).texts();
    ASSERT_EQ(t.size(), 5u);
    EXPECT_DOUBLE_EQ(t[0]->x, 1000);
    EXPECT_NEAR(t[1]->x + tw, 3000, 0.01);
    EXPECT_NEAR(t[2]->x + tw / 2, 2000, 0.01);
    EXPECT_NEAR(t[3]->x, 1000 - tw, 0.01);
    EXPECT_NEAR(t[4]->x, 1000 - tw / 2, 0.01);
    EXPECT_EQ(t[1]->align, 1);
    EXPECT_EQ(t[2]->align, 2);
    EXPECT_NEAR(t[0]->textWidth, tw, 0.01);
    EXPECT_GT(t[0]->baseline, t[0]->row);
    EXPECT_EQ(t[0]->color, 0u);
    EXPECT_FALSE(t[0]->opaque);
    EXPECT_EQ(t[4]->color, 0xFFu);
    EXPECT_TRUE(t[4]->opaque);
    // Same-line printing continues where the last text ended.
    EXPECT_NEAR(p.nLastCol(), 1000 - tw / 2 + tw, 0.01);
    EXPECT_DOUBLE_EQ(p.nLastRow(), 500);
}

TEST_F(PrinterTest, PagesOpenWhenNeededAndClippedTextsKeepWhatShows) {
    TPrinter p("Prova");
    EXPECT_EQ(p.nPages(), 0);
    p.Say(10, 10, "senza pagina aperta");
    EXPECT_EQ(p.nPages(), 1);
    p.EndPage();
    p.EndPage();
    p.Say(10, 10, "dopo la fine della pagina");
    EXPECT_EQ(p.nPages(), 2);
    p.StartPage();
    p.StartPage();
    EXPECT_EQ(p.nPages(), 4);
    EXPECT_TRUE(p.Recording().pages[2].ops.empty());

    const TFont mono("Courier New", 0, -8);
    const double b = p.GetTextWidth("B", &mono);
    const std::string value(40, 'm');
    TPrinter::SayOptions o;
    o.width = 28 * b;
    o.clip = true;
    o.align = 1; // a text that overflows starts at the column all the same
    p.Say(100, 500, value, &mono, o);
    const DrawOp& op = *p.Recording().pages[3].texts().at(0);
    EXPECT_EQ(op.text, std::string(28, 'm'));
    EXPECT_DOUBLE_EQ(op.x, 500);
    EXPECT_DOUBLE_EQ(op.clipLeft, 500);
    EXPECT_NEAR(op.clipRight, 500 + 28 * b, 1e-9);
    // A text that fits is aligned as asked and not cut.
    p.Say(200, 500, "abc", &mono, o);
    const DrawOp& fits = *p.Recording().pages[3].texts().at(1);
    EXPECT_EQ(fits.text, "abc");
    EXPECT_NEAR(fits.x + fits.textWidth, 500 + 28 * b, 0.01);
}

TEST_F(PrinterTest, EndingAJobWithoutPreviewOrPrinterSaysWhyItCannotPrint) {
    TPrinter p("Prova", false);
    p.Say(10, 10, "x");
    EXPECT_FALSE(p.End());
    ASSERT_EQ(msgs.asked.size(), 1u);
    EXPECT_EQ(msgs.asked[0].text, print::kMsgNoPrinter);
    EXPECT_TRUE(p.IsEnded());
    EXPECT_TRUE(p.End()); // once only
    EXPECT_EQ(msgs.asked.size(), 1u);

    TPrinter quiet("Prova", false, true);
    quiet.Say(10, 10, "x");
    EXPECT_TRUE(quiet.End());
    EXPECT_EQ(msgs.asked.size(), 1u);
}

TEST_F(PrinterTest, PdfHoldsEveryTextWhereTheRecordingPutIt) {
    TPrinter p("Prova PDF");
    const TFont arial("Arial", 0, -12);
    const TFont courier("Courier New", 0, -10, true);
    p.StartPage();
    p.Say(500, 300, "Sinistra", &arial);
    p.Say(900, 300, "Destra", &arial, 2000, 0, BK_TRANSPARENT, 1);
    p.Say(1300, 300, "Centro", &arial, 2000, 0, BK_TRANSPARENT, 2);
    p.Say(1700, 4000, "Spostato", &arial, 0, 0, BK_TRANSPARENT, 1);
    p.Line(2000, 0, 2000, p.nHorzRes());
    p.EndPage();
    p.StartPage();
    p.Say(p.nVertRes() - 200, p.nHorzRes() - 2000, "Seconda", &courier);
    p.EndPage();

    test::TempFolder dir;
    const std::string pdf = dir / "prova.pdf";
    ASSERT_TRUE(print::savePdfFile(p.Recording(), pdf));
    EXPECT_EQ(test::pdfInfo(pdf, "Pages"), "2");
    EXPECT_EQ(test::pdfInfo(pdf, "Title"), "Prova PDF");
    EXPECT_NE(test::pdfInfo(pdf, "Page size").find("(A4)"), std::string::npos)
        << test::pdfInfo(pdf, "Page size");

    const auto words = test::pdfWords(pdf);
    const auto& rec = p.Recording();
    for (int page = 0; page < 2; ++page) {
        for (const DrawOp* op : rec.pages[page].texts()) {
            const auto found = test::findWords(words, op->text, page + 1);
            ASSERT_EQ(found.size(), 1u) << op->text;
            const auto& w = found[0];
            EXPECT_NEAR(w.xMin, test::pointsX(rec, op->x), 1.0) << op->text;
            EXPECT_NEAR(w.xMax, test::pointsX(rec, op->x + op->textWidth), 1.5) << op->text;
            const double base = test::pointsY(rec, op->baseline);
            EXPECT_LT(w.yMin, base) << op->text;
            EXPECT_GT(w.yMax, base) << op->text;
            EXPECT_NEAR(w.yMin, test::pointsY(rec, op->row), 2.0) << op->text;
        }
    }
}

TEST_F(PrinterTest, PdfThatCannotBeWrittenLeavesNoFile) {
    TPrinter p("Prova");
    p.Say(10, 10, "x");
    test::TempFolder dir;
    test::writeFile(dir / "file", "");
    const std::string bad = dir / "file/dentro.pdf";
    EXPECT_FALSE(print::savePdfFile(p.Recording(), bad));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(bad)));
}

} // namespace
} // namespace dn
