#pragma once

// Helpers of the start-up tests: a fresh data folder as the working directory and
// a private temporary folder (TEMP) per test, a message seam that records what is
// shown, and readers of the files on disk.

#include "common/config/variables.h"
#include "common/data/errors.h"
#include "common/data/library.h"
#include "common/util/clock.h"
#include "common/util/messages.h"
#include "platform/file.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// Records every question and wait text; answers every question negatively.
class RecordingMessages : public dn::Messages {
public:
    RecordingMessages() { dn::setMessages(this); }
    ~RecordingMessages() override { dn::setMessages(nullptr); }
    int ask(int kind, const std::string& text, const std::string&) override {
        wait.reset();
        asked.push_back(text);
        return kind == 3 ? 2 : 0;
    }
    void showWait(const std::string& text, const std::string&, bool update) override {
        if (wait && !update)
            return;
        wait = text;
        waits.push_back(text);
    }
    void closeWait() override { wait.reset(); }
    std::optional<std::string> currentWait() const override { return wait; }
    void processEvents() override {}

    std::vector<std::string> asked;
    std::vector<std::string> waits;
    std::optional<std::string> wait;
};

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Names in a folder, sorted.
inline std::set<std::string> names(const fs::path& folder) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        out.insert(e.path().filename().string());
    return out;
}

// Every file of a folder with its bytes.
inline std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const std::string& n : names(folder))
        out[n] = readBytes((folder / n).string());
    return out;
}

// Standard output of a command (its standard error too); fails the test on a
// non-zero exit.
inline std::string run(const std::string& command) {
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) {
        ADD_FAILURE() << "cannot run " << command;
        return {};
    }
    std::string out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    const int status = ::pclose(p);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command << "\n" << out;
    return out;
}

// The tests folder of the source tree, where the readers' scripts live.
inline std::string testsDir() {
    return DN_TESTS_DIR;
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
    return run("/usr/bin/python3 '" + testsDir() + "/dbf/interop.py' read-dbfread '" +
               readerCopy(table) + "'");
}

// Field layout as python3-dbfread reads it: "NAME TYPE LENGTH DECIMALS" per line,
// then the numbers of live and deleted records.
inline std::string dbfreadFields(const std::string& table) {
    return run("/usr/bin/python3 -c \"import dbfread,sys\n"
               "t=dbfread.DBF(sys.argv[1],encoding='cp1252')\n"
               "for f in t.fields: print(f.name,f.type,f.length,f.decimal_count)\n"
               "print(len(t), len(t.deleted))\" '" +
               readerCopy(table) + "'");
}

// Keys of a one-tag index file as the Perl reader lists them: "key TAB recno".
inline std::string perlKeys(const std::string& index, const std::string& tag) {
    return run("perl '" + testsDir() + "/dbf/index_list.pl' '" + index + "' " + tag + " C");
}

// Each test starts in a fresh data folder as the working directory, with its own
// TEMP, no variables, the library started and the end of the program turned into
// an exception; afterwards the library is shut down and the folders removed.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() / ("dn_start_" + std::to_string(::getpid()) + "_" +
                                             info->test_suite_name() + "_" + info->name());
        fs::remove_all(root_);
        fs::create_directories(data());
        fs::create_directories(temp());
        oldTemp_ =
            std::getenv("TEMP") ? std::optional<std::string>(std::getenv("TEMP")) : std::nullopt;
        ::setenv("TEMP", temp().c_str(), 1);
        oldCwd_ = fs::current_path();
        fs::current_path(data());
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
        dn::clock::useSystem();
        dn::config::variables().clear();
        fs::current_path(oldCwd_);
        if (oldTemp_)
            ::setenv("TEMP", oldTemp_->c_str(), 1);
        else
            ::unsetenv("TEMP");
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // Shuts the library down and starts it again, as a new run of the program does.
    void restart() {
        dn::data::shutdownLibrary();
        dn::config::variables().clear();
        dn::data::startupLibrary();
    }

    fs::path data() const { return root_ / "data"; }
    fs::path temp() const { return root_ / "temp"; }
    std::string file(const std::string& name) const { return (data() / name).string(); }

    RecordingMessages messages_;

private:
    fs::path root_;
    fs::path oldCwd_;
    std::optional<std::string> oldTemp_;
};

} // namespace starttest
