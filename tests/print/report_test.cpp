#include "tests/support/fixed_clock.h"
#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "tests/support/print_helpers.h"
#include "tests/support/temp_folder.h"
#include "toolkit/print/output.h"
#include "toolkit/print/report.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace dn {
namespace {

using print::DrawOp;

// A contact list as the address book prints it: 130 contacts, row 1 with a
// 40-character e-mail address, dates, a done mark on every third row.
class ReportTest : public ::testing::Test {
protected:
    void SetUp() override { test::guiApp(); }

    test::FixedClock clock_{Date::fromYmd(2025, 3, 15)};

    std::unique_ptr<TReport> contactList(test::NumberedRows& rows, int extraWidth = 0) {
        TReport::Options o;
        o.docName = "Stampa rubrica telefonica";
        o.fonts = {TFont("Courier New", 0, -8), TFont("Courier New", 0, -8, true)};
        o.header = {TReport::HdrLine("STAMPA RUBRICA TELEFONICA"),
                    [](TReport&) { return std::string(); }};
        auto r = TReport::New(rows, o);
        r->SetColTitFont(2);
        r->AddColumn(
            {"NOMINATIVO"},
            [&rows] { return Value("CONTATTO " + std::to_string(rows.position()) + "   "); }, 35);
        r->AddColumn(
            {"E-MAIL"},
            [&rows] {
                return Value(rows.position() == 1 ? std::string(40, 'e') : std::string("a@b.it"));
            },
            28);
        r->AddColumn(
            {"DATA"},
            [&rows] {
                return Value(Date::fromYmd(2025, 4, 1).addDays(static_cast<int>(rows.position())));
            },
            10);
        r->AddColumn(
            {"GG"}, [&rows] { return Value(std::string(rows.position() % 2 ? "LUN" : "MA")); }, 0);
        r->AddColumn(
            {"TELEFONO CASA"}, [] { return Value("0"); }, 2);
        r->AddColumn(
            {"E"}, [&rows] { return Value(rows.position() % 3 == 0 ? "X" : ""); }, 3, "RIGHT", 2);
        if (extraWidth > 0) {
            r->AddColumn(
                {"NOTE"}, [] { return Value("note"); }, extraWidth);
            r->AddColumn(
                {"OLTRE"}, [] { return Value("mai"); }, 5);
        }
        return r;
    }

    // A one-column report of the row numbers whose data block throws on row failRow.
    static std::unique_ptr<TReport> failingAt(test::NumberedRows& rows, long failRow) {
        TReport::Options o;
        o.fonts = {TFont("Courier New", 0, -8)};
        auto r = TReport::New(rows, o);
        r->AddColumn(
            {"N"},
            [&rows, failRow]() -> Value {
                if (rows.position() == failRow)
                    throw std::runtime_error("guasto");
                return Value(static_cast<double>(rows.position()));
            },
            5);
        return r;
    }

