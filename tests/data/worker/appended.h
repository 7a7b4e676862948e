#pragma once

// The deadline records that "data_worker append" writes, one after the other, so
// that a test can tell from a copy of the table exactly which appends it holds.

#include "common/dbf/table.h"
#include "common/util/date.h"

#include <cstdio>
#include <string>

namespace workerdata {

struct Appended {
    std::string codice;
    dn::Date data;
    std::string ora;
    std::string incombenza; // memo text
    bool evasa;
    std::string generazio;
};

// The i-th record appended (from 0).
inline Appended appended(unsigned i) {
    char code[16];
    std::snprintf(code, sizeof code, "%10u", i % 10 + 1);
    char ora[8];
    std::snprintf(ora, sizeof ora, "%02u:%02u", i % 24, i % 60);
    char gen[16];
    std::snprintf(gen, sizeof gen, "%10u", i);
    return {code,       dn::Date::fromYmd(2024, 1, 1).addDays(static_cast<int>(i % 365)),
            ora,        "Scadenza " + std::to_string(i) + " " + std::string(i % 150, 'x'),
            i % 2 == 1, gen};
}

// Puts the i-th record's fields into the current record of t.
inline void putAppended(dn::dbf::Table& t, unsigned i) {
    const Appended a = appended(i);
    t.put("CODICE", dn::Value(a.codice));
    t.put("DATA", dn::Value(a.data));
    t.put("ORA", dn::Value(a.ora));
    t.put("INCOMBENZA", dn::Value(a.incombenza));
    t.put("EVASA", dn::Value(a.evasa));
    t.put("GENERAZIO", dn::Value(a.generazio));
}

} // namespace workerdata
