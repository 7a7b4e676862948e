// The lamp scan exactly as the panel makes it on every tick that finds the deadline
// table written (app::scanLamps, the body of LEDS): a fresh open of the table and of
// its index under the alias "LEDS", for each of the ten slots a seek on its code and
// the walk over its done deadlines due up to today. Two tables of 1,000,000
// deadlines:
//   - the generated table as the start-up purge leaves it (table 0): every slot's
//     first deadline is one not done, so each slot costs one seek;
//   - one where every slot has 100 done deadlines due today before its next
//     deadline, which is due later (table 1): each slot walks 100 records.
// Read medians with
//   build/bench/app/lamp_bench --benchmark_repetitions=10
//       --benchmark_report_aggregates_only=true
// (one command line); DN_BENCH_DIR chooses where the data goes.
#include "data_folders.h"

#include "../dbf/deadline_table.h"

#include "app/leds.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kRecords = 1000000;

std::string doneTodayFolder() {
    const std::string table = dnbench::doneTodayTable(kRecords);
    const std::string folder = (fs::path(dnbench::dataDir()) / fs::path(table).stem()).string();
    if (fs::exists(fs::path(folder) / "SCADENZE.NTX"))
        return folder;
    fs::create_directories(folder);
    for (const auto& [from, ext] :
         {std::pair{table, ".DBF"}, std::pair{dn::dbf::Table::memoPathOf(table), ".DBT"}}) {
        const fs::path to = fs::path(folder) / (std::string(dn::schema::kDeadlines) + ext);
        fs::remove(to);
        fs::copy_file(from, to);
    }
    dnbench::buildDeadlineIndex(folder);
    return folder;
}

void BM_LampScan(benchmark::State& state) {
    static const bool started = (dnbench::startDataLayer(), true);
    (void)started;
    const std::string folder =
        state.range(0) == 0 ? dnbench::deadlineFolder(kRecords, true) : doneTodayFolder();
    const fs::path back = fs::current_path();
    fs::current_path(folder);
    int lit = 0;
    for (auto _ : state) {
        const std::optional<dn::app::Lamps> lamps = dn::app::scanLamps(dn::app::kSlots);
        if (!lamps) {
            state.SkipWithError("the scan failed");
            break;
        }
        lit = 0;
        for (bool on : *lamps)
            lit += on;
    }
    fs::current_path(back);
    state.counters["lamps_lit"] = lit;
}

BENCHMARK(BM_LampScan)->ArgName("table")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
