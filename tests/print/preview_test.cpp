#include "tests/support/files.h"
#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "tests/support/print_helpers.h"
#include "tests/support/temp_folder.h"
#include "toolkit/print/document.h"
#include "toolkit/print/output.h"
#include "toolkit/print/preview.h"
#include "toolkit/print/printer.h"
#include "toolkit/print/report.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <filesystem>

namespace dn {
namespace {

std::string qs(const QString& s) {
    return tk::fromQt(s);
}

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override { test::guiApp(); }

    // Three pages, each saying its number.
    static std::shared_ptr<const print::Recording> threePages(bool noPrint = false) {
        TPrinter p("Documento di prova", true, noPrint);
        const TFont f("Arial", 0, -24, true);
        for (int i = 1; i <= 3; ++i) {
            p.StartPage();
            p.Say(400, 400, "Pagina numero " + std::to_string(i), &f);
            p.Box(300, 300, 1200, p.nHorzRes() - 300);
            p.Say(2000, 0, "centrata", &f, p.nHorzRes(), 0, BK_TRANSPARENT, 2);
            p.EndPage();
        }
        return p.SharedRecording();
    }

    test::PrintEnv env;
    test::ScriptedMessages msgs;
};

TEST_F(PreviewTest, WindowShowsTitleIconStatusAndTheNineButtons) {
    TPreview pv(threePages());
    pv.Open();
    test::settle();
    QWidget* w = pv.hWnd();
    EXPECT_EQ(qs(w->windowTitle()), "Deltranota - Documento di prova");
    EXPECT_FALSE(w->windowIcon().isNull());
    EXPECT_TRUE(w->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(qs(pv.StatusLabel()->text()), "Anteprima di stampa");
    for (int i = 0; i < TPreview::ButtonCount; ++i) {
        QAbstractButton* b = pv.ToolButton(static_cast<TPreview::Button>(i));
        EXPECT_EQ(qs(b->toolTip()), TPreview::kToolTips[i]);
        EXPECT_EQ(b->size(), QSize(33, 33));
        EXPECT_TRUE(b->isVisible());
    }
    EXPECT_EQ(qs(pv.PageLabel()->text()), "Pagina: 1 di 3");
    EXPECT_FALSE(pv.ToolButton(TPreview::Top)->isEnabled());
    EXPECT_FALSE(pv.ToolButton(TPreview::Prev)->isEnabled());
    EXPECT_TRUE(pv.ToolButton(TPreview::PrintBtn)->isEnabled());
    pv.ToolButton(TPreview::Exit)->click();
    EXPECT_TRUE(pv.IsEnded());
    EXPECT_FALSE(w->isVisible());
}

TEST_F(PreviewTest, PageKeysAndButtonsMoveThroughThePages) {
    TPreview pv(threePages());
    pv.Open();
    test::settle();
    auto label = [&] { return qs(pv.PageLabel()->text()); };
    auto press = [&](TPreview::Button b) {
        QAbstractButton* w = pv.ToolButton(b);
        test::click(w, w->width() / 2, w->height() / 2);
    };
    // The keys reach the preview through the scrolling page, which has the focus.
    test::key(pv.ScrollArea(), Qt::Key_PageDown);
    EXPECT_EQ(label(), "Pagina: 2 di 3");
    EXPECT_EQ(pv.nPage(), 2);
    EXPECT_TRUE(pv.ToolButton(TPreview::Prev)->isEnabled());
    press(TPreview::Next);
    EXPECT_EQ(label(), "Pagina: 3 di 3");
    EXPECT_FALSE(pv.ToolButton(TPreview::Next)->isEnabled());
    EXPECT_FALSE(pv.ToolButton(TPreview::Last)->isEnabled());
    test::key(pv.ScrollArea(), Qt::Key_PageDown);
    EXPECT_EQ(label(), "Pagina: 3 di 3");
    test::key(pv.ScrollArea(), Qt::Key_Home);
    EXPECT_EQ(label(), "Pagina: 1 di 3");
    test::key(pv.ScrollArea(), Qt::Key_End);
    EXPECT_EQ(label(), "Pagina: 3 di 3");
    test::key(pv.ScrollArea(), Qt::Key_PageUp);
    EXPECT_EQ(label(), "Pagina: 2 di 3");
    press(TPreview::Top);
    EXPECT_EQ(label(), "Pagina: 1 di 3");
    press(TPreview::Last);
    EXPECT_EQ(label(), "Pagina: 3 di 3");
    press(TPreview::Prev);
    EXPECT_EQ(label(), "Pagina: 2 di 3");
    // Keys pressed elsewhere in the window work too.
    test::key(pv.hWnd(), Qt::Key_End);
    EXPECT_EQ(label(), "Pagina: 3 di 3");
    pv.End();
}

TEST_F(PreviewTest, ZoomEnlargesThePageAndAClickTogglesIt) {
    TPreview pv(threePages());
    pv.Open();
    test::settle();
    const double fit = pv.Scale();
    QWidget* page = pv.PageWidget();
    EXPECT_LE(page->width(), pv.ScrollArea()->viewport()->width());
    pv.ToolButton(TPreview::ZoomBtn)->click();
    test::settle();
    EXPECT_TRUE(pv.lZoom());
    EXPECT_NEAR(pv.Scale(), 2 * fit, 1e-9);
    EXPECT_GT(page->height(), pv.ScrollArea()->viewport()->height());
    test::click(page, 20, 20);
    EXPECT_FALSE(pv.lZoom());
    EXPECT_NEAR(pv.Scale(), fit, 1e-9);
    // A click in the lower half zooms into it: the view scrolls down.
    test::click(page, page->width() / 2, page->height() * 3 / 4);
    EXPECT_TRUE(pv.lZoom());
    EXPECT_GT(pv.ScrollArea()->verticalScrollBar()->value(), 0);
    pv.End();
}

TEST_F(PreviewTest, PreviewOfAJobAndOfAReportRunsUntilClosed) {
    int pages = 0;
    std::string title;
    print::settings().previewShown = [&](TPreview& pv) {
        pages = pv.nPages();
        title = qs(pv.hWnd()->windowTitle());
        pv.ToolButton(TPreview::Exit)->click();
    };
    TPrinter p("Stampa scheda");
    p.StartPage();
    p.Say(100, 100, "x");
    p.EndPage();
    p.Preview();
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(title, "Deltranota - Stampa scheda");
    EXPECT_TRUE(p.IsEnded());

    test::NumberedRows rows(200);
    TReport::Options o;
    o.docName = "Stampa scadenze";
    o.fonts = {TFont("Courier New", 0, -12)};
    TReport r(rows, o);
    r.AddColumn(
        {"N"}, [&rows] { return Value(static_cast<double>(rows.position())); }, 5);
    EXPECT_TRUE(r.Activate());
    EXPECT_EQ(pages, r.nPage());
    EXPECT_GT(pages, 3);
}

TEST_F(PreviewTest, SavePdfWritesTheFileAndAsksBeforeOverwriting) {
    test::TempFolder dir;
    std::optional<std::string> answer = dir / "copia";
    dn::tk::FileRequest asked;
    print::settings().askSaveFile = [&](const dn::tk::FileRequest& r) {
        asked = r;
        return answer;
    };
    TPreview pv(threePages());
    pv.Open();
    pv.ToolButton(TPreview::Pdf)->click();
    EXPECT_EQ(asked.title, "Salva in");
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.filter, "File PDF (*.pdf)|*.pdf");
    EXPECT_EQ(asked.name, "Documento di prova.pdf");
    const std::string pdf = *answer + ".pdf";
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(pdf)));
    EXPECT_TRUE(msgs.asked.empty());
    ASSERT_EQ(msgs.waits.size(), 1u);
    EXPECT_EQ(msgs.waits[0], "Generazione PDF in corso...");
    EXPECT_FALSE(msgs.currentWait());
    EXPECT_EQ(test::pdfInfo(pdf, "Pages"), "3");
    EXPECT_EQ(test::findWords(test::pdfWords(pdf), "2", 2).size(), 1u);

    // Its second page renders, with ink where the recording drew.
    const std::string png = dir / "pagina";
    test::run("pdftoppm", {"-r", "50", "-f", "2", "-l", "2", "-png", "-singlefile", pdf, png});
    QImage img(QString::fromStdString(png + ".png"));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(414, 585));
    int dark = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            dark += qGray(img.pixel(x, y)) < 128;
    EXPECT_GT(dark, 200);

    // Overwriting: "No" keeps the file, "Yes" replaces it.
    test::writeFile(pdf, "vecchio");
    answer = pdf;
    msgs.answer(0);
    pv.SavePdf();
    ASSERT_EQ(msgs.asked.size(), 1u);
    EXPECT_EQ(msgs.asked[0].kind, 4);
    EXPECT_EQ(msgs.asked[0].text, "Il file " + pdf + " gi\xE0 esiste. Lo sovrascrivo?");
    EXPECT_EQ(test::readFile(pdf), "vecchio");
    msgs.answer(1);
    pv.SavePdf();
    EXPECT_EQ(test::readFile(pdf).substr(0, 5), "%PDF-");

    // Cancelled: nothing happens.
    answer.reset();
    const size_t before = msgs.asked.size();
    pv.SavePdf();
    EXPECT_EQ(msgs.asked.size(), before);

    // A folder that cannot be written: the error message, no file.
    test::writeFile(dir / "file", "");
    answer = dir / "file/dentro.pdf";
    EXPECT_EQ(print::savePdfAs(pv.Recording()), "");
    ASSERT_EQ(msgs.asked.size(), before + 1);
    EXPECT_EQ(msgs.asked.back().text, print::kMsgPdfError);
    EXPECT_FALSE(msgs.currentWait());
    pv.End();
}

