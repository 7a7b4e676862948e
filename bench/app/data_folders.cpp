#include "data_folders.h"

#include "../dbf/deadline_table.h"

#include "app/aggiorna.h"
#include "app/settings.h"
#include "app/tables.h"
#include "common/config/inifile.h"
#include "common/config/variables.h"
#include "common/data/library.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace dnbench {

namespace {

// Runs fn with folder as the working directory, as the program runs in its data
// folder.
template <class Fn>
void inFolder(const std::string& folder, Fn fn) {
    const fs::path back = fs::current_path();
    fs::current_path(folder);
    try {
        fn();
    } catch (...) {
        fs::current_path(back);
        throw;
    }
    fs::current_path(back);
}

std::string tableFile(const std::string& folder, const char* ext) {
    return (fs::path(folder) / (std::string(dn::schema::kDeadlines) + ext)).string();
}

} // namespace

void startDataLayer() {
    const std::string inst = (fs::path(dataDir()) / "instance").string();
    fs::create_directories(inst);
    dn::data::setInstance("\x7f"
                          "BENCH",
                          inst, dn::data::holdMarker(inst));
}

void writeConfig(const std::string& folder) {
    dn::app::createConfigVariables();
    for (int i = 1; i <= 10; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "CFG_NM%02d", i);
        dn::config::variables().set(name, dn::Value("Persona " + std::to_string(i)));
    }
    dn::config::SAVEINI(dn::app::kConfigMask, (fs::path(folder) / dn::app::kConfigFile).string());
}

void buildDeadlineIndex(const std::string& folder) {
    inFolder(folder, [] {
        if (!dn::app::ensureIndex(dn::schema::kDeadlines, dn::schema::kDeadlineKey,
                                  dn::app::deadlineKey()))
            throw std::runtime_error("the deadline index could not be built");
    });
}

void purgeDeadlines(const std::string& folder) {
    inFolder(folder, [] {
        if (!dn::app::AGGIORNA())
            throw std::runtime_error("the purge failed");
    });
}

void copyDeadlines(const std::string& from, const std::string& to, bool withIndex) {
    fs::create_directories(to);
    for (const char* ext : {".DBF", ".DBT", ".NTX"}) {
        fs::remove(tableFile(to, ext));
        if (std::string(ext) != ".NTX" || withIndex)
            fs::copy_file(tableFile(from, ext), tableFile(to, ext));
    }
}

std::string deadlineFolder(uint32_t records, bool purged) {
    const std::string folder =
        (fs::path(dataDir()) / ((purged ? "purged" : "raw") + std::to_string(records))).string();
    const std::string done = (fs::path(folder) / "READY").string();
    if (fs::exists(done))
        return folder;
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string table = deadlineTable(records);
    fs::copy_file(table, tableFile(folder, ".DBF"));
    fs::copy_file(dn::dbf::Table::memoPathOf(table), tableFile(folder, ".DBT"));
    buildDeadlineIndex(folder);
    if (purged)
        purgeDeadlines(folder);
    writeConfig(folder);
    std::ofstream(done) << "ready\n";
    return folder;
}

} // namespace dnbench
