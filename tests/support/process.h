#pragma once

// Programs run as child processes by tests: another instance of the program, a
// worker that takes locks and says when, a writer killed on purpose.

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace dn::test {

// A running child. Its standard input is a pipe the test writes lines to; its
// standard output a pipe the test reads lines from, or a file. Ending the object
// kills the child if it still runs, and reaps it.
class ChildProcess {
public:
    struct Options {
        std::string workDir;                                  // empty: the test's own
        std::vector<std::pair<std::string, std::string>> env; // set for the child
        std::string outputFile; // standard output into this file instead of the pipe
    };

    // Starts program with args (argv[1] on); fails the test and throws when it cannot.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const Options& options);
    ChildProcess(const std::string& program, const std::vector<std::string>& args)
        : ChildProcess(program, args, Options{}) {}
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of its output (without the line end), waiting for it; nothing
    // once the output has ended, or after timeoutMs when that is not negative.
    std::optional<std::string> readLine(int timeoutMs = -1);
    // Reads lines until one begins with prefix and returns it; the empty text when
    // the output ends first.
    std::string waitFor(const std::string& prefix);
    // Reads what its output holds now without waiting and keeps it; the whole lines
    // so far are then taken with readLine(0). False once the output has ended.
    bool readAvailable();
#ifndef _WIN32
    // The pipe its output comes through (to wait on several children with poll).
    int outputFd() const {
        return out_;
    }
#endif

    // Writes text and a line end to its input; false when it no longer reads.
    bool send(const std::string& text);
    // Closes its input: it reads the end of input.
    void closeInput();

    // Stops it where it stands (SIGSTOP; on Windows every thread suspended).
    void stop();
    // Ends it at once, as a crash or a power cut would: no clean-up of its own runs
    // (SIGKILL; TerminateProcess on Windows). wait() then gives kKilledStatus.
    void kill();
    static constexpr int kKilledStatus = 128 + 9;
    // Waits for it to end: its exit status, or 128 + the number of the signal that
    // ended it.
    int wait();
    bool running() const {
        return pid_ > 0;
    }

private:
    pid_t pid_ = -1;
#ifdef _WIN32
    void* process_ = nullptr; // HANDLE of the child
    void* in_ = nullptr;      // HANDLEs of the pipes' ends
    void* out_ = nullptr;
#else
    int in_ = -1;
    int out_ = -1;
#endif
    std::string buffer_;
    bool ended_ = false;
};

// Ends the calling process at once, as kill() ends a child: for workers that die
// on purpose in the middle of a write.
[[noreturn]] void dieNow();

// What a command line run through the shell gave.
struct CommandResult {
    int status = -1; // its exit status; -1 when it did not end by itself
    std::string out; // its standard output (add " 2>&1" for the errors too)
};
CommandResult runCommand(const std::string& commandLine);
// The standard output of a command line that must succeed: a failure of the test
// (with what it said) otherwise.
inline std::string commandOutput(const std::string& commandLine) {
    const CommandResult r = runCommand(commandLine);
    EXPECT_EQ(r.status, 0) << commandLine << "\n" << r.out.substr(0, 2000);
    return r.out;
}
// text as one word for the shell, quoted.
std::string shellQuote(const std::string& text);
// Runs program with the arguments, each one word, through the shell; its errors
// come in its output (CommandResult::out).
inline CommandResult runProgram(const std::string& program, const std::vector<std::string>& args) {
    std::string line = shellQuote(program);
    for (const std::string& a : args)
        line += " " + shellQuote(a);
    return runCommand(line + " 2>&1");
}

} // namespace dn::test
