#include "app/aggiorna.h"

#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/util/clock.h"
#include "common/util/messages.h"
#include "toolkit/toolkit.h"

namespace dn::app {

bool AGGIORNA() {
    messages().processEvents();
    tk::cursorWait();
    data::AreaGuard guard;
    const bool done = data::protect([&] {
        guard.open(schema::kDeadlines);
        // The lock first: under it, opening the index mends one that a purge killed
        // half-way left half-written.
        data::DBLOCK(false);
        data::ORDADD(schema::kDeadlines);
        data::ORDSETFOCUS(0);
        const Date today = clock::today();
        // One pass in record order; the index loses the keys with it (rebuilt in
        // place when many go at once).
        data::DBDELETEFOR([&] {
            return data::FIELDGET("DATA").date() < today && data::FIELDGET("EVASA").logical();
        });
        data::DBCOMMIT();
        guard.release();
    });
    tk::cursorArrow();
    return done;
}

} // namespace dn::app
