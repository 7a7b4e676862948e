#pragma once

// Helpers of the data layer's tests: a data folder and an instance of their own
// per test, with the message seam recording what shows, and the table layouts.

#include "common/data/library.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/dbf/structure.h"
#include "common/schema/tables.h"
#include "common/util/cp1252.h"
#include "tests/support/data_folder.h"
#include "tests/support/messages_fake.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace datatest {

namespace fs = std::filesystem;

using dn::schema::contactFields;
using dn::schema::deadlineFields;

// A file's name in the error messages: upper-cased on Windows, where letter case
// names the same file, and as it is elsewhere.
inline std::string shownName(const std::string& path) {
#ifdef _WIN32
    return dn::upper1252(path);
#else
    return path;
#endif
}

// A slot code as CODICE holds it.
inline std::string code(int slot) {
    return dn::schema::slotCode(slot);
}

// Every test runs in a data folder of its own (the current folder while it runs),
// with a named instance whose folder lies in a temporary folder of its own.
// Questions nobody answered get their negative choice.
class DataTest : public ::testing::Test {
protected:
    std::string tmpDir() const { return folder_.temp(); }
    std::string dataDir() const { return folder_.data(); }
    std::string instanceFolder() const { return folder_.instanceFolder(); }
    // Files of the instance folder other than its marker.
    std::vector<std::string> instanceFiles() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(instanceFolder()))
            if (e.path().filename() != "USER")
                out.push_back(e.path().filename().string());
        return out;
    }

    dn::test::ScriptedMessages msgs{dn::test::ScriptedMessages::Unanswered::Negative};

private:
    dn::test::DataFolder folder_;
};

} // namespace datatest
