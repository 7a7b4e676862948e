#pragma once

// A data folder for a benchmark that works through the data layer: a fresh folder
// under the system's temporary folder, made the current directory, with a live
// instance folder inside it (where views go). When it goes, the library is shut
// down (every table closed) and the folder removed.

#include "common/data/library.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace dnbench {

class DataFolder {
public:
    // name: the start of the folder's name; the process id is added.
    explicit DataFolder(const std::string& name)
        : root_(std::filesystem::temp_directory_path() /
                (name + "_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "inst");
        std::filesystem::current_path(root_);
        const std::string inst = (root_ / "inst").string();
        dn::data::setInstance("\x7f"
                              "BENCH",
                              inst, dn::data::holdMarker(inst));
    }
    ~DataFolder() {
        dn::data::shutdownLibrary();
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;

private:
    std::filesystem::path root_;
};

} // namespace dnbench
