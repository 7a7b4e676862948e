// Loading a configuration file of many keys (a damaged or foreign file): the time
// per file at 1,000 to 50,000 keys, which grows with the file and not with its
// square.
#include "common/config/inifile.h"
#include "common/config/variables.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>

namespace {

std::string writeConfig(int keys) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("dn_config_bench_" + std::to_string(keys) + ".cfg");
    std::ofstream out(path, std::ios::binary);
    out << "[Vars]\r\n";
    for (int i = 0; i < keys; ++i)
        out << "CFG_K" << i << "=N" << i << "\r\n";
    return path.string();
}

void BM_RestoreIni(benchmark::State& state) {
    const std::string path = writeConfig(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        dn::config::variables().clear();
        dn::config::RESTOREINI(path, true);
        benchmark::DoNotOptimize(dn::config::variables().names().size());
    }
    state.SetComplexityN(state.range(0));
    std::filesystem::remove(path);
}
BENCHMARK(BM_RestoreIni)
    ->Arg(1000)
    ->Arg(8000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace

BENCHMARK_MAIN();
