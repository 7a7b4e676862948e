#pragma once

// Another instance of the program played by a worker process that reports its
// events (events.h): READY once it holds what it was asked to take, RELEASE with
// the moment it let go. tests/data/worker/data_worker is one (DataWorker); the test
// folders that start it define its path, DN_DATA_WORKER.

#include "tests/support/events.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace dn::test {

class InstanceWorker {
public:
    InstanceWorker(const std::string& program, const std::vector<std::string>& args)
        : child_(program, args) {}
    // True once it holds what it was asked to hold.
    bool ready() { return next("READY").has_value(); }
    // Asks it to let go (a worker started without a time holds until then).
    void release() { child_.send("release"); }
    // The moment it let go (on the shared monotonic clock), once it has.
    long long released() {
        const auto e = next("RELEASE");
        return e ? e->ms : -1;
    }
    // True when it has let go by now, without waiting.
    bool hasReleased() {
        if (released_)
            return true;
        child_.readAvailable();
        while (const auto line = child_.readLine(0))
            if (const auto e = parseEvent(*line); e && e->what == "RELEASE")
                released_ = true;
        return released_;
    }
    int wait() { return child_.wait(); }

private:
    std::optional<Event> next(const std::string& what) {
        while (const auto line = child_.readLine())
            if (const auto e = parseEvent(*line); e && e->what == what)
                return e;
        ADD_FAILURE() << "the worker ended before " << what;
        return std::nullopt;
    }

    ChildProcess child_;
    bool released_ = false;
};

#ifdef DN_DATA_WORKER
// Another instance played by tests/data/worker/data_worker.
class DataWorker : public InstanceWorker {
public:
    explicit DataWorker(const std::vector<std::string>& args)
        : InstanceWorker(DN_DATA_WORKER, args) {}
};
#endif

} // namespace dn::test
