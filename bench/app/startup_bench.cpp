// Start-up of the program to its panel, as a user starts it: the real program (with
// a watcher that ends it once the panel shows, bench/app/startup_probe.cpp) started
// as a new process on the offscreen platform, in a data folder that is
//   - empty but for the configuration file (records 0): every table is created;
//   - a generated deadline table of 100,000 or 1,000,000 records, with or without
//     its index file, either as generated (purge 1: done deadlines of past days to
//     purge) or as an earlier start left it (purge 0).
// The time runs from the start of the process to the panel shown with its lamps.
// Folders are prepared before each run and not timed. Read medians with
//   build/bench/app/startup_bench --benchmark_repetitions=10
//       --benchmark_report_aggregates_only=true
// (one command line); DN_BENCH_DIR chooses where the data goes.
#include "data_folders.h"

#include "../dbf/deadline_table.h"

#include "app/tables.h"
#include "common/schema/tables.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Starts the program in folder and returns the seconds until it said that the panel
// shows; negative when it failed (the reason in why).
double startToPanel(const std::string& folder, std::string& why) {
    int out[2];
    if (::pipe(out) != 0) {
        why = "pipe";
        return -1;
    }
    const std::string temp = (fs::path(dnbench::dataDir()) / "temp").string();
    fs::create_directories(temp);
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "TEMP=" + temp};
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("QT_QPA_PLATFORM=", 0) != 0 && v.rfind("TEMP=", 0) != 0)
            env.push_back(v);
    }
    std::vector<char*> envp;
    for (std::string& v : env)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    std::string program = DN_STARTUP_PROBE;
    char* argv[] = {program.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    const fs::path back = fs::current_path();
    fs::current_path(folder);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    fs::current_path(back);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        why = "the program did not start";
        return -1;
    }
    std::string said;
    double seconds = -1;
    for (;;) {
        pollfd p{out[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, 300000);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            ::kill(pid, SIGKILL);
            why = "no panel after five minutes";
            break;
        }
        char buf[256];
        const ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0) {
            why = "the program ended without showing the panel";
            break;
        }
        said.append(buf, static_cast<size_t>(n));
        if (said.find("shown\n") != std::string::npos) {
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            break;
        }
    }
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (seconds >= 0 && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
        why = "the program did not end cleanly";
        seconds = -1;
    }
    return seconds;
}

// The address book as a start leaves it, so that only the deadline table differs
// between runs.
void addContacts(const std::string& folder) {
    const fs::path back = fs::current_path();
    fs::current_path(folder);
    dn::app::ensureTable(dn::schema::kContacts, dn::schema::contactFields());
    dn::app::ensureIndex(dn::schema::kContacts, dn::schema::kContactKey, dn::app::contactKey());
    fs::current_path(back);
}

void BM_StartToPanel(benchmark::State& state) {
    static const bool started = (dnbench::startDataLayer(), true);
    (void)started;
    const auto records = static_cast<uint32_t>(state.range(0));
    const bool index = state.range(1) != 0;
    const bool purge = state.range(2) != 0;
    const std::string run = (fs::path(dnbench::dataDir()) / "start").string();
    fs::remove_all(run);
    fs::create_directories(run);
    dnbench::writeConfig(run);
    std::string from;
    if (records > 0) {
        from = dnbench::deadlineFolder(records, !purge);
        addContacts(run);
        dnbench::copyDeadlines(from, run, index);
    }
    for (auto _ : state) {
        if (records == 0) {
            for (const auto& e : fs::directory_iterator(run))
                if (e.path().filename() != "DELTRA.CFG")
                    fs::remove_all(e.path());
        } else if (purge) {
            dnbench::copyDeadlines(from, run, index);
        } else if (!index) {
            fs::remove(fs::path(run) / (std::string(dn::schema::kDeadlines) + ".NTX"));
        }
        std::string why;
        const double seconds = startToPanel(run, why);
        if (seconds < 0) {
            state.SkipWithError(why.c_str());
            break;
        }
        state.SetIterationTime(seconds);
    }
}

BENCHMARK(BM_StartToPanel)
    ->ArgNames({"records", "index", "purge"})
    ->Args({0, 0, 0})
    ->Args({100000, 1, 1})
    ->Args({100000, 0, 1})
    ->Args({100000, 1, 0})
    ->Args({100000, 0, 0})
    ->Args({1000000, 1, 1})
    ->Args({1000000, 0, 1})
    ->Args({1000000, 1, 0})
    ->Args({1000000, 0, 0})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
