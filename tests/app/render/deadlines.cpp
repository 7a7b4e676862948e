// Renders the recurring-deadline and search dialogs as a user meets them, for a
// look by eye: a deadline list with sample deadlines, the dialog "GENERA" filled
// in, the list after the generation, the dialog "RICERCA" filled in and the list
// after the search. Run on a virtual display:
//   xvfb-run -a -s '-screen 0 1280x1024x24' dn_render_deadlines OUTPUT_FOLDER
// Each window is written as NAME.png and its caption printed; with a display, the
// whole screen is also taken by `import -window root` as NAME-screen.png.

#include "app/panel.h"
#include "app/panel_fixture.h"
#include "app/procedures.h"
#include "app/settings.h"
#include "app/tables.h"
#include "common/config/variables.h"
#include "common/data/library.h"
#include "common/schema/tables.h"
#include "common/ui/startup.h"
#include "common/util/clock.h"
#include "tests/support/gui.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <unistd.h>

namespace t = dn::test;
using dn::Date;

namespace {

QString g_out;
int g_failures = 0;

void save(dn::TDialog& d, const std::string& name) {
    t::settle(50);
    const QString path = QDir(g_out).filePath(QString::fromStdString(name) + ".png");
    const bool ok = d.hWnd() && d.hWnd()->grab().save(path);
    g_failures += !ok;
    std::printf("%s %s (titolo: %s)\n", ok ? "scritto" : "NON scritto", qPrintable(path),
                d.hWnd() ? qPrintable(d.hWnd()->windowTitle()) : "");
    if (qEnvironmentVariableIsSet("DISPLAY")) {
        const std::string screen = QDir(g_out).filePath(QString::fromStdString(name)).toStdString();
        const std::string cmd = "import -window root '" + screen + "-screen.png'";
        if (std::system(cmd.c_str()) != 0)
            std::printf("NON scritto %s-screen.png\n", screen.c_str());
    }
}

// The test fixture's way of adding a deadline.
struct Tables : paneltest::PanelFixture {
    using PanelFixture::addDeadline;
};

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
    dn::app::ensureTable(dn::schema::kDeadlines, dn::schema::deadlineFields());
    dn::app::ensureIndex(dn::schema::kDeadlines, dn::schema::kDeadlineKey, dn::app::deadlineKey());
    dn::app::createConfigVariables();
    dn::config::variables().set("CFG_NM01", dn::Value("Ufficio"));
    dn::config::variables().set("CFG_NM02", dn::Value("Anna"));
    const Date today = Date::fromYmd(2026, 12, 7);
    dn::clock::setFixed(today, 9 * 3600 * 1000);

    Tables::addDeadline(1, Date::fromYmd(2026, 11, 16), true, "", "Versamento IVA di ottobre");
    Tables::addDeadline(1, Date::fromYmd(2026, 12, 1), false, "09:30",
                        "Riunione con il commercialista");
    Tables::addDeadline(1, Date::fromYmd(2026, 12, 7), false, "", "Rinnovo assicurazione furgone");
    Tables::addDeadline(1, Date::fromYmd(2026, 12, 16), false, "", "Versamento IVA di novembre");
    Tables::addDeadline(1, Date::fromYmd(2026, 12, 28), false, "", "Liquidazione IVA annuale");
    Tables::addDeadline(1, Date::fromYmd(2027, 1, 18), false, "", "Pagare l'iva trimestrale");
    Tables::addDeadline(2, Date::fromYmd(2026, 12, 16), false, "", "IVA di Anna");

    dn::TDialog panel("DELTRANOTA");
    const dn::app::Names names = dn::app::readNames();
    for (int i = 1; i <= 2; ++i) {
        dn::app::MKSAY(panel, names, i);
        dn::TBtnBmp::Redefine(100 + 2 * i, "SPENTO", nullptr, panel);
    }

    // Wait boxes are dialogs too: the list's first view, the generation, the search.
    auto wait = [](dn::TDialog&) {};
    t::DialogDriver drive;
    drive.on("Attendere", wait);
    drive.on("SCADENZE", [&](dn::TDialog& list) {
        save(list, "SCADENZE-iniziale");
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
        drive.on("Attendere", wait);
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
        drive.on("Attendere", wait);
        t::press(list, 205);
        save(list, "SCADENZE-dopo-ricerca");
        t::press(list, 201);
    });
    dn::app::SCADENZE(panel, static_cast<int>(0.5 * dn::app::kRowHeight), 2, today);

    dn::data::shutdownLibrary();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
    return g_failures == 0 && drive.pending() == 0 ? 0 : 1;
}
