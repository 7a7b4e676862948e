// Reading every field of every record of a 1,000,000-deadline table, memos
// included, on the paths the program and its tool take, each compared with
// python3-dbfread reading the same files in the same run (counter x_dbfread: how
// many times faster than dbfread's median):
//   - record by record in the store (Table::goTo, Table::get), as the data layer
//     reads a record;
//   - record by record in the data layer (DBSKIP, FIELDGET by name);
//   - in blocks (Table::scan, Table::valueOf), as bulk readers do;
//   - `dntable csv` writing every record to /dev/null (the whole process).
// x_dbfread compares wall-clock times, x_dbfread_cpu processor times (steadier
// on a machine that other work shares). dbfread runs first. Read medians with
//   build/bench/dbf/table_scan_bench --benchmark_repetitions=10
//       --benchmark_report_aggregates_only=true
// (one command line); dbfread itself runs three times.
#include "deadline_table.h"

#include "common/data/library.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/dbf/table.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using dn::dbf::Table;

constexpr uint32_t kRecords = 1000000;

// dbfread's times in this run: wall clock and processor time, in seconds.
struct Seconds {
    double wall = 0;
    double cpu = 0;
};

std::vector<Seconds>& dbfreadRuns() {
    static std::vector<Seconds> s;
    return s;
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double processCpu() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Times the loop body (wall clock and processor time) and reports how it compares
// with dbfread: x_dbfread on the wall clock, x_dbfread_cpu on processor time, which
// other work on a shared machine disturbs less.
class Timing {
public:
    void begin() {
        start_ = std::chrono::steady_clock::now();
        cpuStart_ = processCpu();
    }
    // childCpu: the processor time of a child process that did the work.
    void end(double childCpu = -1) {
        wall_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        cpu_ += childCpu >= 0 ? childCpu : processCpu() - cpuStart_;
        ++runs_;
    }
    void report(benchmark::State& state) const {
        std::vector<double> wall, cpu;
        for (const Seconds& s : dbfreadRuns()) {
            wall.push_back(s.wall);
            cpu.push_back(s.cpu);
        }
        if (runs_ > 0 && !wall.empty()) {
            state.counters["x_dbfread"] = median(wall) / (wall_ / runs_);
            state.counters["x_dbfread_cpu"] = median(cpu) / (cpu_ / runs_);
        }
    }

private:
    std::chrono::steady_clock::time_point start_;
    double cpuStart_ = 0;
    double wall_ = 0;
    double cpu_ = 0;
    int runs_ = 0;
};

size_t weigh(const dn::Value& v) {
    return v.isText() ? v.text().size() : 1;
}

// python3-dbfread reading the same table (its memo file handed over as ".FPT");
// the time is the script's own reading loop, without the interpreter's start-up.
void BM_Dbfread(benchmark::State& state) {
    const std::string path = dnbench::deadlineTable(kRecords);
    const fs::path dir = fs::path(dnbench::dataDir()) / ("py" + std::to_string(kRecords));
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
        Seconds seconds;
        long values = 0;
        if (!p || std::fscanf(p, "%lf %lf %ld", &seconds.wall, &seconds.cpu, &values) != 3) {
            state.SkipWithError("python3-dbfread did not run");
            if (p)
                ::pclose(p);
            break;
        }
        ::pclose(p);
        if (values != static_cast<long>(kRecords) * 6) {
            state.SkipWithError("python3-dbfread read a different number of values");
            break;
        }
        dbfreadRuns().push_back(seconds);
        state.SetIterationTime(seconds.wall);
    }
}

// Record by record in the store: goTo and get of each field.
void BM_GoToGet(benchmark::State& state) {
    const std::string path = dnbench::deadlineTable(kRecords);
    Table t;
    t.open(path, {true, true});
    const int fields = static_cast<int>(t.fields().size());
    Timing timing;
    for (auto _ : state) {
        timing.begin();
        size_t bytes = 0;
        const uint32_t n = t.recordCount();
        for (uint32_t r = 1; r <= n; ++r) {
            t.goTo(r);
            for (int f = 0; f < fields; ++f)
                bytes += weigh(t.get(f));
        }
        benchmark::DoNotOptimize(bytes);
        timing.end();
    }
    timing.report(state);
}

// Record by record in the data layer: DBSKIP through the table in record order,
// FIELDGET of each field by name.
void BM_SkipFieldget(benchmark::State& state) {
    namespace data = dn::data;
    const std::string path = dnbench::deadlineTable(kRecords);
    data::DBOPEN(false, {}, path, "SCAN", true, true);
    std::vector<std::string> names;
    for (const auto& f : data::area().table().fields())
        names.push_back(f.name);
    Timing timing;
    for (auto _ : state) {
        timing.begin();
        size_t bytes = 0;
        for (data::DBGOTOP(); !data::DBEOF(); data::DBSKIP())
            for (const std::string& name : names)
                bytes += weigh(data::FIELDGET(name));
        benchmark::DoNotOptimize(bytes);
        timing.end();
    }
    data::DBCLOSE();
    timing.report(state);
}

// Blocks of records read at once, fields decoded from the block.
void BM_ScanBlocks(benchmark::State& state) {
    const std::string path = dnbench::deadlineTable(kRecords);
    Table t;
    t.open(path, {true, true});
    const int fields = static_cast<int>(t.fields().size());
    Timing timing;
    for (auto _ : state) {
        timing.begin();
        size_t bytes = 0;
        t.scan(1, UINT32_MAX, [&](uint32_t, std::string_view rec) {
            for (int f = 0; f < fields; ++f)
                bytes += weigh(t.valueOf(rec, f));
        });
        benchmark::DoNotOptimize(bytes);
        timing.end();
    }
    timing.report(state);
}

// The tool as an administrator runs it, its output thrown away.
void BM_DntableCsv(benchmark::State& state) {
    std::string path = dnbench::deadlineTable(kRecords);
    std::string program = DN_DNTABLE, command = "csv";
    char* argv[] = {program.data(), command.data(), path.data(), nullptr};
    Timing timing;
    for (auto _ : state) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        timing.begin();
        pid_t pid = -1;
        const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        rusage usage{};
        if (rc == 0)
            ::wait4(pid, &status, 0, &usage);
        timing.end(static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6);
        if (rc != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("dntable csv failed");
            break;
        }
    }
    timing.report(state);
}

BENCHMARK(BM_Dbfread)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GoToGet)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkipFieldget)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanBlocks)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DntableCsv)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