// A printer that writes PDF files named after it in dir.
struct PdfPrinters {
    test::TempFolder dir;
    std::vector<std::string> opened;
    std::vector<int> counted;

    PdfPrinters() {
        print::settings().printers = [] {
            return std::vector<std::string>{"Laser Ufficio", "Ricevute"};
        };
        print::settings().defaultPrinter = [] { return std::string("Laser Ufficio"); };
        print::settings().openPrinter = [this](const std::string& name) {
            opened.push_back(name);
            auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
            p->setOutputFormat(QPrinter::PdfFormat);
            p->setOutputFileName(path(name));
            return p;
        };
        print::settings().progress.open = [this] { counted.clear(); };
        print::settings().progress.page = [this](int n) { counted.push_back(n); };
        print::settings().progress.close = [] {};
    }
    QString path(const std::string& name) const {
        return QString::fromStdString(dir / (name + ".pdf"));
    }
    // The page number each printed page says ("Pagina numero n").
    std::vector<std::string> pageNumbers(const std::string& name) const {
        std::vector<std::string> out;
        const auto words = test::pdfWords(path(name).toStdString());
        for (size_t i = 0; i + 1 < words.size(); ++i)
            if (words[i].text == "numero")
                out.push_back(words[i + 1].text);
        return out;
    }
};

