// Worker of the two-instance start-up test: runs the library's start-up and MAIN in
// the working directory, as a starting program does, and prints one line per event
// with the moment (steady clock, milliseconds) at which it happened:
//   WAIT <ms> <text>   a wait box opened
//   ASK <ms> <text>    a message shown
//   HOLD <ms>          window events ran with the start-up lock held (the purge
//                      began); the worker pauses there for the given milliseconds
//   MAIN <ms> <0|1>    MAIN returned, with its result
// Usage: startup_worker <pause ms>
#include "app/startup.h"
#include "common/data/library.h"
#include "common/data/startup_lock.h"
#include "common/util/messages.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

namespace {

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void say(const char* what, const std::string& text = {}) {
    std::printf("%s %lld%s%s\n", what, nowMs(), text.empty() ? "" : " ", text.c_str());
    std::fflush(stdout);
}

class PrintingMessages : public dn::Messages {
public:
    explicit PrintingMessages(int pauseMs) : pauseMs_(pauseMs) {}
    int ask(int kind, const std::string& text, const std::string&) override {
        wait_.reset();
        say("ASK", text);
        return kind == 3 ? 2 : 0;
    }
    void showWait(const std::string& text, const std::string&, bool update) override {
        if (wait_ && !update)
            return;
        wait_ = text;
        say("WAIT", text);
    }
    void closeWait() override { wait_.reset(); }
    std::optional<std::string> currentWait() const override { return wait_; }
    // The first time window events run while the start-up lock is held (the purge
    // lets them run first), the pause keeps the other instance waiting.
    void processEvents() override {
        if (paused_ || !dn::data::startupLockHeld())
            return;
        paused_ = true;
        say("HOLD");
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_));
    }

private:
    int pauseMs_;
    bool paused_ = false;
    std::optional<std::string> wait_;
};

} // namespace

int main(int argc, char** argv) {
    PrintingMessages messages(argc > 1 ? std::atoi(argv[1]) : 0);
    dn::setMessages(&messages);
    dn::data::startupLibrary();
    const bool ok = dn::app::MAIN();
    say("MAIN", ok ? "1" : "0");
    dn::data::shutdownLibrary();
    dn::setMessages(nullptr);
    return ok ? 0 : 1;
}
