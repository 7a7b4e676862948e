#include "common/ui/waits.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace dn::ui {

bool SYSWAIT(double seconds) {
    const qint64 ms = std::max<qint64>(0, std::llround(seconds * 1000.0));
    // A local loop runs the events and ends when the time is up.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(std::min<qint64>(ms, 24LL * 3600 * 1000)));
    if (ms > 0)
        loop.exec();
    // Events that were already waiting run even for a zero wait.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return true;
}

void STOPUNTIL(const std::function<bool()>& condition) {
    while (!condition()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents();
    }
}

} // namespace dn::ui
