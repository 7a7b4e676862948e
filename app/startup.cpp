#include "app/startup.h"

#include "app/aggiorna.h"
#include "app/mainwindow.h"
#include "app/product.h"
#include "app/settings.h"
#include "app/tables.h"
#include "common/data/errors.h"
#include "common/data/instance.h"
#include "common/data/library.h"
#include "common/data/startup_lock.h"
#include "common/schema/tables.h"
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
    std::vector<std::string> rebuilt;
    if (!ensureTable(schema::kDeadlines, schema::deadlineFields()) ||
        !ensureIndex(schema::kDeadlines, schema::kDeadlineKey, deadlineKey(), &rebuilt))
        return false;
    if (!ensureTable(schema::kContacts, schema::contactFields()) ||
        !ensureIndex(schema::kContacts, schema::kContactKey, contactKey(), &rebuilt))
        return false;
    createConfigVariables();
    if (!loadOrWriteConfig())
        return false;
    if (!AGGIORNA())
        return false;
    data::SUNLOCK();
    for (const std::string& index : rebuilt)
        data::showNotice(rebuiltIndexNotice(index));
    return true;
}

int run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProductName);
    QApplication::setApplicationVersion(kVersion);
    ui::installUi([] { return data::ISVELT(); });
    data::startupLibrary();
    const int code = MAIN() ? runMainWindow() : 1;
    data::protect([] { data::shutdownLibrary(); });
    ui::uninstallUi();
    return code;
}

} // namespace dn::app
