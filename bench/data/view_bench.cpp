// Views and key search over an address book of 100,000 contacts.
//
// Run with --benchmark_repetitions=N --benchmark_report_aggregates_only=true to
// read medians. The table is generated once in the benchmark data folder
// (dnbench::dataDir) and reused by later runs.

#include "common/data/indexes.h"
#include "common/data/library.h"
#include "common/data/tables.h"
#include "common/data/views.h"
#include "common/data/workspace.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"

#include "bench/dbf/contact_table.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <random>
#include <unistd.h>

using namespace dn;
using namespace dn::data;

namespace {

constexpr uint32_t kContacts = 100000;

// A folder with the contact table's name index and an instance folder; made once,
// removed at exit.
struct Fixture {
    std::filesystem::path root;

    Fixture() {
        root = std::filesystem::temp_directory_path() /
               ("dn_view_bench_" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "inst");
        std::filesystem::current_path(root);
        setInstance("\x7f"
                    "BENCH",
                    (root / "inst").string(), holdMarker((root / "inst").string()));
        // The generated table, opened where it lies; the index goes here.
        DBOPEN(false, {}, dnbench::contactTable(kContacts), schema::kContacts);
        ORDBUILD(schema::kContacts, "", schema::kContactKey);
    }
    ~Fixture() {
        shutdownLibrary();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
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
