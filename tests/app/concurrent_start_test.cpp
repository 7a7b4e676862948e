// Two instances started together on one empty data folder: the second waits for the
// start-up lock, with the busy message after three seconds, until the first has
// released it, and finds every file made.
#include "startup_fixture.h"

#include "common/data/wait.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <sstream>

using namespace starttest;

namespace {

struct Event {
    std::string what;
    long long ms = 0;
    std::string text;
};

struct Worker {
    pid_t pid = -1;
    int out = -1;
    std::string buffer;
    std::vector<Event> events;
    int status = 0;

    const Event* first(const std::string& what) const {
        for (const Event& e : events)
            if (e.what == what)
                return &e;
        return nullptr;
    }
};

// Starts the worker in folder with TEMP set to temp; its output comes through a pipe.
Worker spawnWorker(const fs::path& folder, const fs::path& temp, int pauseMs) {
    int fds[2];
    if (::pipe(fds) != 0)
        throw std::runtime_error("pipe");
    Worker w;
    w.pid = ::fork();
    if (w.pid == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        if (::chdir(folder.c_str()) != 0)
            ::_exit(3);
        ::setenv("TEMP", temp.c_str(), 1);
        const std::string pause = std::to_string(pauseMs);
        ::execl(DN_STARTUP_WORKER, DN_STARTUP_WORKER, pause.c_str(), static_cast<char*>(nullptr));
        ::_exit(4);
    }
    ::close(fds[1]);
    w.out = fds[0];
    return w;
}

// Reads what is available from w; false at the end of its output.
bool readSome(Worker& w) {
    char buf[4096];
    const ssize_t n = ::read(w.out, buf, sizeof buf);
    if (n < 0 && errno == EINTR)
        return true;
    if (n <= 0)
        return false;
    w.buffer.append(buf, static_cast<size_t>(n));
    for (size_t nl; (nl = w.buffer.find('\n')) != std::string::npos;) {
        std::istringstream line(w.buffer.substr(0, nl));
        w.buffer.erase(0, nl + 1);
        Event e;
        line >> e.what >> e.ms;
        std::getline(line >> std::ws, e.text);
        w.events.push_back(e);
    }
    return true;
}

} // namespace

TEST_F(StartupTest, SecondInstanceWaitsForTheFirstAndCreatesNothingAgain) {
    constexpr int kPause = 4500;
    std::vector<Worker> workers;
    workers.push_back(spawnWorker(data(), temp(), kPause));
    workers.push_back(spawnWorker(data(), temp(), kPause));

    // Read both outputs to their ends; when the first purge begins, every file the
    // start creates is there: keep a copy of them.
    std::optional<std::map<std::string, std::string>> atFirstHold;
    std::vector<bool> open(workers.size(), true);
    while (open[0] || open[1]) {
        std::vector<pollfd> fds;
        for (size_t i = 0; i < workers.size(); ++i)
            if (open[i])
                fds.push_back({workers[i].out, POLLIN, 0});
        ASSERT_GT(::poll(fds.data(), fds.size(), 60000), 0) << "workers hang";
        for (size_t i = 0; i < workers.size(); ++i) {
            if (!open[i])
                continue;
            for (const pollfd& p : fds)
                if (p.fd == workers[i].out && p.revents)
                    open[i] = readSome(workers[i]);
            if (!atFirstHold && workers[i].first("HOLD"))
                atFirstHold = snapshot(data());
        }
    }
    for (Worker& w : workers) {
        ::close(w.out);
        ASSERT_EQ(::waitpid(w.pid, &w.status, 0), w.pid);
        ASSERT_TRUE(WIFEXITED(w.status));
        EXPECT_EQ(WEXITSTATUS(w.status), 0);
        ASSERT_TRUE(w.first("MAIN"));
        EXPECT_EQ(w.first("MAIN")->text, "1");
        EXPECT_FALSE(w.first("ASK")) << w.first("ASK")->text;
    }

    // The first to hold the lock, and the one that waited for it.
    ASSERT_TRUE(workers[0].first("HOLD") && workers[1].first("HOLD"));
    const bool zeroFirst = workers[0].first("HOLD")->ms < workers[1].first("HOLD")->ms;
    const Worker& holder = workers[zeroFirst ? 0 : 1];
    const Worker& waiter = workers[zeroFirst ? 1 : 0];
    const long long held = holder.first("HOLD")->ms;
    EXPECT_GE(waiter.first("HOLD")->ms, held + kPause) << "the lock was not waited for";
    EXPECT_FALSE(holder.first("WAIT"));
    const Event* busy = waiter.first("WAIT");
    ASSERT_TRUE(busy) << "no busy message";
    EXPECT_EQ(busy->text, dn::data::kBusyText);
    EXPECT_LT(busy->ms, held + kPause); // shown while the other held the lock

    // Nothing was created or written again after the first start's work.
    ASSERT_TRUE(atFirstHold);
    EXPECT_EQ(snapshot(data()), *atFirstHold);
    EXPECT_EQ(names(data()), (std::set<std::string>{"DELTRA.CFG", "NET", "RUBRICA.DBF",
                                                    "RUBRICA.DBT", "RUBRICA.NTX", "SCADENZE.DBF",
                                                    "SCADENZE.DBT", "SCADENZE.NTX"}));
    EXPECT_EQ(dbfreadFields(file("NET")), "LOCK C 1 0\n1 0\n");
    // Both instance folders are gone again.
    EXPECT_TRUE(names(temp()).empty());
}
