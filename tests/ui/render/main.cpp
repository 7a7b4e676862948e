// Renders the message dialogs (MSGGET, INFOS, the page-counting box), wait boxes
// and a question to PNG files in the given folder, for a look by eye:
//   dn_render_ui OUTPUT_FOLDER

#include "common/ui/popmsg.h"
#include "common/ui/prompts.h"
#include "common/ui/startup.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

QString g_out;

bool save(QWidget* w, const QString& name) {
    dn::tk::processEvents();
    const QString path = QDir(g_out).filePath(name + ".png");
    const bool ok = w && w->grab().save(path);
    std::printf("%s %s\n", ok ? "scritto" : "NON scritto", qPrintable(path));
    return ok;
}

// The wait box on screen: the visible dialog with that caption.
QWidget* shown(const QString& caption) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == caption)
            return w;
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "uso: dn_render_ui CARTELLA\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);
    dn::ui::installUi();
    int failures = 0;

    // Modal dialogs: photographed as they start, then closed.
    dn::tk::setDialogHook([&](dn::TDialog& d) {
        failures += !save(d.hWnd(), QString::fromStdString(d.cResName()));
        d.Cargo = dn::Value(2);
        d.End(2);
    });
    std::string value = "Rossi Mario         ";
    dn::ui::MSGGET("Nominativo", "Inserire il nuovo nominativo;(cognome e nome)", value);
    dn::ui::INFOS("Deltranota", "1.38", "2024");
    dn::tk::setDialogHook({});

    dn::ui::WaitMsg w;
    w.text = "Manutenzione degli archivi in corso.;Non spegnere il computer.";
    w.rangeFrom = 0;
    w.rangeTo = 100;
    dn::ui::POPMSG(w);
    w.update = true;
    w.position = 40;
    dn::ui::POPMSG(w);
    failures += !save(shown("Attendere"), "WAIT_PROGRESS");
    dn::ui::POPMSG();

    dn::ui::POPMSG("Il sistema \xE8 momentaneamente occupato...");
    failures += !save(shown("Attendere"), "WAIT_PLAIN");
    dn::ui::POPMSG();

    dn::ui::WaitMsg p;
    p.printing = true;
    dn::ui::POPMSG(p);
    dn::ui::WaitMsg next;
    next.nextPage = true;
    dn::ui::POPMSG(next);
    dn::ui::POPMSG(next);
    failures += !save(shown("Attendere"), "PRINTDLG");
    dn::ui::POPMSG();

    // A question on the real message box, photographed and answered No.
    QTimer::singleShot(100, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            failures += !save(box, "QUESTION");
            box->button(QMessageBox::No)->click();
        }
    });
    dn::ui::POPMSG("La manutenzione potrebbe;richiedere del tempo.;;Confermi l'operazione?", 5);

    dn::ui::uninstallUi();
    return failures == 0 ? 0 : 1;
}
