#pragma once

// Helpers of the start-up tests: a fresh data folder as the working directory and
// a private temporary folder (TEMP) per test, and readers of the files on disk.

#include "common/config/variables.h"
#include "common/data/errors.h"
#include "common/data/library.h"
#include "common/util/messages.h"
#include "platform/file.h"
#include "tests/support/env.h"
#include "tests/support/files.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/messages_fake.h"
#include "tests/support/process.h"
#include "tests/support/readers.h"
#include "tests/support/temp_folder.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace starttest {

namespace fs = std::filesystem;
using dn::test::fileNames;
using dn::test::readFile;
using dn::test::writeFile;

// Every file of a folder with its bytes.
inline std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const std::string& n : fileNames(folder))
        out[n] = readFile((folder / n).string());
    return out;
}

// A copy of a table for the independent readers, its memo file named ".FPT" as
// they expect of the memo layout this store writes.
inline std::string readerCopy(const std::string& table) {
    const fs::path dir = fs::path(table).parent_path().parent_path() / "reader";
    fs::create_directories(dir);
    fs::copy_file(table, dir / "COPIA.DBF", fs::copy_options::overwrite_existing);
    const fs::path memo = fs::path(table).replace_extension(".DBT");
    if (fs::exists(memo))
        fs::copy_file(memo, dir / "COPIA.FPT", fs::copy_options::overwrite_existing);
    else
        fs::remove(dir / "COPIA.FPT");
    return (dir / "COPIA.DBF").string();
}

// Records of a table as python3-dbfread reads them (tests/dbf/interop.py): one
// line per record, live ones first, fields as hex of their Windows-1252 text.
inline std::string dbfreadRows(const std::string& table) {
    return dn::test::interopScript("read-dbfread", readerCopy(table));
}

// Field layout as python3-dbfread reads it: "NAME TYPE LENGTH DECIMALS" per line,
// then the numbers of live and deleted records.
inline std::string dbfreadFields(const std::string& table) {
    return dn::test::interopScript("fields-dbfread", readerCopy(table));
}

// Keys of a one-tag index file as the Perl reader lists them: "key TAB recno".
inline std::string perlKeys(const std::string& index, const std::string& tag) {
    return dn::test::perlIndexKeys(index, tag, 'C');
}

// Each test starts in a fresh data folder as the working directory, with its own
// TEMP, no variables, the library started and the end of the program turned into
// an exception; afterwards the library is shut down and the folders removed.
// Questions get their negative answer.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(data());
        fs::create_directories(temp());
        tempVar_.emplace("TEMP", temp().string());
        in_.emplace(data().string());
        dn::config::variables().clear();
        dn::data::setEndProgram([] { throw std::runtime_error("the program would end here"); });
        dn::data::startupLibrary();
    }

    void TearDown() override {
        dn::platform::clearFaultHooks();
        try {
            dn::data::shutdownLibrary();
        } catch (...) {
        }
        dn::data::setEndProgram({});
        dn::config::variables().clear();
        in_.reset();
        tempVar_.reset();
    }

    // Shuts the library down and starts it again, as a new run of the program does.
    void restart() {
        dn::data::shutdownLibrary();
        dn::config::variables().clear();
        dn::data::startupLibrary();
    }

    fs::path data() const { return fs::path(root_.path()) / "data"; }
    fs::path temp() const { return fs::path(root_.path()) / "temp"; }
    std::string file(const std::string& name) const { return (data() / name).string(); }

    dn::test::ScriptedMessages messages_{dn::test::ScriptedMessages::Unanswered::Negative};

private:
    dn::test::TempFolder root_;
    std::optional<dn::test::ScopedEnv> tempVar_;
    std::optional<dn::test::InFolder> in_;
};

} // namespace starttest
