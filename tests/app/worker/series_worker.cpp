// Plays another computer that writes deadlines into a data folder, for the tests of
// recurring deadlines. It narrows its locks as Windows does (releasing the table
// lock for an instant on each append, held open a few milliseconds here) so that
// the others can slip in wherever the system would let them. It prints one line
// per event:
//   READY          the table is open; it starts at the next line read from its
//                  standard input
//   SERIES <n>     the series number a generation wrote
//   DONE <0|1>     the work ended, failed or done
//
//   series_worker generate <folder> <slot> <start YYYYMMDD> <end YYYYMMDD> <text>
//       a daily series for the slot, as "&Genera" writes it
//   series_worker append <folder> <slot> <count> <text>
//       count single deadlines, as the editor adds them, texts <text> 1, 2, ...

#include "app/generation.h"
#include "app/tables.h"
#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/library.h"
#include "common/data/records.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/util/messages.h"
#include "platform/file.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

namespace {

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool generate(char** argv) {
    dn::app::Series s;
    s.start = dn::Date::fromDtos(argv[4]);
    s.end = dn::Date::fromDtos(argv[5]);
    s.text = argv[6];
    const std::string series = dn::app::generateSeries(dn::schema::slotCode(std::atoi(argv[3])), s);
    say("SERIES " + series);
    return true;
}

bool append(char** argv) {
    using namespace dn::data;
    const int count = std::atoi(argv[4]);
    for (int i = 1; i <= count; ++i) {
        DBAPP();
        FIELDPUT("CODICE", dn::Value(dn::schema::slotCode(std::atoi(argv[3]))));
        FIELDPUT("DATA", dn::Value(dn::Date::fromYmd(2026, 1, 1).addDays(i)));
        FIELDPUT("INCOMBENZA", dn::Value(std::string(argv[5]) + " " + std::to_string(i)));
        DBCOMMIT();
        DBSKIP(0);
        DBUNLOCK();
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (!((cmd == "generate" && argc == 7) || (cmd == "append" && argc == 6))) {
        std::fprintf(stderr, "usage: series_worker generate|append <folder> <slot> ...\n");
        return 2;
    }
    std::filesystem::current_path(argv[2]);
    dn::platform::FaultHooks hooks;
    hooks.betweenNarrow = [](const std::string&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    };
    dn::platform::setFaultHooks(hooks);
    dn::data::AreaGuard guard;
    const bool ok = dn::data::protect([&] {
        guard.open(dn::schema::kDeadlines);
        dn::data::ORDADD(dn::schema::kDeadlines);
        say("READY");
        std::string line;
        std::getline(std::cin, line);
        if (cmd == "generate")
            generate(argv);
        else
            append(argv);
    });
    guard.release();
    dn::data::shutdownLibrary();
    say(std::string("DONE ") + (ok ? "1" : "0"));
    return ok ? 0 : 1;
}
