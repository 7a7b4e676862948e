// Plays another computer on a data folder for the tests of the deadline windows
// and the passwords, and prints one line per event:
//   WAIT <text>    a wait message showed (the data layer waits for a lock)
//   ASK <text>     a message or question showed (answered negatively)
//   LOCKED         it holds what it was asked to hold; it goes on at the next line
//                  read from its standard input
//   DONE <0|1>     the work ended, failed or done
//
//   deadline_worker lock <folder> <recno> [<field> <value>]
//       record lock on a deadline; at the next input line writes the field (when
//       given), then lets go
//   deadline_worker edit <folder> <recno> <field> <value>
//       changes one field of a deadline as an editor does (lock, write, commit)
//   deadline_worker delete <folder> <recno>
//       deletes a deadline
//   deadline_worker config <folder> [hold] <NAME>=<value>...
//       starts as an instance, loads the configuration, sets the variables (a
//       CFG_PWnn value is a password in clear, scrambled here; empty removes it)
//       and saves; with "hold" it takes the start-up lock first, prints LOCKED
//       and waits for a line before it sets and saves
//   deadline_worker password <folder> <slot>
//       starts as an instance, loads the configuration and prints
//       PASSWORD <the password in clear, blanks kept> or PASSWORD- when none
//
// Field values: DATA as YYYYMMDD, EVASA as T or F, others as text.

#include "app/passwords.h"
#include "app/settings.h"
#include "common/config/variables.h"
#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/instance.h"
#include "common/data/library.h"
#include "common/data/records.h"
#include "common/data/startup_lock.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/util/messages.h"
#include "common/util/scramble.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

class PrintingMessages : public dn::Messages {
public:
    int ask(int kind, const std::string& text, const std::string&) override {
        wait_.reset();
        say("ASK " + text);
        return kind == 3 ? 2 : 0;
    }
    void showWait(const std::string& text, const std::string&, bool update) override {
        if (wait_ && !update)
            return;
        wait_ = text;
        say("WAIT " + text);
    }
    void closeWait() override { wait_.reset(); }
    std::optional<std::string> currentWait() const override { return wait_; }
    void processEvents() override {}

private:
    std::optional<std::string> wait_;
};

void awaitGo() {
    say("LOCKED");
    std::string line;
    std::getline(std::cin, line);
}

dn::Value fieldValue(const std::string& field, const std::string& text) {
    if (field == "DATA")
        return dn::Value(dn::Date::fromDtos(text));
    if (field == "EVASA")
        return dn::Value(text == "T");
    return dn::Value(text);
}

// Opens the deadline table shared and goes to record recno.
void openAt(dn::data::AreaGuard& guard, const char* recno) {
    guard.open(dn::schema::kDeadlines);
    dn::data::DBGOTO(static_cast<uint32_t>(std::atol(recno)));
}

bool deadlines(const std::string& cmd, int argc, char** argv) {
    using namespace dn::data;
    AreaGuard guard;
    return protect([&] {
        openAt(guard, argv[3]);
        if (cmd == "delete") {
            DBDEL();
            return;
        }
        DBLOCK(true);
        if (cmd == "lock")
            awaitGo();
        if (argc >= 6) {
            FIELDPUT(argv[4], fieldValue(argv[4], argv[5]));
            DBCOMMIT();
        }
        DBUNLOCK();
    });
}

// Starts as an instance of the program with its configuration loaded.
bool startInstance() {
    if (!dn::data::SCREATE())
        return false;
    if (!dn::data::protect([] { dn::data::USER(); }))
        return false;
    dn::app::createConfigVariables();
    return dn::app::loadOrWriteConfig();
}

bool configure(int argc, char** argv) {
    if (!startInstance())
        return false;
    int first = 3;
    const bool hold = argc > 3 && std::string(argv[3]) == "hold";
    if (hold) {
        dn::data::SLOCK();
        awaitGo();
        ++first;
    }
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        std::string value = eq == std::string::npos ? std::string() : arg.substr(eq + 1);
        if (name.rfind("CFG_PW", 0) == 0 && !value.empty()) {
            value.resize(dn::app::kPasswordLength, ' ');
            value = dn::CRYPT(value);
        }
        dn::config::variables().set(name, dn::Value(value));
    }
    const bool saved = dn::app::saveConfig();
    if (hold)
        dn::data::SUNLOCK();
    return saved;
}

bool password(char** argv) {
    if (!startInstance())
        return false;
    const std::string stored = dn::config::variables().text(
        dn::app::passwordVar(dn::schema::slotCode(std::atoi(argv[3]))));
    if (stored.find_first_not_of(' ') == std::string::npos)
        say("PASSWORD-");
    else
        say("PASSWORD " + dn::CRYPT(stored));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: deadline_worker lock|edit|delete|config|password <folder> ...\n");
        return 2;
    }
    PrintingMessages messages;
    dn::setMessages(&messages);
    std::filesystem::current_path(argv[2]);
    const std::string cmd = argv[1];
    bool ok = false;
    if ((cmd == "lock" || cmd == "delete") && argc >= 4)
        ok = deadlines(cmd, argc, argv);
    else if (cmd == "edit" && argc >= 6)
        ok = deadlines(cmd, argc, argv);
    else if (cmd == "config")
        ok = configure(argc, argv);
    else if (cmd == "password" && argc >= 4)
        ok = password(argv);
    dn::data::shutdownLibrary();
    say(std::string("DONE ") + (ok ? "1" : "0"));
    dn::setMessages(nullptr);
    return ok ? 0 : 1;
}
