// Stand-ins for the procedures of procedures.h that are not available yet: each
// tells the user so and does nothing else.

#include "app/procedures.h"

#include "common/ui/popmsg.h"

namespace dn::app {

void MANUTENZ() {
    ui::POPMSG(kNotYetAvailable, 1);
}

void SALVA(const std::vector<std::string>&) {
    ui::POPMSG(kNotYetAvailable, 1);
}

void RICARICA() {
    ui::POPMSG(kNotYetAvailable, 1);
}

} // namespace dn::app
