#include "app/maintenance.h"

#include "app/tables.h"
#include "common/schema/tables.h"
#include "common/ui/popmsg.h"

namespace dn::app {

void MANUTENZ(bool ask) {
    if (ask &&
        ui::POPMSG("La manutenzione potrebbe;richiedere del tempo.;Confermi l'operazione?", 2) != 1)
        return;
    ui::POPMSG(ask ? "Manutenzione degli archivi in corso."
                   : "Ricostruzione degli indici in corso.");
    rebuildIndex(schema::kDeadlines, schema::kDeadlineKey, deadlineKey(), true);
    rebuildIndex(schema::kContacts, schema::kContactKey, contactKey(), true);
    ui::POPMSG();
}

void MANUTENZIONE(bool ask, bool) {
    MANUTENZ(ask);
}

} // namespace dn::app
