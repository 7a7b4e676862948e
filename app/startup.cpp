#include "app/startup.h"

#include <QApplication>

namespace dn::app {

int run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Deltranota");
    QApplication::setApplicationVersion("1.38");
    // The start-up sequence and the panel plug in here; until then the program
    // starts its toolkit and ends cleanly.
    return 0;
}

} // namespace dn::app
