// Stand-ins for the procedures of procedures.h that are not available yet: each
// tells the user so and does nothing else.

#include "app/procedures.h"

#include "app/panel.h"
#include "common/ui/popmsg.h"

namespace dn::app {

void SCADENZE(TDialog&, int clickRow, int n, std::optional<Date>) {
    if (slotFromRow(clickRow) > n)
        return;
    ui::POPMSG(kNotYetAvailable, 1);
}

void RUBRICA() {
    ui::POPMSG(kNotYetAvailable, 1);
}

} // namespace dn::app
