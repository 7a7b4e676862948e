// Runs backup, restore and maintenance in a scratch data folder on a display and
// photographs the whole screen at each step a user sees (the file dialogs, the
// questions, the wait messages, the notices), for a look by eye:
//   xvfb-run -a -s '-screen 0 1280x1024x24' dn_render_backup OUTPUT_FOLDER
// Another process holds the deadline table open for two seconds during the
// restore, so that the restore's wait for the other instances shows too.

#include "app/backup.h"
#include "../wait_watch.h"
#include "app/maintenance.h"
#include "app/settings.h"
#include "app/startup.h"
#include "common/data/library.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "common/ui/popmsg.h"
#include "common/ui/startup.h"
#include "common/util/clock.h"
#include "platform/file.h"
#include "toolkit/filedialog.h"
#include "toolkit/text.h"
#include "toolkit/toolkit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

QString g_out;
int g_failures = 0;

void shot(const QString& name) {
    dn::tk::processEvents();
    const QString path = QDir(g_out).filePath(name + ".png");
    const bool ok = QGuiApplication::primaryScreen()->grabWindow(0).save(path);
    std::printf("%s %s\n", ok ? "scritto" : "NON scritto", qPrintable(path));
    g_failures += !ok;
}

// Photographs each wait text once, when it first shows.
struct WaitShots {
    std::set<std::string> taken;
    void seen(const std::string& text) {
        if (taken.insert(text).second)
            shot(QString::fromLatin1("WAIT_%1").arg(taken.size()));
    }
    dn::test::WaitWatch watch{[this](const std::string& text) { seen(text); }, 50};
};

// Answers every message box with its default button after photographing it.
void answerBoxes(const QString& prefix) {
    static int n = 0;
    static QString current;
    current = prefix;
    static QTimer* t = [] {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            shot(QString::fromLatin1("%1_BOX_%2").arg(current).arg(++n));
            box->defaultButton() ? box->defaultButton()->click() : box->accept();
        });
        timer->start(300);
        return timer;
    }();
    (void)t;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "uso: dn_render_backup CARTELLA\n");
        return 2;
    }
    g_out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(g_out);
    const QString data =
        QDir::temp().filePath(QStringLiteral("dn_render_backup_%1").arg(::getpid()));
    QDir().mkpath(data);
    QDir::setCurrent(data);
    dn::ui::installUi();
    dn::data::startupLibrary();
    if (!dn::app::MAIN())
        return 1;
    {
        dn::dbf::Table t;
        t.open(dn::schema::kDeadlines, {false, false});
        for (int i = 0; i < 20000; ++i) {
            t.append();
            t.put("CODICE", dn::Value(dn::schema::slotCode(i % 3 + 1)));
            t.put("INCOMBENZA", dn::Value("Scadenza " + std::to_string(i)));
        }
        t.commit();
    }
    // The archive goes where the save dialog proposes it, under the name it offers.
    const std::string archive = dn::app::defaultArchiveName(dn::clock::today());

    WaitShots waits;
    dn::tk::setFileDialogHook([&](QFileDialog& d) {
        QTimer::singleShot(300, &d, [&d, &archive] {
            shot(d.acceptMode() == QFileDialog::AcceptSave ? "SAVE_DIALOG" : "OPEN_DIALOG");
            if (auto* edit = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                edit->setText(dn::tk::toQt(archive));
            QMetaObject::invokeMethod(&d, "accept");
        });
    });
    answerBoxes("SALVA");
    dn::app::SALVA({dn::app::kConfigFile});

    // Another instance keeps the deadline table open for two seconds.
    const pid_t other = ::fork();
    if (other == 0) {
        dn::dbf::Table t;
        t.open(dn::schema::kDeadlines, {true, false});
        std::this_thread::sleep_for(std::chrono::seconds(2));
        ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    answerBoxes("RICARICA");
    dn::app::RICARICA();
    ::waitpid(other, nullptr, 0);

    answerBoxes("MANUTENZ");
    dn::app::MANUTENZ();

    dn::platform::clearFaultHooks();
    dn::tk::setFileDialogHook({});
    dn::data::shutdownLibrary();
    dn::ui::uninstallUi();
    QDir(data).removeRecursively();
    return g_failures == 0 ? 0 : 1;
}
