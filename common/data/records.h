#pragma once

// Locking, appending and deleting records of the selected area's table. None of
// these gives up for lack of access: each retries quietly for three seconds, then
// shows "Il sistema è momentaneamente occupato..." and keeps trying until it
// succeeds; the message shown before comes back afterwards.

#include "common/data/area.h"

#include <cstdint>

namespace dn::data {

// Locks the current record (true; at end of file the position after the last
// record) or the whole table (false). Returns when the lock is held.
void DBLOCK(bool record);

// Appends a blank record under the table lock; on return it is the current record
// and locked (only it). The caller fills it, commits and unlocks. With
// keepTableLock the table lock stays held instead, covering the new record, until
// the caller unlocks: no other instance reads the table before the caller's write.
void DBAPP(bool keepTableLock = false);

// Marks the current record deleted under the table lock, commits it when commit is
// true, and leaves the pointer on the record that followed it in the controlling
// order (end of file after the last); all locks are released. At end of file it
// does nothing.
void DBDEL(bool commit = true);

// Clears the deleted mark of the current record; it is written with the record's
// next write (commit, unlock, or a move). REQUIRES: the record or the table is
// locked. At end of file it does nothing.
void DBRECALL();

// Removes the records marked deleted from the selected area's table, and from its
// memo file the memos they used (the files are replaced once the new ones are
// complete); the area's open orders are rebuilt and the pointer goes to the top.
// REQUIRES: the table open exclusively (DBOPEN with shared false).
void DBPACK();

// Asks "Confermi la cancellazione?" (OK/Cancel), checks that the current drive is
// not write-protected, and deletes the current record with DBDEL. At end of file it
// sounds a 440 Hz tone and asks nothing. True when the record was deleted.
bool DELREC();

// Marks deleted, in one pass over the table in record-number order, every record not
// deleted yet for which cond holds (FIELDGET in the block reads the record being
// tested). REQUIRES: the table locked with DBLOCK(false). The orders of the area
// stay current: an order that loses many keys at once is rebuilt in place, and one
// that an interrupted change left half-written is rebuilt too. Returns how many
// records were marked; the pointer stays where it was.
uint32_t DBDELETEFOR(const CondBlock& cond);

} // namespace dn::data
