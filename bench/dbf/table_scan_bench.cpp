// Full scan of a deadline table reading every field, memos included: the store's
// record-by-record path (what the data layer does), its block-reading path, and
// python3-dbfread on the same file for comparison.
#include "deadline_table.h"

#include "common/dbf/table.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>

namespace {

using dn::dbf::Table;

// Record by record: goTo and get of each field.
void BM_ScanRecordByRecord(benchmark::State& state) {
    const std::string path = dnbench::deadlineTable(static_cast<uint32_t>(state.range(0)));
    Table t;
    t.open(path, {true, true});
    const int fields = static_cast<int>(t.fields().size());
    for (auto _ : state) {
        size_t bytes = 0;
        const uint32_t n = t.recordCount();
        for (uint32_t r = 1; r <= n; ++r) {
            t.goTo(r);
            for (int f = 0; f < fields; ++f) {
                const dn::Value v = t.get(f);
                bytes += v.isText() ? v.text().size() : 1;
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Blocks of records read at once, fields decoded from the block.
void BM_ScanBlocks(benchmark::State& state) {
    const std::string path = dnbench::deadlineTable(static_cast<uint32_t>(state.range(0)));
    Table t;
    t.open(path, {true, true});
    const int fields = static_cast<int>(t.fields().size());
    for (auto _ : state) {
        size_t bytes = 0;
        t.scan(1, UINT32_MAX, [&](uint32_t, std::string_view rec) {
            for (int f = 0; f < fields; ++f) {
                const dn::Value v = t.valueOf(rec, f);
                bytes += v.isText() ? v.text().size() : 1;
            }
        });
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// python3-dbfread reading the same table (its memo file handed over as ".FPT");
// the time is the script's own reading loop, without the interpreter's start-up.
void BM_ScanPythonDbfread(benchmark::State& state) {
    namespace fs = std::filesystem;
    const std::string path = dnbench::deadlineTable(static_cast<uint32_t>(state.range(0)));
    const fs::path dir = fs::path(dnbench::dataDir()) / ("py" + std::to_string(state.range(0)));
    fs::create_directories(dir);
    const fs::path table = dir / "SCAD.DBF", memo = dir / "SCAD.FPT";
    fs::remove(table);
    fs::remove(memo);
    fs::create_symlink(path, table);
    fs::create_symlink(Table::memoPathOf(path), memo);
    const std::string python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    const std::string cmd =
        python + " '" DN_BENCH_DBF_DIR "/scan_dbfread.py' '" + table.string() + "'";
    for (auto _ : state) {
        FILE* p = ::popen(cmd.c_str(), "r");
        double seconds = 0;
        long values = 0;
        if (!p || std::fscanf(p, "%lf %ld", &seconds, &values) != 2) {
            state.SkipWithError("python3-dbfread did not run");
            if (p)
                ::pclose(p);
            break;
        }
        ::pclose(p);
        if (values != state.range(0) * 6) {
            state.SkipWithError("python3-dbfread read a different number of values");
            break;
        }
        state.SetIterationTime(seconds);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_ScanRecordByRecord)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanBlocks)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanPythonDbfread)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
