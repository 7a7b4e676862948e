// The printouts of the address book and of the deadlines, on the pages they
// record, on real tables in a data folder of the test's own.

#include "app/contact_editor.h"
#include "app/contact_printouts.h"
#include "app/deadline_editor.h"
#include "app/deadline_printouts.h"
#include "common/data/records.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/ui/linegrid.h"
#include "tests/support/data_folder.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "tests/support/print_helpers.h"
#include "toolkit/get.h"
#include "toolkit/print/output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace dn::app {
namespace {

namespace fs = std::filesystem;
using print::DrawOp;
using print::Recording;

// A dialog with one field per named value, as the editors name their controls.
struct Editor {
    explicit Editor(std::map<std::string, Value> values) : vars(std::move(values)) {
        dlg = std::make_unique<TDialog>(0, 0, 400, 400, "Prova");
        int row = 0;
        for (auto& [name, v] : vars) {
            GetOptions o;
            o.varName = name;
            TGet::New(row, 0, bindVar(v), *dlg, 200, 20, o);
            row += 22;
        }
    }
    std::map<std::string, Value> vars;
    std::unique_ptr<TDialog> dlg;
};

const DrawOp* findText(const Recording& r, const std::string& text, int page = 0) {
    for (const DrawOp* t : r.pages.at(page).texts())
        if (t->text == text)
            return t;
    return nullptr;
}

// Rows of the grid of the recording's page.
double gridLine(const Recording& r) {
    return r.printable.height() / 66.0;
}
double gridColumn(const Recording& r) {
    return r.printable.width() / 80.0;
}

class PrintoutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::guiApp();
        ui::SETPROW(0);
        ui::PFEED(1);
    }
    void TearDown() override {
        ui::SETPROW(0);
        ui::PFEED(1);
        PRNPORTRAIT();
    }

    void openTable(const char* name, const std::vector<dbf::FieldDef>& fields,
                   const std::vector<std::map<std::string, Value>>& records) {
        data::DBGEN(name, fields);
        data::DBOPEN(false, {}, name);
        for (const auto& rec : records) {
            data::DBAPP();
            for (const auto& [f, v] : rec)
                data::FIELDPUT(f, v);
            data::DBUNLOCK();
        }
        data::DBGOTOP();
    }

    const Recording& last() const { return capture.recordings.back(); }

    // The words of the recording written as a PDF and read back by pdftotext.
    std::vector<test::PdfWord> pdfOf(const Recording& r, const std::string& name) {
        const std::string pdf = folder.temp() + "/" + name + ".pdf";
        EXPECT_TRUE(print::savePdfFile(r, pdf));
        return test::pdfWords(pdf);
    }

    test::FixedClock clock{Date::fromYmd(2025, 3, 15)};
    test::DataFolder folder;
    test::ScriptedMessages msgs;
    test::PrintEnv env;
    test::PreviewCapture capture;
};

TEST_F(PrintoutsTest, EnvelopeOnLines52To56AndTheNextCardFromTheTop) {
    Editor e({{contactControl("NOMINATIVO"), Value("Rossi Mario")},
              {contactControl("INDIRIZZO"), Value("")},
              {contactControl("CAP"), Value("20100")},
              {contactControl("CITTA"), Value("Citt\xE0 Alta")}});
    BUSTA(*e.dlg);
    ASSERT_EQ(capture.recordings.size(), 1u);
    const Recording& env1 = last();
    EXPECT_EQ(env1.docName, "Stampa busta");
    EXPECT_EQ(env1.orientation, QPageLayout::Landscape);
    const double lh = gridLine(env1), cw = gridColumn(env1);
    const auto texts = env1.pages.at(0).texts();
    ASSERT_EQ(texts.size(), 2u); // the empty address prints nothing
    EXPECT_EQ(texts[0]->text, "Rossi Mario");
    EXPECT_NEAR(texts[0]->row, 52 * lh, 1e-6);
    EXPECT_NEAR(texts[0]->x, 35 * cw, 1e-6);
    EXPECT_EQ(texts[1]->text, "20100 Citt\xE0 Alta");
    EXPECT_NEAR(texts[1]->row, 56 * lh, 1e-6);
    EXPECT_NEAR(texts[1]->x, 35 * cw, 1e-6);
    EXPECT_TRUE(texts[0]->bold);

    // The PDF holds the three lines where the recording put them.
    const auto words = pdfOf(env1, "busta");
    const auto rossi = test::findWords(words, "Rossi");
    const auto town = test::findWords(words, "Citt\xC3\xA0");
    ASSERT_EQ(rossi.size(), 1u);
    ASSERT_EQ(town.size(), 1u);
    EXPECT_NEAR(rossi[0].xMin, test::pointsX(env1, 35 * cw), 1.5);
    const double linePt = lh * 72.0 / env1.dpiY;
    EXPECT_NEAR(town[0].yMin - rossi[0].yMin, 4 * linePt, 1.0);

    // A card after it: portrait, from the top of its page (with its own feed of 1.3).
    Editor card({{contactControl("NOMINATIVO"), Value("Rossi Mario")},
                 {contactControl("NOTE"), Value("")}});
    STAMPA4(*card.dlg);
    const Recording& c = last();
    EXPECT_EQ(c.orientation, QPageLayout::Portrait);
    const DrawOp* title = findText(c, "STAMPA SCHEDA");
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(title->row, 3.3 * gridLine(c), 1e-6);
    // Its 35 empty note lines move the line only: one page.
    EXPECT_EQ(c.pages.size(), 1u);
}

