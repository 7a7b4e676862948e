// Fuzzes the table reader: any bytes as a table file (with a sound memo file beside
// it) are opened and every record and field read. Damage must end in CorruptFile
// or TableError, never in a crash or an out-of-bounds read.
#include "common/dbf/table.h"
#include "fuzz_files.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace dn::dbf;
    static const std::string table = fuzzfiles::dir() + "/T.DBF";
    static const std::string memo = fuzzfiles::dir() + "/T.DBT";
    static const bool memoReady = [] {
        // A memo file holding a few memos, so that fuzzed pointers can hit them.
        const std::string p = Table::create(fuzzfiles::dir() + "/SEED", {{"M", 'M', 10, 0}});
        Table t;
        t.open(p, {false, false});
        for (int i = 0; i < 4; ++i) {
            t.append();
            t.put("M", std::string(static_cast<size_t>(20 + 70 * i), 'x'));
        }
        t.close();
        std::filesystem::copy_file(Table::memoPathOf(p), memo,
                                   std::filesystem::copy_options::overwrite_existing);
        return true;
    }();
    (void)memoReady;
    fuzzfiles::write(table, data, size);
    try {
        Table t;
        t.open(table, {true, true});
        const uint32_t count = t.recordCount();
        for (uint32_t r = 1; r <= count && r <= 2000; ++r) {
            t.goTo(r);
            (void)t.deleted();
            for (size_t i = 0; i < t.fields().size(); ++i)
                (void)t.get(static_cast<int>(i));
        }
        size_t seen = 0;
        t.scan(1, 2000, [&](uint32_t, std::string_view rec) {
            for (size_t i = 0; i < t.fields().size(); ++i) {
                const dn::Value v = t.valueOf(rec, static_cast<int>(i));
                seen += v.isText() ? v.text().size() : 1;
            }
        });
        (void)t.lastUpdate();
    } catch (const CorruptFile&) {
    } catch (const TableError&) {
    } catch (const dn::platform::FileError&) {
    }
    return 0;
}
