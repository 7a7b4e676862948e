#include "app/startup.h"

#include "app/aggiorna.h"
#include "app/mainwindow.h"
#include "app/settings.h"
#include "app/tables.h"
#include "common/data/errors.h"
#include "common/data/instance.h"
#include "common/data/library.h"
#include "common/data/startup_lock.h"
#include "common/ui/startup.h"

#include <QApplication>

namespace dn::app {

bool MAIN() {
    // One instance at a time from here to the release of the start-up lock.
    if (!data::SCREATE())
        return false;
    if (!data::protect([] {
            data::USER();
            data::SLOCK();
        }))
        return false;
    if (!ensureTable(kDeadlines, deadlineFields()) ||
        !ensureIndex(kDeadlines, kDeadlineKey, deadlineKey()))
        return false;
    if (!ensureTable(kContacts, contactFields()) ||
        !ensureIndex(kContacts, kContactKey, contactKey()))
        return false;
    createConfigVariables();
    if (!loadOrWriteConfig())
        return false;
    if (!AGGIORNA())
        return false;
    data::SUNLOCK();
    return true;
}

void MANUTENZIONE(bool, bool) {}

int run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Deltranota");
    QApplication::setApplicationVersion("1.38");
    ui::installUi([] { return data::ISVELT(); });
    data::startupLibrary();
    const int code = MAIN() ? runMainWindow() : 1;
    data::protect([] { data::shutdownLibrary(); });
    ui::uninstallUi();
    return code;
}

} // namespace dn::app
