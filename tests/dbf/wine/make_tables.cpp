// Makes, in the folder given, the deadline and contact tables with their memo and
// index files as this system's Linux build writes them: Windows-1252 text with
// quotes, commas and line breaks, empty and deleted records, dates, logical
// fields, long memos. The Windows build's dntable must read them as the Linux
// build's does (same_output.sh). A second index, DANNEGG.NTX, is left stale on
// purpose, so that "check" has something to report.
//   dn_make_tables <folder>
#include "common/dbf/index_expr.h"
#include "common/dbf/index_file.h"
#include "common/dbf/index_maintain.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "common/util/date.h"

#include <cstdio>
#include <exception>
#include <string>

using namespace dn::dbf;

namespace {

void makeIndex(const std::string& table, const std::string& name, const std::string& expression) {
    Table t;
    t.open(table, {false, true});
    IndexDefinition def;
    def.keyExpression = expression;
    def.forExpression = dn::schema::kIndexCondition;
    const KeyExpression key = compileKeyExpression(def.keyExpression, def.forExpression, t);
    def.keyLength = key.shape.length;
    def.keyType = key.shape.type;
    IndexFile::create(name, "", def, tableScan(t), key.eval);
}

void makeDeadlines(const std::string& folder) {
    const std::string p =
        Table::create(folder + "/" + dn::schema::kDeadlines, dn::schema::deadlineFields());
    {
        Table t;
        t.open(p, {false, false});
        for (int i = 1; i <= 300; ++i) {
            t.append();
            t.put("CODICE", dn::schema::slotCode(1 + i % 10));
            if (i % 17 != 0)
                t.put("DATA", dn::Date::fromYmd(2020 + i % 7, 1 + i % 12, 1 + i % 28));
            if (i % 3 == 0) {
                char time[8];
                std::snprintf(time, sizeof time, "%02d:%02d", i % 24, (i % 4) * 15);
                t.put("ORA", std::string(time));
            }
            std::string task = "Scadenza n. " + std::to_string(i);
            if (i % 5 == 0)
                task += "\r\nseconda riga con \"virgolette\", virgole e l'\xE0 accentata";
            if (i % 50 == 0)
                task += "\r\n" + std::string(1500, 'x');
            t.put("INCOMBENZA", task);
            t.put("EVASA", i % 4 == 0);
            if (i % 6 == 0)
                t.put("GENERAZIO", std::to_string(i / 6));
            t.setDeleted(i % 11 == 0);
        }
        t.commit();
    }
    makeIndex(p, folder + "/dannegg", dn::schema::kDeadlineKey);
    {
        // Changes behind that index's back: a record deleted, another redated.
        Table t;
        t.open(p, {false, false});
        t.goTo(20);
        t.setDeleted(true);
        t.goTo(21);
        t.put("DATA", dn::Date::fromYmd(1999, 12, 31));
        t.commit();
    }
    makeIndex(p, folder + "/" + dn::schema::kDeadlines, dn::schema::kDeadlineKey);
}

void makeContacts(const std::string& folder) {
    const std::string p =
        Table::create(folder + "/" + dn::schema::kContacts, dn::schema::contactFields());
    {
        Table t;
        t.open(p, {false, false});
        const char* names[] = {"Rossi Mario",
                               "Bianchi, Anna",
                               "Verdi \"Pino\"",
                               "Citt\xE0 \x80 S.r.l.",
                               "D'Amico Luc\xEC"
                               "a",
                               "",
                               "Zeta Ultimo",
                               "Neri Carlo ; Figli"};
        int n = 0;
        for (const char* name : names) {
            ++n;
            t.append();
            t.put("NOMINATIVO", std::string(name));
            t.put("INDIRIZZO", "Via Roma " + std::to_string(n));
            t.put("CAP", std::string("20100"));
            t.put("CITTA", std::string(n % 2 ? "Milano" : "Forl\xEC"));
            if (n % 3 == 0)
                t.put("NOTE", std::string("nota su due righe\r\nseconda: \xE8 \xE9 \xF2"));
            t.setDeleted(n == 4);
        }
        t.commit();
    }
    makeIndex(p, folder + "/" + dn::schema::kContacts, dn::schema::kContactKey);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dn_make_tables <folder>\n");
        return 2;
    }
    try {
        makeDeadlines(argv[1]);
        makeContacts(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dn_make_tables: %s\n", e.what());
        return 1;
    }
    return 0;
}
