// Renders the deadline windows and the printouts as a user meets them, for a look
// by eye: the password asked before a list, a deadline list with sample deadlines
// (a holiday in red, a done one), the editor, the password dialog, the dialog
// "GENERA" filled in, the list after the generation, the dialog "RICERCA" filled in
// and the list after the search; then the print preview of the list report and
// the five printouts (list report, deadline sheet, contact list, contact card,
// envelope) as PDF files, and the page-counting wait box of a longer list report.
// Run on a virtual display:
//   QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1280x1024x24' dn_render_deadlines OUTPUT_FOLDER
// Each window is written as NAME.png and its caption printed; with a display, the
// whole screen is also taken by `import -window root` as NAME-screen.png. Each
// printout is written as NAME.pdf.

#include "app/panel.h"
#include "app/panel_fixture.h"
#include "app/procedures.h"
#include "app/settings.h"
#include "app/tables.h"
#include "common/config/variables.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/library.h"
#include "common/data/records.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/ui/startup.h"
#include "common/util/clock.h"
#include "common/util/scramble.h"
#include "tests/support/gui.h"
#include "toolkit/browse.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/print/output.h"
#include "toolkit/print/preview.h"
#include "toolkit/print/settings.h"
#include "toolkit/toolkit.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <unistd.h>

namespace t = dn::test;
using dn::Date;

