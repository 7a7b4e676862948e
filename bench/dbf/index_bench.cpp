// Index benchmarks on generated deadline tables: building the deadline index, with
// a bare block scan of the same table as the baseline. The lamp scan and the views
// are measured on the program's own paths (bench/app/lamp_bench.cpp,
// bench/data/view_bench.cpp).
#include "deadline_table.h"

#include "common/dbf/index_expr.h"
#include "common/dbf/index_maintain.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"

#include <benchmark/benchmark.h>

namespace {

using namespace dn::dbf;

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

} // namespace

BENCHMARK_MAIN();
