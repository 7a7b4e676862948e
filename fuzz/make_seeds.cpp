// Writes seed inputs for the fuzz targets: the table and memo files of a small
// deadline table, of a contact table, and of a table with a numeric field.
// Usage: make_seeds <corpus root>
#include "common/dbf/table.h"
#include "common/schema/tables.h"

#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    using namespace dn::dbf;
    namespace fs = std::filesystem;
    if (argc < 2)
        return 1;
    const fs::path root = argv[1];
    const fs::path work = root / "work";
    fs::create_directories(work);
    fs::create_directories(root / "table");
    fs::create_directories(root / "memo");
    const std::vector<std::vector<FieldDef>> layouts = {
        dn::schema::deadlineFields(),
        dn::schema::contactFields(),
        {{"NOME", 'C', 35, 0}, {"IMPORTO", 'N', 9, 2}, {"NOTE", 'M', 10, 0}},
    };
    int n = 0;
    for (const auto& layout : layouts) {
        const std::string p = Table::create((work / ("seed" + std::to_string(n))).string(), layout);
        Table t;
        t.open(p, {false, false});
        for (int i = 0; i < 3; ++i) {
            t.append();
            t.put(0, std::string("valore ") + std::to_string(i));
            t.put(t.fieldIndex(n == 0 ? "INCOMBENZA" : "NOTE"),
                  std::string("testo\r\n") + std::string(static_cast<size_t>(40 * i), 'a'));
            if (i == 1)
                t.setDeleted(true);
        }
        t.close();
        fs::copy_file(p, root / "table" / ("seed" + std::to_string(n)),
                      fs::copy_options::overwrite_existing);
        fs::copy_file(Table::memoPathOf(p), root / "memo" / ("seed" + std::to_string(n)),
                      fs::copy_options::overwrite_existing);
        ++n;
    }
    fs::remove_all(work);
    return 0;
}
