// Plays another computer for the address book's tests: changes or deletes the
// first contact whose upper-cased name begins with NAME, under the record or table
// lock as the program does, and exits.
//
//   contact_worker <folder> put <NAME> <FIELD> <value>
//   contact_worker <folder> delete <NAME>

#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/data/workspace.h"
#include "common/util/cp1252.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    const std::string cmd = argc > 2 ? argv[2] : "";
    if (!((cmd == "put" && argc == 6) || (cmd == "delete" && argc == 4))) {
        std::fprintf(stderr, "usage: contact_worker <folder> put <NAME> <FIELD> <value>\n"
                             "       contact_worker <folder> delete <NAME>\n");
        return 2;
    }
    std::filesystem::current_path(argv[1]);
    using namespace dn::data;
    AreaGuard guard;
    bool found = false;
    const bool ok = protect([&] {
        guard.open("RUBRICA");
        ORDADD("RUBRICA");
        found = DBSEEK(dn::Value(dn::upper1252(argv[3])));
        if (!found)
            return;
        if (cmd == "delete") {
            DBDEL();
            return;
        }
        DBLOCK(true);
        FIELDPUT(argv[4], dn::Value(std::string(argv[5])));
        DBCOMMIT();
        DBUNLOCK();
    });
    return ok && found ? 0 : 1;
}
