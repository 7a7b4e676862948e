#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace dn::test {

namespace {

// A child that has stopped reading must not end the test with SIGPIPE.
void ignoreBrokenPipes() {
    static const bool done = [] {
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)done;
}

std::vector<std::string>
childEnvironment(const std::vector<std::pair<std::string, std::string>>& overrides) {
    std::vector<std::string> out;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const auto& [name, value] : overrides)
            replaced = replaced || entry.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced)
            out.push_back(entry);
    }
    for (const auto& [name, value] : overrides)
        out.push_back(name + "=" + value);
    return out;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const Options& options) {
    ignoreBrokenPipes();
    int in[2], out[2] = {-1, -1};
    if (::pipe2(in, O_CLOEXEC) != 0 || (options.outputFile.empty() && ::pipe2(out, O_CLOEXEC) != 0))
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    if (options.outputFile.empty())
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    else
        posix_spawn_file_actions_addopen(&fa, 1, options.outputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!options.workDir.empty())
        posix_spawn_file_actions_addchdir_np(&fa, options.workDir.c_str());
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = childEnvironment(options.env);
    const int rc = ::posix_spawn(&pid_, program.c_str(), &fa, nullptr, pointers(argv).data(),
                                 pointers(envp).data());
    posix_spawn_file_actions_destroy(&fa);
    ::close(in[0]);
    in_ = in[1];
    if (out[1] >= 0)
        ::close(out[1]);
    out_ = out[0];
    ended_ = out_ < 0;
    if (rc != 0) {
        pid_ = -1;
        ADD_FAILURE() << "cannot start " << program << ": " << std::strerror(rc);
        throw std::runtime_error("cannot start " + program);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (in_ >= 0)
        ::close(in_);
    if (out_ >= 0)
        ::close(out_);
}

bool ChildProcess::readAvailable() {
    if (ended_)
        return false;
    for (;;) {
        pollfd p{out_, POLLIN, 0};
        const int r = ::poll(&p, 1, 0);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return true;
        char buf[4096];
        const ssize_t n = ::read(out_, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ended_ = true;
            return false;
        }
        buffer_.append(buf, static_cast<size_t>(n));
    }
}

std::optional<std::string> ChildProcess::readLine(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const size_t nl = buffer_.find('\n'); nl != std::string::npos) {
            std::string line = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            return line;
        }
        if (ended_)
            return std::nullopt;
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() < 0)
                return std::nullopt;
            wait = static_cast<int>(left.count());
        }
        pollfd p{out_, POLLIN, 0};
        const int r = ::poll(&p, 1, wait);
        if (r < 0 && errno != EINTR)
            return std::nullopt;
        if (r > 0)
            readAvailable();
    }
}

bool ChildProcess::send(const std::string& text) {
    if (in_ < 0)
        return false;
    const std::string line = text + "\n";
    return ::write(in_, line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

void ChildProcess::closeInput() {
    if (in_ >= 0)
        ::close(in_);
    in_ = -1;
}

static_assert(ChildProcess::kKilledStatus == 128 + SIGKILL);

void ChildProcess::stop() {
    if (pid_ > 0)
        ::kill(pid_, SIGSTOP);
}

void ChildProcess::kill() {
    if (pid_ > 0)
        ::kill(pid_, SIGKILL);
}

void dieNow() {
    std::raise(SIGKILL);
    std::abort(); // not reached
}

int ChildProcess::wait() {
    if (pid_ <= 0)
        return -1;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

CommandResult runCommand(const std::string& commandLine) {
    CommandResult r;
    FILE* p = ::popen(commandLine.c_str(), "r");
    if (!p) {
        ADD_FAILURE() << "cannot run " << commandLine;
        return r;
    }
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string shellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string ChildProcess::waitFor(const std::string& prefix) {
    while (auto line = readLine()) {
        if (line->rfind(prefix, 0) == 0)
            return *line;
    }
    return {};
}

} // namespace dn::test
