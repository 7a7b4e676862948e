#pragma once

// Helpers of the data layer's tests: a scripted message seam, a fresh data folder
// and instance folder per test, table layouts, and a second process that plays
// another instance.

#include "common/data/library.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/dbf/structure.h"
#include "common/schema/tables.h"
#include "common/util/messages.h"

#include <chrono>
#include <csignal>
#include <deque>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace datatest {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Records every message, wait box and event pump; answers questions from a queue
// (the negative answer when the queue is empty).
class FakeMessages : public dn::Messages {
public:
    struct Event {
        enum Kind { Ask, Show, Close } kind;
        std::string text;
        std::string title;
        int askKind = 0;
        Clock::time_point at;
    };

    FakeMessages() { dn::setMessages(this); }
    ~FakeMessages() override { dn::setMessages(nullptr); }

    int ask(int kind, const std::string& text, const std::string& title) override {
        closeWait();
        events.push_back({Event::Ask, text, title, kind, Clock::now()});
        if (onAsk)
            onAsk(text);
        if (!answers.empty()) {
            const int a = answers.front();
            answers.pop_front();
            return a;
        }
        return kind == 3 ? 2 : 0;
    }
    void showWait(const std::string& text, const std::string& title, bool update) override {
        if (wait && !update)
            return;
        wait = text;
        events.push_back({Event::Show, text, title, 0, Clock::now()});
    }
    void closeWait() override {
        if (wait)
            events.push_back({Event::Close, *wait, {}, 0, Clock::now()});
        wait.reset();
    }
    std::optional<std::string> currentWait() const override { return wait; }
    void processEvents() override { ++pumps; }

    std::vector<std::string> asked() const { return texts(Event::Ask); }
    std::vector<std::string> shown() const { return texts(Event::Show); }
    const Event* firstShown(const std::string& text) const {
        for (const Event& e : events)
            if (e.kind == Event::Show && e.text == text)
                return &e;
        return nullptr;
    }

    std::vector<Event> events;
    std::deque<int> answers;
    std::function<void(const std::string&)> onAsk;
    std::optional<std::string> wait;
    int pumps = 0;

private:
    std::vector<std::string> texts(Event::Kind k) const {
        std::vector<std::string> out;
        for (const Event& e : events)
            if (e.kind == k)
                out.push_back(e.text);
        return out;
    }
};

using dn::schema::contactFields;
using dn::schema::deadlineFields;

// A slot code as CODICE holds it.
inline std::string code(int slot) {
    return dn::schema::slotCode(slot);
}

// Every test runs in a data folder of its own (the current folder while it runs),
// with a named instance whose folder lies in a temporary folder of its own.
class DataTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() / ("dn_data_" + std::to_string(::getpid()) + "_" +
                                             info->test_suite_name() + "_" + info->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "data");
        fs::create_directories(root_ / "tmp");
        oldCwd_ = fs::current_path();
        fs::current_path(root_ / "data");
        dn::data::setDeletedHidden(true);
        const std::string name = "\x7f"
                                 "2024021945296";
        const std::string folder = (root_ / "tmp" / name).string();
        fs::create_directories(folder);
        dn::data::setInstance(name, folder, dn::data::holdMarker(folder));
        dn::data::DBSELECTAREA(1);
    }
    void TearDown() override {
        try {
            dn::data::shutdownLibrary();
        } catch (...) {
        }
        fs::current_path(oldCwd_);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    std::string tmpDir() const { return (root_ / "tmp").string(); }
    std::string dataDir() const { return (root_ / "data").string(); }
    std::string instanceFolder() const { return dn::data::instance().folder; }
    // Files of the instance folder other than its marker.
    std::vector<std::string> instanceFiles() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(instanceFolder()))
            if (e.path().filename() != "USER")
                out.push_back(e.path().filename().string());
        return out;
    }

    FakeMessages msgs;

private:
    fs::path root_;
    fs::path oldCwd_;
};

// A second process playing another instance (see worker/data_worker.cpp).
class Worker {
public:
    explicit Worker(std::vector<std::string> args) {
        int fds[2];
        if (::pipe(fds) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
        posix_spawn_file_actions_addclose(&fa, fds[0]);
        std::vector<std::string> all{DN_DATA_WORKER};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc = ::posix_spawn(&pid_, DN_DATA_WORKER, &fa, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&fa);
        ::close(fds[1]);
        out_ = fds[0];
        if (rc != 0)
            throw std::runtime_error("cannot start the worker");
    }
    ~Worker() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // True once the worker holds what it was asked to hold.
    bool ready() {
        std::string line;
        char c;
        while (::read(out_, &c, 1) == 1) {
            if (c == '\n')
                return line == "ready";
            line.push_back(c);
        }
        return false;
    }
    // Exit status once it has ended.
    int wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

inline double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

} // namespace datatest
