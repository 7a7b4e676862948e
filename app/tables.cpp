#include "app/tables.h"

#include "common/data/errors.h"
#include "common/data/indexes.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/util/cp1252.h"
#include "platform/fileops.h"

namespace dn::app {

namespace {

bool exists(const std::string& path) {
    return platform::GETFILEATTRIBUTES(path) >= 0;
}

} // namespace

data::KeyBlock deadlineKey() {
    return [] {
        return Value(data::FIELDGET("CODICE").text() + data::FIELDGET("DATA").date().dtos() +
                     data::FIELDGET("ORA").text());
    };
}

data::KeyBlock contactKey() {
    return [] { return Value(upper1252(data::FIELDGET("NOMINATIVO").text())); };
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
        data::ORDCONDSET(schema::kIndexCondition, [] { return !data::DBDELETED(); });
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
