// The program itself, with one addition for the start-up benchmark: as soon as the
// panel shows with its lamps set for the first time, it writes "shown" on its
// standard output and closes the panel, so that the program ends as it does when
// the user closes it.
#include "app/leds.h"
#include "app/panel.h"
#include "app/startup.h"
#include "toolkit/dialog.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

// Runs when the program builds its application object, before anything else.
void watchForThePanel() {
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer] {
        dn::app::RunningPanel* running = dn::app::runningPanel();
        if (!running || !running->dlg || !dn::app::lastLampScan())
            return;
        const QWidget* w = running->dlg->hWnd();
        if (!w || !w->isVisible())
            return;
        timer->stop();
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
        running->dlg->End();
    });
    timer->start(1);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchForThePanel)

int main(int argc, char** argv) {
    return dn::app::run(argc, argv);
}
