// Views and key search over an address book of 100,000 contacts.
//
// Run with --benchmark_repetitions=N --benchmark_report_aggregates_only=true to
// read medians. The table is generated once per run in a temporary folder.

#include "bench/support/data_folder.h"
#include "common/data/indexes.h"
#include "common/data/tables.h"
#include "common/data/views.h"
#include "common/data/workspace.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"

#include <benchmark/benchmark.h>
#include <random>

using namespace dn;
using namespace dn::data;

namespace {

constexpr uint32_t kContacts = 100000;

const char* const kSurnames[] = {
    "ROSSI",   "RUSSO", "FERRARI",  "ESPOSITO", "BIANCHI",  "ROMANO",   "COLOMBO", "RICCI",
    "MARINO",  "GRECO", "BRUNO",    "GALLO",    "CONTI",    "DE LUCA",  "COSTA",   "GIORDANO",
    "MANCINI", "RIZZO", "LOMBARDI", "MORETTI",  "ROSSETTI", "BARBIERI", "FONTANA", "SANTORO"};
const char* const kNames[] = {"MARIO", "LUCA", "GIULIA", "ANNA",  "MARCO",   "FRANCESCA",
                              "PAOLO", "SARA", "ANDREA", "ELENA", "STEFANO", "CHIARA"};

// A folder with the contact table, its name index and an instance folder; made
// once, removed at exit.
struct Fixture {
    dnbench::DataFolder folder{"dn_view_bench"};

    Fixture() {
        generate();
        DBOPEN(false, {}, schema::kContacts);
        ORDBUILD(schema::kContacts, "", schema::kContactKey);
    }

    static void generate() {
        dbf::Table::create(schema::kContacts, schema::contactFields());
        dbf::Table t;
        t.open(schema::kContacts, dbf::OpenOptions{false, false});
        std::mt19937 rng(42);
        for (uint32_t i = 0; i < kContacts; ++i) {
            t.append();
            const std::string name = std::string(kSurnames[rng() % std::size(kSurnames)]) + " " +
                                     kNames[rng() % std::size(kNames)] + " " + std::to_string(i);
            t.put("NOMINATIVO", Value(name));
            t.put("CITTA", Value("MILANO"));
            t.put("TELEFONO1", Value("02 " + std::to_string(1000000 + rng() % 9000000)));
            t.put("E_MAIL", Value("c" + std::to_string(i) + "@example.it"));
        }
        t.close();
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// The address book search by part of a name: the condition text compiled, as the
// search dialog builds it.
void BM_ViewSubstringCompiled(benchmark::State& state) {
    fixture();
    const CondBlock cond = conditionOf("\"SETTI\" $ UPPER( FIELD -> NOMINATIVO ) .AND. !DELETED()");
    for (auto _ : state) {
        DBCLEARVIEW(false);
        DBSETVIEW(cond, "\"SETTI\" $ UPPER( FIELD -> NOMINATIVO )", ViewOptions{{}, true});
    }
    state.counters["matches"] = static_cast<double>(ORDKEYCOUNT());
    state.counters["records"] = kContacts;
    DBCLEARVIEW(false);
}
BENCHMARK(BM_ViewSubstringCompiled)->Unit(benchmark::kMillisecond);

// The same search with the condition as a C++ block reading the field by name.
void BM_ViewSubstringBlock(benchmark::State& state) {
    fixture();
    const CondBlock cond = [] {
        return FIELDGET("NOMINATIVO").text().find("SETTI") != std::string::npos;
    };
    for (auto _ : state) {
        DBCLEARVIEW(false);
        DBSETVIEW(cond, "", ViewOptions{{}, true});
    }
    state.counters["matches"] = static_cast<double>(ORDKEYCOUNT());
    DBCLEARVIEW(false);
}
BENCHMARK(BM_ViewSubstringBlock)->Unit(benchmark::kMillisecond);

class NoList : public SearchList {
public:
    void showCurrent() override { ++moves; }
    long moves = 0;
};

// One keystroke of the type-ahead search in the 100,000-name index, averaged over
// the cycle R, O, S, backspace, backspace, backspace.
void BM_KeySearchKeystroke(benchmark::State& state) {
    fixture();
    NoList list;
    const int keys[] = {'r', 'o', 's', 8, 8, 8};
    size_t i = 0;
    KEYSEARCH(nullptr, 0);
    DBGOTOP();
    for (auto _ : state)
        KEYSEARCH(&list, keys[i++ % 6]);
    state.counters["moves"] = static_cast<double>(list.moves);
}
BENCHMARK(BM_KeySearchKeystroke)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
