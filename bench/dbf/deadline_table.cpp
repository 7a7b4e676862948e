#include "deadline_table.h"

#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "common/util/clock.h"
#include "common/util/date.h"

#include <cstdio>
#include <random>

namespace dnbench {

namespace {

// What the generator puts in a table.
struct Mix {
    dn::Date first; // due dates spread uniformly from first to last
    dn::Date last;
    int owners = 10;          // slots 1 to owners
    int doneTodayPerSlot = 0; // done deadlines due today, per slot, before the others
};

// The table called name when it holds the records of mix already, else generated
// anew.
std::string generate(const std::string& name, uint32_t records, const Mix& mix) {
    using namespace dn::dbf;
    const std::string path = Table::tablePath(name);
    const uint32_t total = records + 10 * static_cast<uint32_t>(mix.doneTodayPerSlot);
    if (generatedAlready(path, total))
        return path;
    Table::create(name, dn::schema::deadlineFields());
    Table t;
    t.open(path, {false, false});
    std::mt19937 rng(42);
    const int days = mix.last - mix.first + 1;
    const int cf = t.fieldIndex("CODICE"), df = t.fieldIndex("DATA"), of = t.fieldIndex("ORA"),
              mf = t.fieldIndex("INCOMBENZA"), ef = t.fieldIndex("EVASA"),
              gf = t.fieldIndex("GENERAZIO");
    char buf[32];
    const dn::Date today = dn::clock::today();
    for (int slot = 1; slot <= 10; ++slot)
        for (int i = 0; i < mix.doneTodayPerSlot; ++i) {
            t.append();
            t.put(cf, dn::schema::slotCode(slot));
            t.put(df, today);
            t.put(mf, std::string("Fatto oggi"));
            t.put(ef, true);
        }
    for (uint32_t i = 0; i < records; ++i) {
        t.append();
        t.put(cf, dn::schema::slotCode(
                      1 + static_cast<int>(rng() % static_cast<unsigned>(mix.owners))));
        t.put(df, mix.first.addDays(static_cast<int>(rng() % static_cast<unsigned>(days))));
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

} // namespace

std::string deadlineTable(uint32_t records, int owners) {
    std::string name = dataDir() + "/SCAD" + std::to_string(records);
    if (owners != 10)
        name += "S" + std::to_string(owners);
    return generate(name, records,
                    Mix{dn::Date::fromYmd(2021, 1, 1), dn::Date::fromYmd(2030, 12, 31), owners, 0});
}

std::string doneTodayTable(uint32_t records) {
    const dn::Date today = dn::clock::today();
    return generate(dataDir() + "/DONE" + std::to_string(records) + "_" + today.dtos(), records,
                    Mix{today.addDays(1), today.addDays(4 * 365), 10, 100});
}

} // namespace dnbench
