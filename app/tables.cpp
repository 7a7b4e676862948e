#include "app/tables.h"

#include "common/data/errors.h"
#include "common/data/indexes.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/util/cp1252.h"
#include "platform/fileops.h"

#include <cstdio>

namespace dn::app {

namespace {

bool exists(const std::string& path) {
    return platform::GETFILEATTRIBUTES(path) >= 0;
}

} // namespace

const std::vector<dbf::FieldDef>& deadlineFields() {
    static const std::vector<dbf::FieldDef> fields = {
        {"CODICE", 'C', 10, 0},     {"DATA", 'D', 8, 0},  {"ORA", 'C', 5, 0},
        {"INCOMBENZA", 'M', 10, 0}, {"EVASA", 'L', 1, 0}, {"GENERAZIO", 'C', 10, 0},
    };
    return fields;
}

const std::vector<dbf::FieldDef>& contactFields() {
    static const std::vector<dbf::FieldDef> fields = {
        {"NOMINATIVO", 'C', 35, 0}, {"INDIRIZZO", 'C', 35, 0}, {"CAP", 'C', 5, 0},
        {"CITTA", 'C', 30, 0},      {"TELEFONO1", 'C', 15, 0}, {"TELEFONO2", 'C', 15, 0},
        {"TELEFONO3", 'C', 15, 0},  {"CASA", 'C', 15, 0},      {"CELLULARE", 'C', 15, 0},
        {"FAX", 'C', 15, 0},        {"E_MAIL", 'C', 40, 0},    {"NOTE", 'M', 10, 0},
    };
    return fields;
}

data::KeyBlock deadlineKey() {
    return [] {
        return Value(data::FIELDGET("CODICE").text() + data::FIELDGET("DATA").date().dtos() +
                     data::FIELDGET("ORA").text());
    };
}

data::KeyBlock contactKey() {
    return [] { return Value(upper1252(data::FIELDGET("NOMINATIVO").text())); };
}

std::string slotCode(int slot) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%10d", slot);
    return buf;
}

bool ensureTable(const std::string& name, const std::vector<dbf::FieldDef>& fields) {
    if (exists(name + ".DBF"))
        return true;
    return data::protect([&] { data::DBGEN(name, fields); });
}

bool ensureIndex(const std::string& name, const std::string& keyText, const data::KeyBlock& key) {
    const std::string index = name + ".NTX";
    if (exists(index))
        return true;
    const bool built = data::protect([&] {
        data::DBOPEN(false, {}, name, {}, false, false);
        data::ORDCONDSET(kIndexCondition, [] { return !data::DBDELETED(); });
        data::ORDBUILD(name, {}, keyText, key, false);
        data::DBCLOSE();
    });
    if (!built) {
        data::protect([&] { data::DBCLOSE(name); });
        platform::removeFile(index);
    }
    return built;
}

} // namespace dn::app
