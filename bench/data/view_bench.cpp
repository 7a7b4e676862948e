// Views and key search over an address book of 100,000 contacts, and the view of
// a person's deadline list over 1,000,000 deadlines, each condition compiled from
// its text as the search or the list builds it.
//
// Run with --benchmark_repetitions=N --benchmark_report_aggregates_only=true to
// read medians. The address book and the deadline table come from the generators
// of bench/dbf, made once in the benchmark data folder (DN_BENCH_DIR) and reused by
// later runs.

#include "bench/dbf/contact_table.h"
#include "bench/dbf/deadline_table.h"
#include "bench/support/data_folder.h"
#include "common/data/indexes.h"
#include "common/data/tables.h"
#include "common/data/views.h"
#include "common/data/workspace.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "common/util/clock.h"
#include "common/util/format.h"

#include <benchmark/benchmark.h>

using namespace dn;
using namespace dn::data;

namespace {

constexpr uint32_t kContacts = 100000;

// A folder with the contact table's name index and an instance folder; made once,
// removed at exit.
struct Fixture {
    dnbench::DataFolder folder{"dn_view_bench"};

    Fixture() {
        // The generated table, opened where it lies; the index goes here.
        DBOPEN(false, {}, dnbench::contactTable(kContacts), schema::kContacts);
        ORDBUILD(schema::kContacts, "", schema::kContactKey);
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
    DBSELECTAREA(1);
    const CondBlock cond =
        conditionOf("{ || \"SETTI\" $ UPPER( FIELD -> NOMINATIVO ) .and. !Deleted() }");
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
    DBSELECTAREA(1);
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
    DBSELECTAREA(1);
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

// The deadline table of 1,000,000 records from the generator, with its index, open
// in work area 2 of the fixture's folder.
void openDeadlines() {
    static const bool made = [] {
        namespace fs = std::filesystem;
        const std::string table = dnbench::deadlineTable(1000000);
        fs::copy_file(table, "SCADENZE.DBF", fs::copy_options::overwrite_existing);
        fs::copy_file(dbf::Table::memoPathOf(table), "SCADENZE.DBT",
                      fs::copy_options::overwrite_existing);
        DBSELECTAREA(2);
        DBOPEN(false, {}, schema::kDeadlines, {}, false);
        ORDBUILD(schema::kDeadlines, "", schema::kDeadlineKey);
        DBCLOSE();
        DBOPEN(false, {}, schema::kDeadlines);
        ORDADD(schema::kDeadlines);
        return true;
    }();
    (void)made;
    DBSELECTAREA(2);
}

// A person's deadline list as it opens: scope on the slot's code, then the view
// of the deadlines not done and due up to today, its condition compiled from the
// list's own text with today's date. Arg: 0 builds the view from the whole table
// in record order (as every list and search asks), 1 from the slot's keys.
void BM_DeadlineListView(benchmark::State& state) {
    fixture();
    openDeadlines();
    const std::string code = schema::slotCode(3);
    const std::string text =
        "FIELD -> data <= " + MKSTR(Value(clock::today())).text() + " .AND. !FIELD -> evasa";
    const CondBlock cond = conditionOf("{ || " + text + " .and. !Deleted() }");
    ViewOptions options{{}, true};
    options.useCurrentOrder = state.range(0) == 1;
    for (auto _ : state) {
        DBCLEARVIEW(false);
        ORDSCOPE(0, Value(code));
        ORDSCOPE(1, Value(code));
        DBSETVIEW(cond, text, options);
    }
    state.counters["matches"] = static_cast<double>(ORDKEYCOUNT());
    DBCLEARVIEW(false);
}
BENCHMARK(BM_DeadlineListView)->ArgName("slotKeys")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
