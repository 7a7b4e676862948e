#pragma once

// The application's two tables as they lie on disk: file names, fields, and the key
// and condition of each one's index file. The program creates its files from these
// (app/tables.cpp), and the tests, benchmarks and fuzz seeds build theirs from the
// same definitions, so that what they exercise is what the program writes. Changing
// a field or a key here changes the files that other instances and earlier data
// folders hold. docs/startup.md lists the files.

#include "common/dbf/structure.h"

#include <cstdio>
#include <string>
#include <vector>

namespace dn::schema {

// Deadlines: one record per deadline of one person slot. Files SCADENZE.DBF, its
// memo file SCADENZE.DBT and its index SCADENZE.NTX (tag SCADENZE).
inline constexpr const char* kDeadlines = "SCADENZE";
// Contacts of the address book: RUBRICA.DBF, RUBRICA.DBT, RUBRICA.NTX (tag RUBRICA).
inline constexpr const char* kContacts = "RUBRICA";

// CODICE (the slot, see slotCode), DATA (due date), ORA ("HH:MM" or blank),
// INCOMBENZA (the task, memo), EVASA (done), GENERAZIO (series number of the
// deadlines made by one run of the recurrence generator, blank otherwise).
inline const std::vector<dbf::FieldDef>& deadlineFields() {
    static const std::vector<dbf::FieldDef> fields = {
        {"CODICE", 'C', 10, 0},     {"DATA", 'D', 8, 0},  {"ORA", 'C', 5, 0},
        {"INCOMBENZA", 'M', 10, 0}, {"EVASA", 'L', 1, 0}, {"GENERAZIO", 'C', 10, 0},
    };
    return fields;
}

// NOMINATIVO, INDIRIZZO, CAP, CITTA, TELEFONO1-3, CASA, CELLULARE, FAX, E_MAIL, NOTE (memo).
inline const std::vector<dbf::FieldDef>& contactFields() {
    static const std::vector<dbf::FieldDef> fields = {
        {"NOMINATIVO", 'C', 35, 0}, {"INDIRIZZO", 'C', 35, 0}, {"CAP", 'C', 5, 0},
        {"CITTA", 'C', 30, 0},      {"TELEFONO1", 'C', 15, 0}, {"TELEFONO2", 'C', 15, 0},
        {"TELEFONO3", 'C', 15, 0},  {"CASA", 'C', 15, 0},      {"CELLULARE", 'C', 15, 0},
        {"FAX", 'C', 15, 0},        {"E_MAIL", 'C', 40, 0},    {"NOTE", 'M', 10, 0},
    };
    return fields;
}

// Index keys as the index files store them: CODICE + DATA as YYYYMMDD + ORA, and
// NOMINATIVO upper-cased.
inline constexpr const char* kDeadlineKey = "codice + DTOS( data ) + ora";
inline constexpr int kDeadlineKeyLength = 10 + 8 + 5;
inline constexpr const char* kContactKey = "UPPER( nominativo )";
inline constexpr int kContactKeyLength = 35;
// Condition of both index files: records marked deleted stay out.
inline constexpr const char* kIndexCondition = "!DELETED()";

// A person slot (1 to 10) as CODICE holds it: right-aligned in 10 characters.
inline std::string slotCode(int slot) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%10d", slot);
    return buf;
}

} // namespace dn::schema
