// Fuzzes the expression compiler with any text as a key or condition (index files
// and views hand it such texts): compiled against a table with a field of every
// kind, evaluated over a filled record and a blank one, and turned into an index
// key. Bad texts and values must end in ExpressionError, never in a crash,
// undefined behaviour or a runaway recursion.
#include "common/dbf/index_expr.h"
#include "common/dbf/table.h"
#include "fuzz_files.h"

#include <string>

namespace {

using namespace dn::dbf;

Table& table() {
    static Table* const table = [] {
        auto* t = new Table;
        t->open(Table::create(fuzzfiles::dir() + "/E", {{"CODICE", 'C', 10, 0},
                                                        {"DATA", 'D', 8, 0},
                                                        {"ORA", 'C', 5, 0},
                                                        {"NOTE", 'M', 10, 0},
                                                        {"EVASA", 'L', 1, 0},
                                                        {"IMPORTO", 'N', 9, 2}}),
                {false, false});
        t->append();
        t->put("CODICE", std::string("         3"));
        t->put("DATA", dn::Date::fromYmd(2024, 2, 29));
        t->put("ORA", std::string("09:30"));
        t->put("NOTE", std::string("Chiamare il Notaio Rossi"));
        t->put("EVASA", true);
        t->put("IMPORTO", -1234.5);
        t->write();
        return t;
    }();
    return *table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Table& t = table();
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const Expression e = Expression::compile(text, t);
        (void)e.eval(t.record(), 1);
        (void)e.eval(t.structure().blankRecord(), 2);
    } catch (const ExpressionError&) {
    }
    try {
        const KeyExpression k = compileKeyExpression(text, text, t);
        std::string key(k.shape.length, cdx::padByte(k.shape.type));
        k.eval.key(t.record().data(), 1, key.data());
        (void)k.eval.condition(t.record().data(), 1);
    } catch (const ExpressionError&) {
    }
    return 0;
}
