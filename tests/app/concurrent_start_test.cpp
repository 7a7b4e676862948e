// Two instances started together on one empty data folder: the second waits for the
// start-up lock, with the busy message after three seconds, until the first has
// released it, and finds every file made. The instance that holds the lock keeps it
// until the other shows the busy message, and the checks compare the moments the
// workers report: they hold however slowly a busy machine starts either process.
#include "common/data/wait.h"
#include "startup_fixture.h"
#include "tests/support/events.h"
#include "tests/support/process.h"

#include <map>
#include <memory>
#include <poll.h>

using namespace starttest;
using dn::test::ChildProcess;
using dn::test::Event;

namespace {

struct Instance {
    std::unique_ptr<ChildProcess> process;
    std::vector<Event> events;
    bool open = true;

    const Event* first(const std::string& what) const {
        for (const Event& e : events)
            if (e.what == what)
                return &e;
        return nullptr;
    }
    const Event* firstWait(const std::string& text) const {
        for (const Event& e : events)
            if (e.what == "WAIT" && e.text == text)
                return &e;
        return nullptr;
    }
    // Takes the events its output holds now.
    void read() {
        open = process->readAvailable();
        while (const auto line = process->readLine(0))
            if (const auto e = dn::test::parseEvent(*line))
                events.push_back(*e);
    }
};

} // namespace

TEST_F(StartupTest, SecondInstanceWaitsForTheFirstAndCreatesNothingAgain) {
    ChildProcess::Options options;
    options.workDir = data().string();
    options.env = {{"TEMP", temp().string()}};
    Instance instances[2];
    for (Instance& i : instances)
        i.process =
            std::make_unique<ChildProcess>(DN_STARTUP_WORKER, std::vector<std::string>{}, options);

    // Read both outputs to their ends. The first to hold the lock (its purge begins)
    // goes on once the other shows the busy message; when it holds, every file the
    // start creates is there: keep a copy of them. The second goes on at once.
    std::optional<std::map<std::string, std::string>> atFirstHold;
    int holder = -1;
    bool holderGoes = false;
    while (instances[0].open || instances[1].open) {
        std::vector<pollfd> fds;
        for (const Instance& i : instances)
            if (i.open)
                fds.push_back({i.process->outputFd(), POLLIN, 0});
        ASSERT_GT(::poll(fds.data(), fds.size(), 120000), 0) << "workers hang";
        for (int k = 0; k < 2; ++k) {
            Instance& i = instances[k];
            if (!i.open)
                continue;
            i.read();
            if (!i.first("HOLD"))
                continue;
            if (holder < 0) {
                holder = k;
                atFirstHold = snapshot(data());
            } else if (holder != k) {
                i.process->closeInput(); // the second holder goes on at once
            }
        }
        if (holder >= 0 && !holderGoes && instances[1 - holder].firstWait(dn::data::kBusyText)) {
            instances[holder].process->send("go");
            holderGoes = true;
        }
    }
    for (Instance& i : instances) {
        EXPECT_EQ(i.process->wait(), 0);
        ASSERT_TRUE(i.first("MAIN"));
        EXPECT_EQ(i.first("MAIN")->text, "1");
        EXPECT_FALSE(i.first("ASK")) << i.first("ASK")->text;
    }

    // The first to hold the lock, and the one that waited for it.
    ASSERT_GE(holder, 0);
    const Instance& first = instances[holder];
    const Instance& second = instances[1 - holder];
    ASSERT_TRUE(first.first("GO") && second.first("HOLD") && second.first("START"));
    EXPECT_GE(second.first("HOLD")->ms, first.first("GO")->ms) << "the lock was not waited for";
    EXPECT_FALSE(first.first("WAIT"));
    // The second showed the busy message while the first held the lock (the first
    // went on only then), after three quiet seconds at least.
    const Event* busy = second.firstWait(dn::data::kBusyText);
    ASSERT_TRUE(busy) << "no busy message";
    EXPECT_GE(busy->ms - second.first("START")->ms, dn::data::kQuietWait.count());

    // Nothing was created or written again after the first start's work.
    ASSERT_TRUE(atFirstHold);
    EXPECT_EQ(snapshot(data()), *atFirstHold);
    EXPECT_EQ(
        fileNames(data()),
        (std::set<std::string>{"DELTRA.CFG", "NET", "RUBRICA.DBF", "RUBRICA.DBT", "RUBRICA.NTX",
                               "SCADENZE.DBF", "SCADENZE.DBT", "SCADENZE.NTX"}));
    EXPECT_EQ(dbfreadFields(file("NET")), "LOCK C 1 0\n1 0\n");
    // Both instance folders are gone again.
    EXPECT_TRUE(fileNames(temp()).empty());
}