namespace {

QString g_out;
int g_failures = 0;

void screen(const std::string& name) {
    if (!qEnvironmentVariableIsSet("DISPLAY"))
        return;
    const std::string path = QDir(g_out).filePath(QString::fromStdString(name)).toStdString();
    const std::string cmd = "import -window root '" + path + "-screen.png'";
    if (std::system(cmd.c_str()) != 0)
        std::printf("NON scritto %s-screen.png\n", path.c_str());
}

void save(QWidget* w, const std::string& name) {
    t::settle(50);
    const QString path = QDir(g_out).filePath(QString::fromStdString(name) + ".png");
    const bool ok = w && w->grab().save(path);
    g_failures += !ok;
    std::printf("%s %s (titolo: %s)\n", ok ? "scritto" : "NON scritto", qPrintable(path),
                w ? qPrintable(w->windowTitle()) : "");
    screen(name);
}

void save(dn::TDialog& d, const std::string& name) {
    save(d.hWnd(), name);
}

// Scripts for the dialogs by name, run in order as each dialog starts; dialogs
// without a script (the wait boxes) run untouched.
class Driver {
public:
    Driver() {
        old_ = dn::tk::setDialogHook([this](dn::TDialog& d) {
            std::string name = d.cResName();
            if (name.empty() && d.hWnd())
                name = dn::tk::fromQt(d.hWnd()->windowTitle());
            auto& queue = scripts_[name];
            if (queue.empty())
                return;
            auto script = std::move(queue.front());
            queue.pop_front();
            script(d);
        });
    }
    ~Driver() { dn::tk::setDialogHook(old_); }
    void on(const std::string& name, std::function<void(dn::TDialog&)> script) {
        scripts_[name].push_back(std::move(script));
    }
    size_t pending() const {
        size_t n = 0;
        for (const auto& [name, q] : scripts_)
            n += q.size();
        return n;
    }

private:
    std::map<std::string, std::deque<std::function<void(dn::TDialog&)>>> scripts_;
    dn::tk::DialogHook old_;
};

// The printouts' names, in the order their previews open: each preview is written
// as a PDF under the next name; the list report's is also taken on screen.
std::deque<std::string> g_printouts;

void onPreview(dn::TPreview& pv) {
    const std::string name = g_printouts.empty() ? std::string("stampa") : g_printouts.front();
    if (!g_printouts.empty())
        g_printouts.pop_front();
    if (name == "stampa-scadenze")
        save(pv.hWnd(), "anteprima-" + name);
    const std::string pdf =
        QDir(g_out).filePath(QString::fromStdString(name) + ".pdf").toStdString();
    const bool ok = dn::print::savePdfFile(pv.Recording(), pdf);
    g_failures += !ok;
    std::printf("%s %s (%d pagine)\n", ok ? "scritto" : "NON scritto", pdf.c_str(), pv.nPages());
    pv.ToolButton(dn::TPreview::Exit)->click();
}

// The test fixture's way of adding a deadline.
struct Tables : paneltest::PanelFixture {
    using PanelFixture::addDeadline;
};

void addContact(const std::map<std::string, std::string>& fields) {
    using namespace dn::data;
    AreaGuard guard;
    guard.open(dn::schema::kContacts, GETNEWALIAS());
    ORDADD(dn::schema::kContacts);
    DBAPP();
    for (const auto& [f, v] : fields)
        FIELDPUT(f, dn::Value(v));
    DBCOMMIT();
    DBUNLOCK();
}

dn::TWBrowse& listOf(dn::TDialog& d) {
    return *dynamic_cast<dn::TWBrowse*>(t::control(d, 101));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "uso: dn_render_deadlines CARTELLA\n");
        return 2;
    }
    QApplication& app = t::guiApp();
    (void)app;
    g_out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(g_out);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("dn_render_deadlines_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    dn::ui::installUi();
    dn::print::settings().previewShown = onPreview;
    dn::print::settings().mainTitle = [] { return std::string("Deltranota"); };
    dn::app::ensureTable(dn::schema::kDeadlines, dn::schema::deadlineFields());
    dn::app::ensureIndex(dn::schema::kDeadlines, dn::schema::kDeadlineKey, dn::app::deadlineKey());
    dn::app::ensureTable(dn::schema::kContacts, dn::schema::contactFields());
    dn::app::ensureIndex(dn::schema::kContacts, dn::schema::kContactKey, dn::app::contactKey());
    dn::app::createConfigVariables();
    dn::config::variables().set("CFG_NM01", dn::Value("Ufficio"));
    dn::config::variables().set("CFG_NM02", dn::Value("Anna"));
    dn::config::variables().set("CFG_PW01", dn::Value(dn::CRYPT(std::string("prova     "))));
    const Date today = Date::fromYmd(2026, 12, 7);
    dn::clock::setFixed(today, 9 * 3600 * 1000);

    Tables::addDeadline(1, Date::fromYmd(2026, 11, 16), true, "", "Versamento IVA di ottobre");
    Tables::addDeadline(1, Date::fromYmd(2026, 12, 1), false, "09:30",
                        "Riunione con il commercialista");
    Tables::addDeadline(1, Date::fromYmd(2026, 12, 6), false, "",
                        "Chiusura della cassa settimanale");
    Tables::addDeadline(1, Date::fromYmd(2026, 12, 7), false, "", "Rinnovo assicurazione furgone");
    Tables::addDeadline(1, Date::fromYmd(2026, 12, 8), false, "10:00", "Consegna pacchi in sede");
    Tables::addDeadline(1, Date::fromYmd(2026, 12, 16), false, "", "Versamento IVA di novembre");
    Tables::addDeadline(1, Date::fromYmd(2026, 12, 28), false, "", "Liquidazione IVA annuale");
    Tables::addDeadline(1, Date::fromYmd(2027, 1, 18), false, "", "Pagare l'iva trimestrale");
    Tables::addDeadline(2, Date::fromYmd(2026, 12, 16), false, "", "IVA di Anna");

    addContact({{"NOMINATIVO", "Rossi Mario"},
                {"INDIRIZZO", "Via Garibaldi 12"},
                {"CAP", "20100"},
                {"CITTA", "Citt\xE0 di Prova"},
                {"TELEFONO1", "0123"},
                {"TELEFONO2", "456789"},
                {"CELLULARE", "3330000000"},
                {"E_MAIL", "mario.rossi.ufficio.contabilita@esempio.it"},
                {"NOTE", "Cliente dal 2019; preferisce essere chiamato di mattina, mai dopo le "
                         "diciotto. Ricordare il rinnovo del contratto a febbraio.\r\nSecondo "
                         "paragrafo: una riga sola."}});
    addContact({{"NOMINATIVO", "Bianchi Anna"}, {"CITTA", "Forl\xEC"}, {"CAP", "47121"}});
    addContact({{"NOMINATIVO", "Verdi Luca"}, {"INDIRIZZO", "Piazza Duomo 1"}});

    dn::TDialog panel("DELTRANOTA");
    const dn::app::Names names = dn::app::readNames();
    for (int i = 1; i <= 2; ++i) {
        dn::app::MKSAY(panel, names, i);
        dn::TBtnBmp::Redefine(100 + 2 * i, "SPENTO", nullptr, panel);
    }

    Driver drive;
    drive.on("PASSWD", [](dn::TDialog& p) {
        t::type(p, 101, "prova");
        save(p, "PASSWD");
        t::press(p, 201);
    });
    drive.on("SCADENZE", [&](dn::TDialog& list) {
        save(list, "SCADENZE-iniziale");
        // All of them, with the holiday of 6 December selected: red on red.
        t::press(list, 206);
        listOf(list).GoToRow(3);
        save(list, "SCADENZE-tutte");
        drive.on("SCADENZA", [](dn::TDialog& e) {
            save(e, "SCADENZA");
            t::press(e, 203); // the sheet
            t::press(e, 202);
        });
        t::press(list, 203);
        drive.on("PASSWD2", [](dn::TDialog& p) {
            t::type(p, 101, "nuova");
            save(p, "PASSWD2");
            t::press(p, 202);
        });
        t::press(list, 209);
        g_printouts.push_front("stampa-scadenze");
        t::press(list, 208);
        drive.on("GENERA", [](dn::TDialog& g) {
            t::type(g, 101, "16/01/2027");
            t::type(g, 103, "16/12/2027");
            t::choose(*dynamic_cast<dn::TComboBox*>(t::control(g, 106)), 3);
            t::choose(*dynamic_cast<dn::TComboBox*>(t::control(g, 107)), 4);
            t::press(g, 108);
            t::type(g, 109, "Versamento IVA mensile");
            save(g, "GENERA");
            t::press(g, 201);
        });
        t::press(list, 207);
        t::press(list, 206);
        save(list, "SCADENZE-dopo-genera");
        drive.on("RICERCA", [](dn::TDialog& r) {
            t::type(r, 101, "01/12/2026");
            t::type(r, 103, "31/03/2027");
            t::type(r, 105, "iva");
            save(r, "RICERCA");
            t::press(r, 201);
        });
        t::press(list, 205);
        save(list, "SCADENZE-dopo-ricerca");
        t::press(list, 201);
    });
    g_printouts = {"stampa-scadenza"};
    dn::app::SCADENZE(panel, static_cast<int>(0.5 * dn::app::kRowHeight), 2, today);

    // The address book's three printouts: the list, then a contact's card and envelope.
    drive.on("RUBRICA", [&](dn::TDialog& book) {
        t::press(book, 206);
        drive.on("RUBRICA2", [](dn::TDialog& e) {
            t::press(e, 203);
            t::press(e, 204);
            t::press(e, 202);
        });
        listOf(book).GoToRow(2);
        t::press(book, 203);
        t::press(book, 201);
    });
    g_printouts = {"stampa-rubrica", "stampa-scheda", "stampa-busta"};
    dn::app::RUBRICA();

    // A list report of several pages: the page-counting wait box shows while it is
    // laid out (taken once it shows the first page's number).
    for (int i = 0; i < 90; ++i)
        Tables::addDeadline(2, Date::fromYmd(2027, 1, 1).addDays(i), i % 9 == 0, "",
                            "Controllo periodico n. " + std::to_string(i + 1));
    drive.on("SCADENZE", [&](dn::TDialog& list) {
        t::press(list, 206);
        drive.on("PRINTDLG", [](dn::TDialog& box) {
            QPointer<QWidget> w(box.hWnd());
            QTimer::singleShot(0, [w] {
                if (w)
                    save(w, "PRINTDLG");
            });
        });
        g_printouts = {"stampa-scadenze-pagine"};
        t::press(list, 208);
        t::press(list, 201);
    });
    dn::app::SCADENZE(panel, static_cast<int>(1.5 * dn::app::kRowHeight), 2, today);

    dn::data::shutdownLibrary();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
    if (drive.pending() != 0 || !g_printouts.empty())
        std::printf("copioni non eseguiti: %zu, stampe mancanti: %zu\n", drive.pending(),
                    g_printouts.size());
    return g_failures == 0 && drive.pending() == 0 && g_printouts.empty() ? 0 : 1;
}
