// Index benchmarks on generated deadline tables: building the deadline index, the
// lamp question (for each of the 10 slots, is any deadline not done due by today?)
// answered by one seek per slot, and building a view (a conditional index of
// record numbers). A bare block scan of the same table gives the baseline.
#include "deadline_table.h"

#include "common/dbf/index_expr.h"
#include "common/dbf/index_maintain.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "common/util/clock.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

using namespace dn::dbf;

// Where the fields that the view conditions test lie in a record.
struct Layout {
    uint32_t codice, evasa;
};

Layout layoutOf(const Table& t) {
    auto at = [&](const char* name) {
        return t.fields()[static_cast<size_t>(t.fieldIndex(name))].offset;
    };
    return {at("CODICE"), at("EVASA")};
}

std::string indexPath(const char* name, int64_t records) {
    return dnbench::dataDir() + "/" + name + std::to_string(records);
}

void BM_TableScanOnly(benchmark::State& state) {
    Table t;
    t.open(dnbench::deadlineTable(static_cast<uint32_t>(state.range(0))), {true, true});
    for (auto _ : state) {
        size_t live = 0;
        tableScan(t)([&](uint32_t, const char* rec) { live += rec[0] != '*'; });
        benchmark::DoNotOptimize(live);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The deadline index of the application, with its key and condition.
void BM_BuildDeadlineIndex(benchmark::State& state) {
    Table t;
    t.open(dnbench::deadlineTable(static_cast<uint32_t>(state.range(0))), {true, true});
    IndexDefinition def;
    def.keyExpression = dn::schema::kDeadlineKey;
    def.forExpression = dn::schema::kIndexCondition;
    const KeyExpression key = compileKeyExpression(def.keyExpression, def.forExpression, t);
    def.keyLength = key.shape.length;
    const std::string path = indexPath("SCAD", state.range(0));
    for (auto _ : state) {
        IndexFile idx = IndexFile::create(path, "", def, tableScan(t), key.eval);
        benchmark::DoNotOptimize(idx.isOpen());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Lamps: an index on slot, done flag, date and time; per slot one soft seek on
// slot + "F" tells whether the earliest deadline not done is due by today.
void BM_AnyDueNotDonePerSlot(benchmark::State& state) {
    Table t;
    t.open(dnbench::deadlineTable(static_cast<uint32_t>(state.range(0))), {true, true});
    IndexDefinition def;
    def.keyExpression = "codice + IIF( evasa, 'T', 'F' ) + DTOS( data ) + ora";
    const KeyExpression key = compileKeyExpression(def.keyExpression, def.forExpression, t);
    def.keyLength = key.shape.length;
    const IndexFile idx =
        IndexFile::create(indexPath("LAMP", state.range(0)), "", def, tableScan(t), key.eval);
    const std::string today = dn::clock::today().dtos();
    int lit = 0;
    for (auto _ : state) {
        lit = 0;
        for (int slot = 1; slot <= 10; ++slot) {
            const std::string prefix = dn::schema::slotCode(slot) + "F";
            const SeekResult r = idx.seek(prefix, SeekMode::Prefix, true);
            lit += r.found && r.entry->key.compare(11, 8, today) <= 0;
        }
        benchmark::DoNotOptimize(lit);
    }
    state.counters["lamps_lit"] = lit;
}

// A view: the record numbers of the records that a search condition admits. Arg 1:
// 0 = the deadlines of slot 3 (a tenth of the table), 1 = the deadlines not done (1%).
void BM_BuildView(benchmark::State& state) {
    Table t;
    t.open(dnbench::deadlineTable(static_cast<uint32_t>(state.range(0))), {true, true});
    const Layout l = layoutOf(t);
    IndexDefinition def;
    def.keyExpression = "RECNO()";
    def.keyType = KeyType::Numeric;
    KeyEvaluator eval = compileKeyExpression("RECNO()", "", t).eval;
    if (state.range(1) == 0)
        eval.condition = [l](const char* rec, uint32_t) {
            return rec[0] != '*' && std::memcmp(rec + l.codice, "         3", 10) == 0;
        };
    else
        eval.condition = [l](const char* rec, uint32_t) {
            return rec[0] != '*' && rec[l.evasa] != 'T';
        };
    const std::string path = indexPath("\x7FVIEW", state.range(0));
    uint64_t keys = 0;
    for (auto _ : state) {
        IndexFile view = IndexFile::create(path, "", def, tableScan(t), eval);
        keys = view.count();
    }
    state.counters["keys"] = static_cast<double>(keys);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_TableScanOnly)
    ->Arg(1000000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildDeadlineIndex)
    ->Arg(100000)
    ->Arg(1000000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnyDueNotDonePerSlot)
    ->Arg(1000000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildView)
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
