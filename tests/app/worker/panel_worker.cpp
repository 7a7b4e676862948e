// Plays another computer for the panel's tests: appends one deadline to the
// deadline table of a data folder, as the deadline editor does, and exits.
//
//   panel_worker <folder> <slot> <YYYYMMDD> <done 0|1>

#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: panel_worker <folder> <slot> <YYYYMMDD> <done 0|1>\n");
        return 2;
    }
    std::filesystem::current_path(argv[1]);
    const std::string code = dn::schema::slotCode(std::atoi(argv[2]));
    const dn::Date due = dn::Date::fromDtos(argv[3]);
    const bool done = std::string(argv[4]) == "1";
    using namespace dn::data;
    AreaGuard guard;
    const bool ok = protect([&] {
        guard.open(dn::schema::kDeadlines);
        ORDADD(dn::schema::kDeadlines);
        DBAPP();
        FIELDPUT("CODICE", dn::Value(code));
        FIELDPUT("DATA", dn::Value(due));
        FIELDPUT("ORA", dn::Value(std::string(5, ' ')));
        FIELDPUT("EVASA", dn::Value(done));
        DBCOMMIT();
        DBUNLOCK();
    });
    return ok ? 0 : 1;
}