    test::PrintEnv env;
    test::ScriptedMessages msgs;
};

// The texts of a page at one row.
std::vector<const DrawOp*> atRow(const print::Page& p, double row) {
    std::vector<const DrawOp*> out;
    for (const DrawOp* t : p.texts())
        if (std::abs(t->row - row) < 0.01)
            out.push_back(t);
    return out;
}

TEST_F(ReportTest, ColumnsAreCountedInLettersBAndNarrowedAtTheMargin) {
    test::NumberedRows rows(3);
    auto r = contactList(rows, 200);
    r->Run();
    const auto& m = r->Layout();
    TPrinter& prn = r->oDevice();
    const TFont f1("Courier New", 0, -8);
    const double b = prn.GetTextWidth("B", &f1);
    EXPECT_DOUBLE_EQ(m.charWidth, b);
    EXPECT_DOUBLE_EQ(m.fontHeight, prn.GetTextHeight(&f1));
    EXPECT_DOUBLE_EQ(m.topMargin, 1.3 * m.fontHeight);
    EXPECT_DOUBLE_EQ(m.lineHeight, m.topMargin);
    EXPECT_DOUBLE_EQ(m.leftMargin, 2 * b);
    EXPECT_DOUBLE_EQ(m.lineWidth, prn.nHorzRes() - 4 * b);

    const auto& c = r->Placement();
    ASSERT_EQ(c.size(), 8u);
    EXPECT_DOUBLE_EQ(c[0].x, m.leftMargin);
    EXPECT_NEAR(c[0].width, 35 * b, 1e-9);
    EXPECT_NEAR(c[1].x, c[0].x + 36 * b, 1e-9);
    EXPECT_NEAR(c[1].width, 28 * b, 1e-9);
    EXPECT_TRUE(c[2].date);
    EXPECT_NEAR(c[3].width, 3 * b, 1e-9); // as wide as "LUN" in the first row
    // Never narrower than its title in the title font.
    const TFont bold("Courier New", 0, -8, true);
    EXPECT_NEAR(c[4].width, prn.GetTextWidth("TELEFONO CASA", &bold), 1e-9);
    EXPECT_GT(c[4].width, 2 * b);
    // The column that would pass the line's end ends there; the next is dropped.
    EXPECT_NEAR(c[6].x + c[6].width, m.leftMargin + m.lineWidth, 1e-6);
    EXPECT_LT(c[6].width, 200 * b);
    EXPECT_EQ(c[7].width, 0);
    for (const DrawOp* t : prn.Recording().pages[0].texts())
        EXPECT_NE(t->text, "OLTRE");
}

TEST_F(ReportTest, EveryPageRepeatsHeaderTitlesAndRules) {
    test::NumberedRows rows(130);
    rows.goTo(37);
    auto r = contactList(rows);
    r->Run();
    EXPECT_EQ(rows.position(), 37);
    const auto& rec = r->oDevice().Recording();
    const auto& m = r->Layout();
    ASSERT_GE(rec.pages.size(), 2u);
    EXPECT_EQ(r->nPage(), static_cast<int>(rec.pages.size()));
    const double limit = r->oDevice().nVertRes() - m.topMargin;
    const double lineEnd = m.leftMargin + m.lineWidth;

    int dataLines = 0;
    for (size_t i = 0; i < rec.pages.size(); ++i) {
        const auto& page = rec.pages[i];
        SCOPED_TRACE("pagina " + std::to_string(i + 1));
        // Header: text at the left, date centred, page number at the right end.
        const auto hdr = atRow(page, m.topMargin);
        ASSERT_EQ(hdr.size(), 3u);
        EXPECT_EQ(hdr[0]->text, "STAMPA RUBRICA TELEFONICA");
        EXPECT_DOUBLE_EQ(hdr[0]->x, m.leftMargin);
        EXPECT_EQ(hdr[1]->text, "15/03/2025");
        EXPECT_NEAR(hdr[1]->x + hdr[1]->textWidth / 2, m.leftMargin + m.lineWidth / 2, 0.01);
        EXPECT_EQ(hdr[2]->text, "PAG.  " + std::to_string(i + 1));
        EXPECT_NEAR(hdr[2]->x + hdr[2]->textWidth, lineEnd, 0.01);
        EXPECT_FALSE(hdr[2]->bold);
        // Titles in the bold font two lines below (header line 2 is empty).
        const auto titles = atRow(page, m.topMargin + 2 * m.lineHeight);
        ASSERT_EQ(titles.size(), 6u);
        EXPECT_EQ(titles[0]->text, "NOMINATIVO");
        for (const DrawOp* t : titles)
            EXPECT_TRUE(t->bold) << t->text;
        // A rule under the titles and one closing the page, across the line.
        int rules = 0;
        for (const auto& op : page.ops) {
            if (op.kind != DrawOp::Kind::Line)
                continue;
            ++rules;
            EXPECT_DOUBLE_EQ(op.x, m.leftMargin);
            EXPECT_DOUBLE_EQ(op.x2, lineEnd);
        }
        EXPECT_EQ(rules, 2);
        // Data lines: all above the limit; a full page had no room for one more.
        double last = 0;
        int onPage = 0;
        for (const DrawOp* t : page.texts())
            if (t->text.rfind("CONTATTO ", 0) == 0) {
                EXPECT_LE(t->row + m.fontHeight, limit);
                EXPECT_EQ(t->text, "CONTATTO " + std::to_string(++dataLines));
                EXPECT_FALSE(t->bold);
                last = t->row;
                ++onPage;
            }
        EXPECT_GT(onPage, 0);
        if (i + 1 < rec.pages.size()) {
            EXPECT_GT(last + m.lineHeight + m.fontHeight, limit);
        }
    }
    EXPECT_EQ(dataLines, 130);
}

TEST_F(ReportTest, ReportPastOnePageCountsItsPagesInTheWaitBox) {
    std::vector<std::string> box;
    print::settings().progress.open = [&box] { box.push_back("open"); };
    print::settings().progress.page = [&box](int n) { box.push_back(std::to_string(n)); };
    print::settings().progress.close = [&box] { box.push_back("close"); };

    // One page: no box.
    test::NumberedRows few(5);
    contactList(few)->Run();
    EXPECT_TRUE(box.empty());

    // Several pages: the box opens after the first and counts each one.
    test::NumberedRows many(130);
    auto r = contactList(many);
    r->Run();
    const int pages = r->nPage();
    ASSERT_GE(pages, 2);
    std::vector<std::string> expected{"open"};
    for (int n = 1; n <= pages; ++n)
        expected.push_back(std::to_string(n));
    expected.push_back("close");
    EXPECT_EQ(box, expected);

    // A report that fails on its second page closes the box all the same.
    box.clear();
    test::NumberedRows failing(130);
    EXPECT_THROW(failingAt(failing, 125)->Run(), std::runtime_error);
    ASSERT_GE(box.size(), 3u);
    EXPECT_EQ(box.front(), "open");
    EXPECT_EQ(box.back(), "close");
}

TEST_F(ReportTest, ValuesAreClippedCentredAndRightAligned) {
    test::NumberedRows rows(3);
    auto r = contactList(rows);
    r->Run();
    const auto& c = r->Placement();
    const auto& page = r->oDevice().Recording().pages.at(0);
    const DrawOp* mail = nullptr;
    const DrawOp* date = nullptr;
    const DrawOp* done = nullptr;
    for (const DrawOp* t : page.texts()) {
        if (t->text.rfind("eee", 0) == 0)
            mail = t;
        if (t->text == "04/04/2025")
            date = t;
        if (t->text == "X")
            done = t;
    }
    ASSERT_TRUE(mail && date && done);
    // 40 characters in a 28-character column: the first 28 show.
    EXPECT_EQ(mail->text, std::string(28, 'e'));
    EXPECT_NEAR(mail->clipRight - mail->clipLeft, c[1].width, 1e-9);
    // A date is centred though the column asked for nothing.
    EXPECT_NEAR(date->x + date->textWidth / 2, c[2].x + c[2].width / 2, 0.01);
    // "X" ends at the column's right edge, in bold.
    EXPECT_NEAR(done->x + done->textWidth, c[5].x + c[5].width, 0.01);
    EXPECT_TRUE(done->bold);
    // Trailing blanks of a field are not drawn.
    bool name = false;
    for (const DrawOp* t : page.texts())
        name = name || t->text == "CONTATTO 1";
    EXPECT_TRUE(name);
}

TEST_F(ReportTest, RowIsPutBackWhenADataBlockFails) {
    test::NumberedRows rows(80);
    rows.goTo(12);
    EXPECT_THROW(failingAt(rows, 50)->Run(), std::runtime_error);
    EXPECT_EQ(rows.position(), 12);
}

TEST_F(ReportTest, EmptySourcePrintsOnePageWithHeaderAndTitles) {
    test::NumberedRows rows(0);
    auto r = contactList(rows);
    r->Run();
    const auto& rec = r->oDevice().Recording();
    ASSERT_EQ(rec.pages.size(), 1u);
    EXPECT_EQ(atRow(rec.pages[0], r->Layout().topMargin).size(), 3u);
}

TEST_F(ReportTest, PdfOfTheReportShowsTheRecordedPages) {
    test::NumberedRows rows(130);
    PRNLANDSCAPE();
    auto r = contactList(rows);
    PRNPORTRAIT();
    r->Run();
    const auto& rec = r->oDevice().Recording();
    test::TempFolder dir;
    const std::string pdf = dir / "rubrica.pdf";
    ASSERT_TRUE(print::savePdfFile(rec, pdf));
    EXPECT_EQ(test::pdfInfo(pdf, "Pages"), std::to_string(rec.pages.size()));
    EXPECT_NE(test::pdfInfo(pdf, "Page size").find("842 x 595"), std::string::npos);

    const auto words = test::pdfWords(pdf);
    for (int page = 1; page <= 2; ++page) {
        const auto pag = test::findWords(words, "PAG.", page);
        ASSERT_EQ(pag.size(), 1u);
        std::vector<test::PdfWord> num;
        for (const auto& w : test::findWords(words, std::to_string(page), page))
            if (std::abs(w.yMin - pag[0].yMin) < 0.5)
                num.push_back(w);
        ASSERT_EQ(num.size(), 1u);
        const DrawOp* hdr = atRow(rec.pages[page - 1], r->Layout().topMargin)[2];
        EXPECT_NEAR(pag[0].xMin, test::pointsX(rec, hdr->x), 1.0);
        EXPECT_NEAR(num.back().xMax, test::pointsX(rec, hdr->x + hdr->textWidth), 1.0);
        EXPECT_EQ(test::findWords(words, "STAMPA", page).size(), 1u);
    }
    const auto mail = test::findWords(words, std::string(28, 'e'), 1);
    ASSERT_EQ(mail.size(), 1u);
    EXPECT_NEAR(mail[0].xMin, test::pointsX(rec, r->Placement()[1].x), 1.0);
    EXPECT_TRUE(test::findWords(words, std::string(29, 'e')).empty());
    const auto last = test::findWords(words, "130");
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].page, static_cast<int>(rec.pages.size()));
}

} // namespace
} // namespace dn
