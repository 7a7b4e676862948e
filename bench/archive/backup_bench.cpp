// Backup and restore of a data folder with 1,000,000 deadlines and 100,000
// contacts, beside the zip and unzip commands on the same files; and how long a
// writer of another process waits for its record lock while a backup copies a
// table of 100,000 deadlines.
//
// Run with --benchmark_repetitions=N --benchmark_report_aggregates_only=true to
// read medians. The tables are generated once in the benchmark data folder
// (dnbench::dataDir) and copied into a folder of this run.

#include "bench/dbf/contact_table.h"
#include "bench/dbf/deadline_table.h"
#include "bench/support/data_folder.h"
#include "common/archive/archive.h"
#include "common/dbf/table.h"
#include "common/util/messages.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace dn;

namespace {

const std::vector<std::string> kFiles = {"RUBRICA.DBF", "RUBRICA.DBT", "SCADENZE.DBF",
                                         "SCADENZE.DBT", "DELTRA.CFG"};

// The instance of this run, with its folder (where backups copy tables); the
// library is shut down at exit.
void instance() {
    static dnbench::DataFolder folder{"dn_backup_bench_inst"};
}

// A run folder: data/ with the tables and the configuration file, out/ for the
// archives, inst/ as the instance folder. The data folder is the current folder.
struct Fixture {
    fs::path root;

    explicit Fixture(uint32_t deadlines, uint32_t contacts) {
        root = fs::temp_directory_path() /
               ("dn_backup_bench_" + std::to_string(::getpid()) + "_" + std::to_string(deadlines));
        fs::remove_all(root);
        for (const char* d : {"data", "out", "cmd"})
            fs::create_directories(root / d);
        dnbench::copyTable(dnbench::deadlineTable(deadlines),
                           (root / "data/SCADENZE.DBF").string());
        dnbench::copyTable(dnbench::contactTable(contacts), (root / "data/RUBRICA.DBF").string());
        std::ofstream(root / "data/DELTRA.CFG") << "[Vars]\r\nCFG_NM01=CAnna\r\n";
        instance();
        fs::current_path(root / "data");
    }
    ~Fixture() {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(root, ec);
    }
    std::string archive() const { return (root / "out/copia.zip").string(); }
    uint64_t dataBytes() const {
        uint64_t n = 0;
        for (const std::string& f : kFiles)
            n += fs::file_size(root / "data" / f);
        return n;
    }
};

Fixture& office() {
    static Fixture f(1000000, 100000);
    return f;
}

int sh(const std::string& command) {
    return std::system(command.c_str());
}

void BM_Backup(benchmark::State& state) {
    Fixture& f = office();
    for (auto _ : state)
        if (!archive::ZIP(f.archive(), kFiles))
            state.SkipWithError("ZIP failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.dataBytes()));
    state.counters["archive_MB"] = static_cast<double>(fs::file_size(f.archive())) / 1e6;
}

// The zip command on the same files, at its default level (6, as here).
void BM_ZipCommand(benchmark::State& state) {
    Fixture& f = office();
    const std::string out = (f.root / "cmd/copia.zip").string();
    for (auto _ : state) {
        fs::remove(out);
        if (sh("zip -q -X '" + out +
               "' RUBRICA.DBF RUBRICA.DBT SCADENZE.DBF SCADENZE.DBT "
               "DELTRA.CFG") != 0)
            state.SkipWithError("zip failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.dataBytes()));
    state.counters["archive_MB"] = static_cast<double>(fs::file_size(out)) / 1e6;
}

// Restore over the live files: extraction under temporary names, the check of
// every record and memo, the replacement.
void BM_Restore(benchmark::State& state) {
    Fixture& f = office();
    if (!fs::exists(f.archive()) && !archive::ZIP(f.archive(), kFiles))
        state.SkipWithError("ZIP failed");
    for (auto _ : state)
        if (!archive::UNZIP(f.archive()))
            state.SkipWithError("UNZIP failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.dataBytes()));
}

// The unzip command extracting the same archive over the files of another folder.
void BM_UnzipCommand(benchmark::State& state) {
    Fixture& f = office();
    if (!fs::exists(f.archive()) && !archive::ZIP(f.archive(), kFiles))
        state.SkipWithError("ZIP failed");
    const std::string to = (f.root / "cmd").string();
    for (auto _ : state)
        if (sh("unzip -qo '" + f.archive() + "' -d '" + to + "'") != 0)
            state.SkipWithError("unzip failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.dataBytes()));
}

// Another process locks records of the deadline table of 100,000 one after the
// other, as writers do, pausing 1 ms between them, while backups run here. Each
// lock is tried every 2 ms (the data layer's retry pause); the counters give the
// longest and the mean time a lock took, over the whole run.
void BM_WriterWaitDuringBackup(benchmark::State& state) {
    static Fixture f(100000, 1000);
    fs::current_path(f.root / "data");
    int fds[2], stop[2];
    if (::pipe(fds) != 0 || ::pipe(stop) != 0) {
        state.SkipWithError("pipe");
        return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        // Records 1, 2, 3, ... in turn, until the parent closes the stop pipe.
        ::close(fds[0]);
        ::close(stop[1]);
        ::fcntl(stop[0], F_SETFL, O_NONBLOCK);
        dbf::Table t;
        t.open("SCADENZE.DBF", {true, false});
        const uint32_t count = t.recordCount();
        double longest = 0, total = 0;
        long n = 0;
        char c;
        for (uint32_t r = 1; ::read(stop[0], &c, 1) < 0; r = r % count + 1) {
            const auto t0 = std::chrono::steady_clock::now();
            while (!t.lockRecord(r))
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count();
            t.unlockAll();
            longest = std::max(longest, ms);
            total += ms;
            ++n;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const double out[3] = {longest, n ? total / static_cast<double>(n) : 0,
                               static_cast<double>(n)};
        (void)!::write(fds[1], out, sizeof out);
        ::_exit(0);
    }
    ::close(stop[0]);
    ::close(fds[1]);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (auto _ : state)
        if (!archive::ZIP(f.archive(), {"SCADENZE.DBF", "SCADENZE.DBT"}))
            state.SkipWithError("ZIP failed");
    ::close(stop[1]);
    double in[3] = {0, 0, 0};
    (void)!::read(fds[0], in, sizeof in);
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    state.counters["writer_longest_ms"] = in[0];
    state.counters["writer_mean_ms"] = in[1];
    state.counters["writer_locks"] = in[2];
    fs::current_path(office().root / "data");
}

} // namespace

BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ZipCommand)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_UnzipCommand)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriterWaitDuringBackup)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
