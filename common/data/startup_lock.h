#pragma once

// The start-up lock: a record lock on the only record of the lock table "NET" in
// the working directory (or of the machine-wide one, see ISVELT), which instances
// hold while they create missing files and purge old records, so that only one at
// a time does that work. The table stays open in the reserved work area
// kStartupLockArea while the lock is held.

namespace dn::data {

// Makes sure the lock table exists: returns at once when "NET" is in the working
// directory or ISVELT(); otherwise creates it with its one field LOCK (text, 1)
// and one blank record. Instances starting together never both create it: the
// table is built under a temporary name and moved into place only where no "NET"
// is yet. False when it cannot be made (the error handler has shown why); the
// program must then end.
bool SCREATE();

// Returns once the start-up lock is held: opens the lock table shared in the
// reserved area (waiting while it cannot be opened) and locks its record,
// retrying quietly for three seconds and then with "Il sistema è
// momentaneamente occupato..." for as long as it takes. Nothing before USER().
// The work area selected before stays selected.
void SLOCK();

// Releases the start-up lock by closing the lock table. Nothing before USER() or
// when the lock is not held; never throws (the table holds nothing to lose, and
// closing frees the lock in every case). The selected area stays selected.
void SUNLOCK();

// True while this instance holds the lock table open in the reserved area.
bool startupLockHeld();

} // namespace dn::data
