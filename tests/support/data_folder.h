#pragma once

// The data layer's working place for one test: a data folder of the test's own as
// the working directory, and a named instance of the program whose folder (its
// marker held, as a running instance holds it) lies in a temporary folder beside
// it. For tests that link the data layer.

#include "common/data/area.h"
#include "common/data/library.h"
#include "common/data/workspace.h"
#include "tests/support/temp_folder.h"

#include <filesystem>
#include <optional>
#include <string>

namespace dn::test {

class DataFolder {
public:
    // The instance name of the tests: 0x7F, a date and a time of day.
    static constexpr const char* kInstanceName = "\x7f"
                                                 "2024021945296";

    // Area 1 selected, deleted records hidden.
    DataFolder() {
        std::filesystem::create_directories(data());
        std::filesystem::create_directories(temp());
        in_.emplace(data());
        data::setDeletedHidden(true);
        const std::string folder = temp() + "/" + kInstanceName;
        std::filesystem::create_directories(folder);
        data::setInstance(kInstanceName, folder, data::holdMarker(folder));
        data::DBSELECTAREA(1);
    }
    // Shuts the library down (closing every table and removing the instance
    // folder), then leaves and removes the folders.
    ~DataFolder() {
        try {
            data::shutdownLibrary();
        } catch (...) {
        }
    }
    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;

    std::string data() const { return root_ / "data"; }
    std::string temp() const { return root_ / "tmp"; }
    std::string instanceFolder() const { return data::instance().folder; }

private:
    TempFolder root_;
    std::optional<InFolder> in_;
};

} // namespace dn::test
