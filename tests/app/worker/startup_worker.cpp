// Worker of the two-instance start-up test: runs the library's start-up and MAIN in
// the working directory, as a starting program does, and reports each event with
// its moment (tests/support/events.h):
//   START <ms>         the program started
//   WAIT <ms> <text>   a wait box opened
//   ASK <ms> <text>    a message shown
//   HOLD <ms>          window events ran with the start-up lock held (the purge
//                      began); the worker stops there until a line (or the end)
//                      comes on its standard input, a minute at most
//   GO <ms>            it goes on from there, the lock still held
//   MAIN <ms> <0|1>    MAIN returned, with its result
// Usage: startup_worker [die-at=<FILE>:<n>]
// With die-at the worker kills itself with SIGKILL just before its n-th write to the
// file whose name ends with FILE, as a computer switched off in the middle would.
#include "app/startup.h"
#include "common/data/library.h"
#include "common/data/startup_lock.h"
#include "common/util/messages.h"
#include "platform/file.h"
#include "tests/support/events.h"

#include <csignal>
#include <cstdlib>
#include <optional>
#include <poll.h>
#include <string>

namespace {

using dn::test::reportEvent;

class ReportingMessages : public dn::Messages {
public:
    int ask(int kind, const std::string& text, const std::string&) override {
        wait_.reset();
        reportEvent("ASK", text);
        return kind == 3 ? 2 : 0;
    }
    void showWait(const std::string& text, const std::string&, bool update) override {
        if (wait_ && !update)
            return;
        wait_ = text;
        reportEvent("WAIT", text);
    }
    void closeWait() override { wait_.reset(); }
    std::optional<std::string> currentWait() const override { return wait_; }
    // The first time window events run while the start-up lock is held (the purge
    // lets them run first), the worker keeps the lock until the test lets it go on.
    void processEvents() override {
        if (paused_ || !dn::data::startupLockHeld())
            return;
        paused_ = true;
        reportEvent("HOLD");
        pollfd in{0, POLLIN, 0};
        ::poll(&in, 1, 60000);
        reportEvent("GO");
    }

private:
    bool paused_ = false;
    std::optional<std::string> wait_;
};

// Arms the fault hook of die-at=<FILE>:<n>.
void dieAt(const std::string& spec) {
    const size_t colon = spec.rfind(':');
    const std::string name = spec.substr(0, colon);
    const long n = std::atol(spec.c_str() + colon + 1);
    static long count = 0; // the file layer calls copies of the hook
    dn::platform::FaultHooks hooks;
    hooks.onWrite = [name, n](const std::string& path, uint64_t, size_t) -> long long {
        if (path.size() >= name.size() &&
            path.compare(path.size() - name.size(), name.size(), name) == 0 && ++count == n)
            std::raise(SIGKILL);
        return -1;
    };
    dn::platform::setFaultHooks(hooks);
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("die-at=", 0) == 0)
            dieAt(std::string(argv[i]).substr(7));
    reportEvent("START");
    ReportingMessages messages;
    dn::setMessages(&messages);
    dn::data::startupLibrary();
    const bool ok = dn::app::MAIN();
    reportEvent("MAIN", ok ? "1" : "0");
    dn::data::shutdownLibrary();
    dn::setMessages(nullptr);
    return ok ? 0 : 1;
}
