#include "generated.h"

#include "common/dbf/table.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace dnbench {

std::string dataDir() {
    const char* env = std::getenv("DN_BENCH_DIR");
    const fs::path dir = env && *env ? fs::path(env) : fs::temp_directory_path() / "dn_bench";
    fs::create_directories(dir);
    return dir.string();
}

bool generatedAlready(const std::string& path, uint32_t records) {
    if (!fs::exists(path))
        return false;
    try {
        dn::dbf::Table t;
        t.open(path, {true, true});
        return t.recordCount() == records;
    } catch (const std::exception&) {
        // Damaged or half-written by an interrupted run: generate it again.
        return false;
    }
}

void copyTable(const std::string& from, const std::string& toTable) {
    fs::copy_file(from, toTable, fs::copy_options::overwrite_existing);
    fs::copy_file(dn::dbf::Table::memoPathOf(from), dn::dbf::Table::memoPathOf(toTable),
                  fs::copy_options::overwrite_existing);
}

} // namespace dnbench
