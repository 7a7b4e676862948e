#pragma once

// A second process for tests that play two computers on one data folder: its
// standard input and output are pipes, so the test hears what the process does
// (one line per event) and tells it when to go on.

#include <string>
#include <sys/types.h>
#include <vector>

namespace dn::test {

class Process {
public:
    // Starts program with the arguments; throws std::runtime_error when it cannot.
    Process(const std::string& program, const std::vector<std::string>& args);
    // Kills the process if it is still running.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The next line the process writes (without its line break); nothing more once
    // its output has closed: then the empty text and ended() is true.
    std::string readLine();
    // Reads lines until one begins with prefix and returns it; the empty text when
    // the output closes first. Every line read is kept in `lines`.
    std::string waitFor(const std::string& prefix);
    bool ended() const { return eof_; }
    // Writes a line to its standard input.
    void writeLine(const std::string& line);
    // Exit status once it has ended (-1 when it died of a signal).
    int wait();

    std::vector<std::string> lines;

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    bool eof_ = false;
    std::string buffer_;
};

} // namespace dn::test
