#include "contact_table.h"

#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "deadline_table.h"

#include <filesystem>
#include <iterator>
#include <random>

namespace dnbench {

namespace {

const char* const kSurnames[] = {
    "ROSSI",   "RUSSO", "FERRARI",  "ESPOSITO", "BIANCHI",  "ROMANO",   "COLOMBO", "RICCI",
    "MARINO",  "GRECO", "BRUNO",    "GALLO",    "CONTI",    "DE LUCA",  "COSTA",   "GIORDANO",
    "MANCINI", "RIZZO", "LOMBARDI", "MORETTI",  "ROSSETTI", "BARBIERI", "FONTANA", "SANTORO"};
const char* const kNames[] = {"MARIO", "LUCA", "GIULIA", "ANNA",  "MARCO",   "FRANCESCA",
                              "PAOLO", "SARA", "ANDREA", "ELENA", "STEFANO", "CHIARA"};

} // namespace

std::string contactTable(uint32_t records) {
    using namespace dn::dbf;
    const std::string name = dataDir() + "/RUB" + std::to_string(records);
    const std::string path = Table::tablePath(name);
    if (generatedAlready(path, records))
        return path;
    Table::create(name, dn::schema::contactFields());
    Table t;
    t.open(path, {false, false});
    std::mt19937 rng(42);
    for (uint32_t i = 0; i < records; ++i) {
        t.append();
        const std::string n = std::string(kSurnames[rng() % std::size(kSurnames)]) + " " +
                              kNames[rng() % std::size(kNames)] + " " + std::to_string(i);
        t.put("NOMINATIVO", dn::Value(n));
        t.put("CITTA", dn::Value(std::string("MILANO")));
        t.put("TELEFONO1", dn::Value("02 " + std::to_string(1000000 + rng() % 9000000)));
        t.put("E_MAIL", dn::Value("c" + std::to_string(i) + "@example.it"));
    }
    t.commit();
    return path;
}

} // namespace dnbench
