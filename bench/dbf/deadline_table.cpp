#include "deadline_table.h"

#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "common/util/date.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace dnbench {

std::string dataDir() {
    const char* env = std::getenv("DN_BENCH_DIR");
    const std::filesystem::path dir = env && *env
                                          ? std::filesystem::path(env)
                                          : std::filesystem::temp_directory_path() / "dn_bench";
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::string deadlineTable(uint32_t records, int owners) {
    using namespace dn::dbf;
    std::string name = dataDir() + "/SCAD" + std::to_string(records);
    if (owners != 10)
        name += "S" + std::to_string(owners);
    const std::string path = Table::tablePath(name);
    if (std::filesystem::exists(path)) {
        try {
            Table t;
            t.open(path, {true, true});
            if (t.recordCount() == records)
                return path;
        } catch (const std::exception&) {
            // Damaged or half-written by an interrupted run: generate it again.
        }
    }
    Table::create(name, dn::schema::deadlineFields());
    Table t;
    t.open(path, {false, false});
    std::mt19937 rng(42);
    const dn::Date first = dn::Date::fromYmd(2021, 1, 1);
    const int days = dn::Date::fromYmd(2030, 12, 31) - first + 1;
    const int cf = t.fieldIndex("CODICE"), df = t.fieldIndex("DATA"), of = t.fieldIndex("ORA"),
              mf = t.fieldIndex("INCOMBENZA"), ef = t.fieldIndex("EVASA"),
              gf = t.fieldIndex("GENERAZIO");
    char buf[32];
    for (uint32_t i = 0; i < records; ++i) {
        t.append();
        t.put(cf,
              dn::schema::slotCode(1 + static_cast<int>(rng() % static_cast<unsigned>(owners))));
        t.put(df, first.addDays(static_cast<int>(rng() % static_cast<unsigned>(days))));
        if (rng() % 2) {
            std::snprintf(buf, sizeof buf, "%02u:%02u", static_cast<unsigned>(rng() % 24),
                          static_cast<unsigned>(rng() % 4) * 15);
            t.put(of, std::string(buf));
        }
        std::string task = "Scadenza n. " + std::to_string(i + 1) + "\r\n";
        task.resize(20 + rng() % 101, 'x');
        t.put(mf, task);
        t.put(ef, rng() % 100 != 0);
        if (rng() % 4 == 0) {
            std::snprintf(buf, sizeof buf, "%10u", 1 + i / 12);
            t.put(gf, std::string(buf));
        }
    }
    t.commit();
    return path;
}

} // namespace dnbench
