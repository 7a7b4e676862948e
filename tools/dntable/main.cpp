// dntable: shows, dumps and maintains the program's tables from the command line.
#include "command.h"

#include "common/dbf/error.h"
#include "common/util/cp1252.h"

#include <algorithm>
#include <iostream>
#include <map>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace dntable {

namespace {
std::map<std::string, Command>& registry() {
    static std::map<std::string, Command> r;
    return r;
}
} // namespace

Registration::Registration(Command command) {
    const std::string name = command.name;
    registry().emplace(name, std::move(command));
}

std::vector<Command> commands() {
    std::vector<Command> all;
    for (const auto& [name, c] : registry())
        all.push_back(c);
    return all;
}

} // namespace dntable

namespace {

void usage(std::ostream& out) {
    out << "usage: dntable <command> <arguments>\n\ncommands:\n";
    for (const dntable::Command& c : dntable::commands())
        out << "  " << c.name << " " << c.usage << "\n      " << c.summary << "\n";
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The bytes as written, as on Linux: text mode would turn every LF into CR LF,
    // and so the CR LF of CSV records and memo texts into CR CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    if (argc < 2 || std::string(argv[1]) == "help" || std::string(argv[1]) == "--help") {
        usage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    const std::vector<dntable::Command> all = dntable::commands();
    const auto it = std::find_if(all.begin(), all.end(),
                                 [&](const dntable::Command& c) { return c.name == argv[1]; });
    if (it == all.end()) {
        std::cerr << "dntable: unknown command " << argv[1] << "\n";
        usage(std::cerr);
        return 2;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    // The store's texts (file names, details, expressions) are Windows-1252 bytes;
    // the tool writes UTF-8, messages as well as data.
    try {
        return it->run(args, std::cout, std::cerr);
    } catch (const dn::dbf::CorruptFile& e) {
        std::cerr << dn::cp1252ToUtf8(e.message() + " (" + e.detail() + ")") << "\n";
    } catch (const std::exception& e) {
        std::cerr << "dntable: " << dn::cp1252ToUtf8(e.what()) << "\n";
    }
    return 1;
}
