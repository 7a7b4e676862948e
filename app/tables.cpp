#include "app/tables.h"

#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
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
    if (!exists(name + ".DBF"))
        return data::protect([&] { data::DBGEN(name, fields); });
    // A table of that name with another structure (another program's, a field
    // renamed) would have every procedure fail on its first field: it is reported
    // as the file it is, before anything uses it.
    return data::protect([&] {
        data::AreaGuard guard;
        guard.open(name);
        const dbf::Table& table = data::area().table();
        const std::string missing = table.structure().firstMissing(fields);
        if (!missing.empty())
            throw dbf::CorruptFile(table.path(), "campo " + missing + " mancante o diverso");
    });
}

std::string rebuiltIndexNotice(const std::string& index) {
    return "L'indice " + index + " risultava danneggiato ed \xE8 stato ricostruito.";
}

bool ensureIndex(const std::string& name, const std::string& keyText, const data::KeyBlock& key,
                 std::vector<std::string>* rebuilt) {
    const std::string index = name + ".NTX";
    if (!exists(index))
        return rebuildIndex(name, keyText, key, false);
    // Opening the order checks the file; damage found there is mended like a
    // missing file, other failures go to the handler as always.
    bool damaged = false;
    const bool opened = data::protect([&] {
        data::AreaGuard guard;
        guard.open(name);
        try {
            data::ORDADD(index);
        } catch (const dbf::CorruptFile& e) {
            if (e.path() != dbf::indexFileName(index))
                throw;
            damaged = true;
        }
    });
    if (!opened)
        return false;
    if (!damaged)
        return true;
    // The damaged file is left in place until the rebuild holds the table alone:
    // other instances may still have it open, and the new file replaces it whole.
    if (rebuilt)
        rebuilt->push_back(index);
    return rebuildIndex(name, keyText, key, false);
}

bool rebuildIndex(const std::string& name, const std::string& keyText, const data::KeyBlock& key,
                  bool pack) {
    data::AreaGuard guard;
    bool held = false;
    const bool built = data::protect([&] {
        guard.open(name, {}, false);
        held = true;
        if (pack)
            data::DBPACK();
        data::ORDCONDSET(schema::kIndexCondition, [] { return !data::DBDELETED(); });
        data::ORDBUILD(name, {}, keyText, key, false);
        guard.release();
    });
    if (!built && held)
        platform::removeFile(name + ".NTX");
    return built;
}

} // namespace dn::app
