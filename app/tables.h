#pragma once

// The two tables of the application, their index files and the start-up steps that
// create whichever of them is missing. Files are plain names in the working
// directory (the data folder).

#include "common/data/area.h"
#include "common/dbf/structure.h"

#include <string>
#include <vector>

namespace dn::app {

// Deadlines: one record per deadline of one person slot.
inline constexpr const char* kDeadlines = "SCADENZE";
// Contacts of the address book.
inline constexpr const char* kContacts = "RUBRICA";

// Key texts as handed to the index builder (which stores them without "FIELD -> ").
inline constexpr const char* kDeadlineKey =
    "FIELD -> codice + DTOS( FIELD -> data ) + FIELD -> ora";
inline constexpr const char* kContactKey = "UPPER( FIELD -> nominativo )";
// Condition of both index files: records marked deleted stay out.
inline constexpr const char* kIndexCondition = "!DELETED()";

// CODICE, DATA, ORA, INCOMBENZA, EVASA, GENERAZIO.
const std::vector<dbf::FieldDef>& deadlineFields();
// NOMINATIVO, INDIRIZZO, CAP, CITTA, TELEFONO1-3, CASA, CELLULARE, FAX, E_MAIL, NOTE.
const std::vector<dbf::FieldDef>& contactFields();

// The keys the index files hold, computed from the record the selected area shows:
// CODICE + DATA as YYYYMMDD + ORA (23 characters), and NOMINATIVO upper-cased (35).
data::KeyBlock deadlineKey();
data::KeyBlock contactKey();

// A person slot (1 to 10) as CODICE holds it: right-aligned in 10 characters.
std::string slotCode(int slot);

// Creates the table when its file (name + ".DBF") is missing. False when that
// failed; the error handler has shown why.
bool ensureTable(const std::string& name, const std::vector<dbf::FieldDef>& fields);

// Builds the index file name + ".NTX" when it is missing: opens the table
// exclusively (waiting while other instances have it open), builds the one order
// with the key under "!DELETED()", closes the table. On failure the table is closed
// and the half-built index file deleted, so that the next start builds it again;
// false then (the error handler has shown why).
bool ensureIndex(const std::string& name, const std::string& keyText, const data::KeyBlock& key);

} // namespace dn::app