TEST_F(PrintoutsTest, CardAlwaysPrints35NoteLinesOnThePaperAndTheSheetKeepsItsFeed) {
    std::string notes;
    for (int i = 1; i <= 34; ++i)
        notes += "riga " + std::to_string(i) + "\r\n";
    notes += "ultima citt\xE0\r\noltre";
    Editor e({{contactControl("NOMINATIVO"), Value("Bianchi Anna")},
              {contactControl("E_MAIL"), Value("anna@esempio")},
              {contactControl("TELEFONO1"), Value("  0123   ")},
              {contactControl("TELEFONO2"), Value("456 ")},
              {contactControl("TELEFONO3"), Value("789")},
              {contactControl("NOTE"), Value(notes)}});
    STAMPA4(*e.dlg);
    const Recording& c = last();
    EXPECT_EQ(c.docName, "Stampa scheda");
    const double lh = gridLine(c), cw = gridColumn(c);
    const DrawOp* date = findText(c, "15/03/2025");
    ASSERT_NE(date, nullptr);
    EXPECT_NEAR(date->x, 42 * cw, 1e-6);
    const DrawOp* name = findText(c, "Bianchi Anna");
    ASSERT_NE(name, nullptr);
    EXPECT_NEAR(name->x, 19 * cw, 1e-6);
    EXPECT_NEAR(name->row, findText(c, "NOMINATIVO:")->row, 1e-6);
    EXPECT_NE(findText(c, "0123  456  789"), nullptr);
    const DrawOp* label = findText(c, "NOTE:");
    ASSERT_NE(label, nullptr);
    // Note line k stands k + 1 feeds of 1.3 below "NOTE:" while it fits on the page;
    // the first that would reach below it opens a second page, from its top.
    const DrawOp* line26 = findText(c, "riga 26");
    ASSERT_NE(line26, nullptr);
    EXPECT_NEAR(line26->row - label->row, 27 * 1.3 * lh, 1e-6);
    ASSERT_EQ(c.pages.size(), 2u);
    const DrawOp* line27 = findText(c, "riga 27", 1);
    ASSERT_NE(line27, nullptr);
    EXPECT_NEAR(line27->row, 3.3 * lh, 1e-6);
    const DrawOp* lastLine = findText(c, "ultima citt\xE0", 1);
    ASSERT_NE(lastLine, nullptr);
    EXPECT_NEAR(lastLine->row - line27->row, 8 * 1.3 * lh, 1e-6);
    EXPECT_EQ(lastLine->face, "Courier New");
    EXPECT_EQ(findText(c, "oltre", 1), nullptr) << "the 36th line is cut";
    for (const auto& page : c.pages)
        for (const DrawOp* t : page.texts())
            EXPECT_LE(t->row + lh, c.printable.height() + 1e-6) << t->text;
    const auto words = pdfOf(c, "scheda");
    EXPECT_EQ(test::findWords(words, "citt\xC3\xA0", 2).size(), 1u);
    EXPECT_EQ(test::findWords(words, "26", 1).size(), 1u);

    // The next sheet starts from the top of its page with the card's line feed.
    Editor sheet({{kDateControl, Value(Date::fromYmd(2025, 3, 17))},
                  {kWeekdayControl, Value("Lun")},
                  {kTimeControl, Value("09:30")},
                  {kTaskControl, Value("Rinnovo \x8A")}});
    STAMPA2(*sheet.dlg, "Rossi");
    const Recording& s = last();
    EXPECT_EQ(s.docName, "Stampa scadenza");
    const DrawOp* head = findText(s, "STAMPA SCADENZA DI ROSSI");
    ASSERT_NE(head, nullptr);
    EXPECT_NEAR(head->row, 3.3 * lh, 1e-6);
    const DrawOp* day = findText(s, "17/03/2025 Lun");
    ASSERT_NE(day, nullptr);
    EXPECT_NEAR(day->x, 13 * cw, 1e-6);
    EXPECT_NEAR(day->row, head->row + 7 * 1.3 * lh, 1e-6);
    EXPECT_NE(findText(s, "Rinnovo \xE8"), nullptr); // the DOS accent repaired
    EXPECT_EQ(test::findWords(pdfOf(s, "scadenza"), "\xC3\xA8").size(), 1u);
}