TEST_F(PreviewTest, PrintDialogSendsTheChosenPagesAndCopies) {
    PdfPrinters printers;
    TPreview pv(threePages());
    pv.Open();
    {
        test::DialogDriver drive;
        drive.on("PRINT", [](TDialog& d) {
            auto* box = dynamic_cast<TComboBox*>(test::control(d, 101));
            ASSERT_TRUE(box);
            EXPECT_EQ(box->aItems(), (std::vector<std::string>{"Laser Ufficio", "Ricevute"}));
            EXPECT_EQ(box->nAt(), 1);
            EXPECT_EQ(test::text(d, 107), "1");
            EXPECT_FALSE(test::widget(d, 105)->isEnabled());
            test::choose(*box, 2);
            test::press(d, 104);
            EXPECT_TRUE(test::widget(d, 105)->isEnabled());
            test::type(d, 105, "2");
            test::type(d, 106, "3");
            test::type(d, 107, "2");
            test::press(d, 201);
        });
        pv.ToolButton(TPreview::PrintBtn)->click();
    }
    EXPECT_EQ(printers.opened, std::vector<std::string>{"Ricevute"});
    EXPECT_EQ(printers.counted, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(printers.pageNumbers("Ricevute"), (std::vector<std::string>{"2", "3", "2", "3"}));

    // The current page, on the default printer.
    pv.GoPage(3);
    {
        test::DialogDriver drive;
        drive.on("PRINT", [](TDialog& d) {
            test::press(d, 103);
            test::press(d, 201);
        });
        pv.PrintDoc();
    }
    EXPECT_EQ(printers.pageNumbers("Laser Ufficio"), std::vector<std::string>{"3"});

    // Pages that do not exist are refused and the dialog stays; cancel prints nothing.
    {
        test::DialogDriver drive;
        drive.on("PRINT", [&](TDialog& d) {
            test::press(d, 104);
            test::type(d, 105, "2");
            test::type(d, 106, "4");
            test::press(d, 201);
            EXPECT_TRUE(d.IsActive());
            ASSERT_EQ(msgs.asked.size(), 1u);
            EXPECT_EQ(msgs.asked[0].text, print::kMsgBadRange);
            test::type(d, 106, "3");
            test::type(d, 107, "0");
            test::press(d, 201);
            EXPECT_TRUE(d.IsActive());
            EXPECT_EQ(msgs.asked.back().text, print::kMsgBadCopies);
            test::press(d, 202);
        });
        pv.PrintDoc();
    }
    EXPECT_EQ(printers.opened.size(), 2u);
    pv.End();
}

TEST_F(PreviewTest, WithoutPrintersPrintingSaysWhyAndNoPrintJobsOfferNone) {
    test::DialogDriver drive; // a dialog that opens fails the test
    TPreview pv(threePages());
    pv.Open();
    pv.ToolButton(TPreview::PrintBtn)->click();
    ASSERT_EQ(msgs.asked.size(), 1u);
    EXPECT_EQ(msgs.asked[0].text, print::kMsgNoPrinter);
    pv.End();

    TPreview quiet(threePages(true));
    EXPECT_FALSE(quiet.ToolButton(TPreview::PrintBtn)->isEnabled());
    quiet.End();
}

// A folder with stand-ins for the desktop's mail tools, put first on PATH.
class FakeMailTools {
public:
    explicit FakeMailTools(bool handler, bool email = true) : oldPath_(qgetenv("PATH")) {
        if (email)
            script("xdg-email", "/bin/cp \"$5\" \"" + log("attached.pdf") + "\"\n" +
                                    "printf '%s\\n' \"$@\" > \"" + log("args.tmp") + "\"\n" +
                                    "/bin/mv \"" + log("args.tmp") + "\" \"" + log("args") +
                                    "\"\n");
        script("xdg-mime", handler ? "echo thunderbird.desktop\n" : "exit 0\n");
        // Without xdg-email the real tools must not be found either.
        qputenv("PATH", email ? QByteArray::fromStdString(dir_.path()) + ":" + oldPath_
                              : QByteArray::fromStdString(dir_.path()));
    }
    ~FakeMailTools() { qputenv("PATH", oldPath_); }
    std::string log(const std::string& name) const { return dir_ / name; }
    // The arguments xdg-email got, once it has run.
    std::vector<std::string> args() const {
        QElapsedTimer t;
        t.start();
        while (!QFileInfo::exists(QString::fromStdString(log("args"))) && t.elapsed() < 20000)
            test::settle(20);
        std::vector<std::string> out;
        std::string all = test::readFile(log("args"));
        for (size_t at = 0, nl; (nl = all.find('\n', at)) != std::string::npos; at = nl + 1)
            out.push_back(all.substr(at, nl - at));
        return out;
    }

private:
    void script(const std::string& name, const std::string& body) {
        test::writeFile(log(name), "#!/bin/sh\n" + body);
        std::filesystem::permissions(log(name), std::filesystem::perms::owner_all);
    }
    test::TempFolder dir_;
    QByteArray oldPath_;
};

TEST_F(PreviewTest, MailHandsThePdfToTheMailProgramAndDeletesItAfterwards) {
    test::TempFolder temp;
    print::settings().tempFolder = [&] { return temp.path(); };
    const std::string made = temp / "Documento di prova.pdf";
    TPreview pv(threePages());
    pv.Open();
    {
        FakeMailTools tools(true);
        pv.ToolButton(TPreview::Mail)->click();
        EXPECT_EQ(tools.args(), (std::vector<std::string>{"--utf8", "--subject",
                                                          "Documento di prova", "--attach", made}));
        EXPECT_EQ(test::pdfInfo(tools.log("attached.pdf"), "Pages"), "3");
        EXPECT_TRUE(msgs.asked.empty());
        ASSERT_FALSE(msgs.waits.empty());
        EXPECT_EQ(msgs.waits[0], "Generazione PDF in corso...");
    }
    // The mail program was left running with the file: it goes at the end.
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(made)));
    print::deleteMailedFiles();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(made)));

    {
        FakeMailTools tools(false);
        EXPECT_FALSE(print::mailPdf(pv.Recording()));
        ASSERT_EQ(msgs.asked.size(), 1u);
        EXPECT_EQ(msgs.asked[0].text, print::kMsgNoMail);
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(made)));
    }
    {
        FakeMailTools tools(true, false);
        EXPECT_FALSE(print::mailPdf(pv.Recording()));
        ASSERT_EQ(msgs.asked.size(), 2u);
        EXPECT_EQ(msgs.asked[1].text, print::kMsgNoMail);
    }
    pv.End();
}

