#include "contact_table.h"

#include "common/dbf/table.h"
#include "common/schema/tables.h"

#include <iterator>

namespace dnbench {

namespace {

// n turned into count syllables: surnames and first names that sort and search
// like real ones, without naming anyone.
std::string syllables(uint32_t n, int count) {
    static const char* const parts[] = {"RO", "SSI", "BIAN", "CHI", "VER", "DI",  "CO", "STA",
                                        "MA", "RI",  "NO",   "GAL", "LO",  "FER", "RA", "SET",
                                        "TI", "LU",  "CA",   "BAR", "BIE", "ZA",  "NI", "MO"};
    std::string s;
    for (int i = 0; i < count; ++i) {
        s += parts[n % std::size(parts)];
        n = n / std::size(parts) + n * 7 + 3;
    }
    return s;
}

} // namespace

std::string contactTable(uint32_t records) {
    using namespace dn::dbf;
    const std::string name = dataDir() + "/CONT" + std::to_string(records);
    const std::string path = Table::tablePath(name);
    if (generatedAlready(path, records))
        return path;
    Table::create(name, dn::schema::contactFields());
    Table t;
    t.open(path, {false, false});
    for (uint32_t i = 0; i < records; ++i) {
        t.append();
        t.put("NOMINATIVO", dn::Value(syllables(i * 2654435761u, 2 + static_cast<int>(i % 3)) +
                                      " " + syllables(i, 2) + " " + std::to_string(i)));
        t.put("INDIRIZZO", dn::Value("VIA " + syllables(i / 7, 3) + " " + std::to_string(i % 200)));
        t.put("CAP", dn::Value(std::string("00000")));
        t.put("CITTA", dn::Value(std::string("PADOVA")));
        t.put("TELEFONO1", dn::Value("049" + std::to_string(1000000 + (i * 7919) % 9000000)));
        if (i % 3 == 0)
            t.put("CELLULARE", dn::Value("3" + std::to_string(100000000 + i)));
        t.put("E_MAIL",
              dn::Value("c" + std::to_string(i) + (i % 2 ? "@esempio.example" : "@prova.example")));
        if (i % 10 == 5)
            t.put("NOTE", dn::Value("Richiamare il " + std::to_string(i % 28 + 1) + "\r\ninterno " +
                                    std::to_string(i % 90)));
    }
    t.commit();
    return path;
}

} // namespace dnbench