TEST_F(PrintoutsTest, ContactListIsLandscapeClipsTheMailAndPortraitFollows) {
    const std::string mail(40, 'm');
    openTable(schema::kContacts, schema::contactFields(),
              {{{"NOMINATIVO", Value("Rossi Mario")},
                {"CITTA", Value("Forl\xEC")},
                {"TELEFONO1", Value(" 0123 ")},
                {"TELEFONO2", Value("456")},
                {"E_MAIL", Value(mail)}},
               {{"NOMINATIVO", Value("Verdi Luca")}},
               {{"NOMINATIVO", Value("Bianchi Anna")}}});
    data::DBSKIP(1);
    const uint32_t at = data::DBRECNO();
    STAMPA3();
    EXPECT_EQ(data::DBRECNO(), at);
    ASSERT_EQ(capture.recordings.size(), 1u);
    const Recording& r = last();
    EXPECT_EQ(r.docName, "Stampa rubrica telefonica");
    EXPECT_EQ(r.orientation, QPageLayout::Landscape);
    EXPECT_NE(findText(r, "STAMPA RUBRICA TELEFONICA"), nullptr);
    EXPECT_NE(findText(r, "Forl\xEC"), nullptr);
    EXPECT_EQ(test::findWords(pdfOf(r, "rubrica"), "Forl\xC3\xAC").size(), 1u);
    EXPECT_NE(findText(r, "0123 456"), nullptr);
    const DrawOp* m = nullptr;
    for (const DrawOp* t : r.pages.at(0).texts())
        if (t->text.starts_with("mmmm"))
            m = t;
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->clipped());
    // At most 28 letters wide; on the default A4 page the line ends a few letters
    // earlier and cuts the last column there.
    const TFont courier8("Courier New", 0, -8);
    const double b = TPrinter("B").GetTextWidth("B", &courier8);
    EXPECT_LT(m->text.size(), 30u);
    EXPECT_LE(m->clipRight - m->clipLeft, 28 * b + 1e-6);
    EXPECT_NEAR(m->clipRight, std::min(m->clipLeft + 28 * b, r.printable.width() - 2 * b), 1e-6);

    // A list that fails (the table file cut short under it): the message is shown,
    // the printer is portrait again.
    const auto size = fs::file_size(std::string(schema::kContacts) + ".DBF");
    fs::resize_file(std::string(schema::kContacts) + ".DBF", size - 300);
    STAMPA3();
    EXPECT_EQ(capture.recordings.size(), 1u);
    ASSERT_EQ(msgs.asked.size(), 1u);
    EXPECT_NE(msgs.asked[0].text.find("RUBRICA.DBF"), std::string::npos);
    Editor e({{contactControl("NOMINATIVO"), Value("x")}});
    STAMPA4(*e.dlg);
    EXPECT_EQ(last().orientation, QPageLayout::Portrait);
}

TEST_F(PrintoutsTest, DeadlineListRunsToSeveralPagesWithTheHeaderOnEach) {
    std::vector<std::map<std::string, Value>> recs;
    for (int i = 0; i < 200; ++i)
        recs.push_back({{"CODICE", Value(schema::slotCode(1))},
                        {"DATA", Value(Date::fromYmd(2025, 3, 17).addDays(i))},
                        {"ORA", Value("09:30")},
                        {"INCOMBENZA", Value("Pratica n. " + std::to_string(i) + "\r\nperch\xE9")},
                        {"EVASA", Value(i == 0)}});
    openTable(schema::kDeadlines, schema::deadlineFields(), recs);
    data::DBSKIP(5);
    const uint32_t at = data::DBRECNO();
    STAMPA("Rossi");
    EXPECT_EQ(data::DBRECNO(), at);
    ASSERT_EQ(capture.recordings.size(), 1u);
    const Recording& r = last();
    EXPECT_EQ(r.docName, "Stampa scadenze");
    ASSERT_GT(r.pages.size(), 1u);
    for (size_t p = 0; p < r.pages.size(); ++p)
        EXPECT_NE(findText(r, "STAMPA SCADENZE DI ROSSI", int(p)), nullptr) << "page " << p;
    const DrawOp* first = findText(r, "Pratica n. 0 perch\xE9");
    ASSERT_NE(first, nullptr);
    EXPECT_NE(findText(r, "Lun"), nullptr);
    int marks = 0;
    for (const auto& page : r.pages)
        for (const DrawOp* t : page.texts())
            if (t->text == "X") {
                ++marks;
                EXPECT_TRUE(t->bold);
                EXPECT_NEAR(t->row, first->row, 1e-6);
            }
    EXPECT_EQ(marks, 1);
    EXPECT_EQ(test::findWords(pdfOf(r, "scadenze"), "perch\xC3\xA9").size(), 200u);
}

} // namespace
} // namespace dn::app
