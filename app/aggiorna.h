#pragma once

namespace dn::app {

// Purges done deadlines of past days: under the whole-table lock of "SCADENZE",
// every record dated before today (clock::today()) whose EVASA is true is marked
// deleted. A done deadline of today and every deadline not done stay. True when
// the purge ran to its end; false when any step failed (after the error handler's
// message). The table is closed on every path.
bool AGGIORNA();

} // namespace dn::app
