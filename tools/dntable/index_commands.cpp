// The index commands of dntable: check, reindex.
#include "command.h"

#include "common/dbf/index_check.h"
#include "common/dbf/index_expr.h"
#include "common/dbf/index_maintain.h"
#include "common/dbf/table.h"
#include "common/util/cp1252.h"

#include <chrono>
#include <ostream>
#include <thread>

namespace {

using namespace dn::dbf;

const char* typeName(KeyType type) {
    return type == KeyType::Numeric ? "numeric" : "text";
}

// Keeps other writers out while the table is compared with its index: the file lock,
// tried for a few seconds. False when the table stays busy.
bool holdTable(Table& t) {
    for (int i = 0; i < 300; ++i) {
        if (t.lockFile())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2) {
        err << "usage: dntable check <table> <index>\n";
        return 2;
    }
    Table t;
    t.open(args[0], {true, true});
    if (!holdTable(t))
        err << "warning: the table is in use; changes being made may show as problems\n";
    const IndexFile idx = IndexFile::open(args[1], false);
    const IndexDefinition& def = idx.definition();
    const KeyExpression key = compileKeyExpression(def.keyExpression, def.forExpression, t);
    out << "index:  " << dn::cp1252ToUtf8(idx.path()) << " (tag " << dn::cp1252ToUtf8(idx.tagName())
        << ", key " << dn::cp1252ToUtf8(def.keyExpression) << ", for "
        << dn::cp1252ToUtf8(def.forExpression) << (def.unique ? ", unique" : "") << ")\n";
    if (key.shape.length != def.keyLength || key.shape.type != def.keyType) {
        out << "the key expression gives " << key.shape.length << "-byte "
            << typeName(key.shape.type) << " keys, the index holds " << def.keyLength << "-byte "
            << typeName(def.keyType) << " keys: rebuild it\n";
        return 1;
    }
    const IndexCheckReport r = checkIndex(idx, tableScan(t), key.eval);
    for (const std::string& p : r.problems)
        out << "  " << dn::cp1252ToUtf8(p) << "\n";
    out << (r.ok() ? "OK: " : "PROBLEMS: ") << r.keys << " keys, table of " << t.recordCount()
        << " records\n";
    return r.ok() ? 0 : 1;
}

int reindex(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> paths;
    std::string keyText;
    bool unique = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--key" && i + 1 < args.size())
            keyText = args[++i];
        else if (args[i] == "--unique")
            unique = true;
        else
            paths.push_back(args[i]);
    }
    if (paths.size() != 2) {
        err << "usage: dntable reindex <table> <index> [--key <expression> [--unique]]\n";
        return 2;
    }
    Table t;
    t.open(paths[0], {false, false}); // nobody else may use the table meanwhile
    IndexDefinition def;
    std::string tag;
    if (keyText.empty()) {
        // The definition comes from the old file, which may be damaged past its headers.
        const IndexFile old = IndexFile::open(paths[1], false);
        def = old.definition();
        tag = old.tagName();
    } else {
        def.keyExpression = keyText;
        def.unique = unique;
    }
    const KeyExpression key = compileKeyExpression(def.keyExpression, def.forExpression, t);
    def.keyLength = key.shape.length;
    def.keyType = key.shape.type;
    const IndexFile idx = IndexFile::create(paths[1], tag, def, tableScan(t), key.eval);
    out << dn::cp1252ToUtf8(idx.path()) << ": rebuilt, " << idx.count() << " keys\n";
    return 0;
}

const dntable::Registration checkCommand(
    {"check", "<table> <index>",
     "compares an index file with its table: every live record once, keys in order, no dead "
     "or missing key",
     check});
const dntable::Registration reindexCommand(
    {"reindex", "<table> <index> [--key <expression> [--unique]]",
     "rebuilds an index file from its table, with the key and condition stored in the old "
     "file or the key given (needs the table free of other users)",
     reindex});

} // namespace
