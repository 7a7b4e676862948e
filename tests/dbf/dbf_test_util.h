#pragma once

#include "common/dbf/table.h"
#include "common/schema/tables.h"

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

using dn::schema::contactFields;
using dn::schema::deadlineFields;

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void spit(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace dbftest