TEST_F(PreviewTest, DocumentNamesBecomeSafeFileNames) {
    EXPECT_EQ(print::fileNameFor("Stampa rubrica telefonica"), "Stampa rubrica telefonica");
    EXPECT_EQ(print::fileNameFor("../Scadenze: 1/2?"), "_Scadenze_ 1_2_");
    EXPECT_EQ(print::fileNameFor(" ..."), "Documento");
}

TEST_F(PreviewTest, PrinterSetupChoiceShapesTheJobsThatFollow) {
    print::setSetupDialogHook([](print::PrinterChoice& c) {
        c.orientation = QPageLayout::Landscape;
        c.pageSize = QPageSize(QPageSize::A5);
        return true;
    });
    EXPECT_TRUE(PRINTERSETUP());
    TPrinter a5("Busta");
    // A5 landscape at 600 dpi: 4961 x 3496 units.
    EXPECT_EQ(a5.nHorzRes(), 4961 - 200);
    EXPECT_EQ(a5.nVertRes(), 3496 - 200);
    print::setSetupDialogHook([](print::PrinterChoice& c) {
        c.orientation = QPageLayout::Portrait;
        return false;
    });
    EXPECT_FALSE(PRINTERSETUP());
    EXPECT_EQ(print::printerChoice().orientation, QPageLayout::Landscape);
    print::setSetupDialogHook(nullptr);
}

} // namespace
} // namespace dn
