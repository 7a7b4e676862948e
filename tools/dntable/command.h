#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace dntable {

// One command of the tool: `dntable <name> <arguments...>`.
struct Command {
    std::string name;
    std::string usage;   // the arguments, e.g. "<table> [--deleted]"
    std::string summary; // one line for the help text
    // Runs the command; returns the exit status (0 success, 1 failure or findings,
    // 2 wrong usage). Errors of the store may be thrown: the tool reports them.
    std::function<int(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)>
        run;
};

// Registers a command when the program starts. A command lives in its own .cpp
// file with one static Registration, so adding one needs no edit elsewhere:
//   static dntable::Registration reg({"name", "<table>", "what it does", runName});
struct Registration {
    explicit Registration(Command command);
};

// Every registered command, sorted by name.
std::vector<Command> commands();

} // namespace dntable
