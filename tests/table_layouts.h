#pragma once

// The two tables of the application as the store tests and the data-layer tests
// build them: the deadline table and the contact table, field by field.

#include "common/dbf/structure.h"

#include <vector>

namespace testlayouts {

inline std::vector<dn::dbf::FieldDef> deadlineFields() {
    return {{"CODICE", 'C', 10, 0},     {"DATA", 'D', 8, 0},  {"ORA", 'C', 5, 0},
            {"INCOMBENZA", 'M', 10, 0}, {"EVASA", 'L', 1, 0}, {"GENERAZIO", 'C', 10, 0}};
}

inline std::vector<dn::dbf::FieldDef> contactFields() {
    return {{"NOMINATIVO", 'C', 35, 0}, {"INDIRIZZO", 'C', 35, 0}, {"CAP", 'C', 5, 0},
            {"CITTA", 'C', 30, 0},      {"TELEFONO1", 'C', 15, 0}, {"TELEFONO2", 'C', 15, 0},
            {"TELEFONO3", 'C', 15, 0},  {"CASA", 'C', 15, 0},      {"CELLULARE", 'C', 15, 0},
            {"FAX", 'C', 15, 0},        {"E_MAIL", 'C', 40, 0},    {"NOTE", 'M', 10, 0}};
}

} // namespace testlayouts
