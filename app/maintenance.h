#pragma once

// Maintenance of the application's tables: removal of deleted records and rebuild
// of the index files.

namespace dn::app {

// When ask is true, asks "La manutenzione potrebbe;richiedere del tempo.;Confermi
// l'operazione?" (OK/Cancel) and does nothing on Cancel. Then, under the wait
// message "Manutenzione degli archivi in corso." (ask true) or "Ricostruzione degli
// indici in corso." (ask false), for the deadline table and then the address book:
// opens it exclusively (waiting with "Spegnere tutti i terminali..." while other
// instances have it open), packs it and builds its index file anew. A failure ends
// the work on that table only, after the error handler's message; its index file
// is then deleted, so that the next start builds it again.
void MANUTENZ(bool ask = true);

// The maintenance hook that a restore calls after extracting the archive, with ask
// false and the second flag true: the index files are rebuilt (MANUTENZ(ask)), so
// that no index file describes the tables that were there before.
void MANUTENZIONE(bool ask, bool second);

} // namespace dn::app
