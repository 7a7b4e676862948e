#pragma once

#include "common/dbf/table.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace dbftest {

namespace fs = std::filesystem;

// A fresh folder for one test, removed when the test ends.
class TempDir {
public:
    TempDir() {
        static int n = 0;
        path_ = fs::temp_directory_path() /
                ("dn_dbf_" + std::to_string(::getpid()) + "_" + std::to_string(++n));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline std::vector<dn::dbf::FieldDef> deadlineFields() {
    return {{"CODICE", 'C', 10, 0},     {"DATA", 'D', 8, 0},  {"ORA", 'C', 5, 0},
            {"INCOMBENZA", 'M', 10, 0}, {"EVASA", 'L', 1, 0}, {"GENERAZIO", 'C', 10, 0}};
}

inline std::vector<dn::dbf::FieldDef> contactFields() {
    return {{"NOMINATIVO", 'C', 35, 0}, {"INDIRIZZO", 'C', 35, 0}, {"CAP", 'C', 5, 0},
            {"CITTA", 'C', 30, 0},      {"TELEFONO1", 'C', 15, 0}, {"TELEFONO2", 'C', 15, 0},
            {"TELEFONO3", 'C', 15, 0},  {"CASA", 'C', 15, 0},      {"CELLULARE", 'C', 15, 0},
            {"FAX", 'C', 15, 0},        {"E_MAIL", 'C', 40, 0},    {"NOTE", 'M', 10, 0}};
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void spit(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace dbftest
