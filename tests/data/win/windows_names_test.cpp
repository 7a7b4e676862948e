// File names as Windows users and the Windows system give them: drive letters,
// "\" and "/", any letter case, the drive-relative "C:NAME", and the system's
// temporary folder from TEMP or TMP.
#include "../data_test_util.h"
#include "common/data/library.h"
#include "common/data/records.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/disk/checks.h"
#include "platform/drive.h"
#include "platform/fileops.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <set>

using namespace dn;
using namespace dn::data;
using datatest::DataTest;

namespace {

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out.insert(e.path().filename().string());
    return out;
}

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Sets (or, with nullptr, removes) a variable of the C runtime's environment,
// which std::getenv reads, for the test's lifetime.
class RuntimeEnv {
public:
    RuntimeEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        _putenv_s(name, value ? value : "");
    }
    ~RuntimeEnv() { _putenv_s(name_.c_str(), old_ ? old_->c_str() : ""); }

private:
    std::string name_;
    std::optional<std::string> old_;
};

class WinNamesTest : public DataTest {};

TEST_F(WinNamesTest, DriveLettersAndEitherSlashNameTheSameUpperCasedTables) {
    const std::string full = platform::FULLNAME(dataDir()); // "C:\...\data"
    ASSERT_GE(full.size(), 3u);
    ASSERT_EQ(full[1], ':') << full;
    const std::string drive = full.substr(0, 2);
    EXPECT_EQ(platform::currentDrive(), drive);
    EXPECT_EQ(platform::driveOf(full + "\\X.DBF"), drive);
    EXPECT_EQ(platform::driveOf("x.dbf"), drive);
    EXPECT_EQ(platform::CURPATH(drive), full.substr(2) + "\\");
    EXPECT_TRUE(disk::ISREADY(drive, false));
    EXPECT_FALSE(disk::ISFULL(drive, 1));
    EXPECT_FALSE(disk::ISPROTECTED(drive));

    // Created by a full name in lower case without extension: the files are upper
    // case, with the memo file beside the table.
    DBGEN(full + "\\scadenze", datatest::deadlineFields());
    EXPECT_EQ(namesIn(dataDir()), (std::set<std::string>{"SCADENZE.DBF", "SCADENZE.DBT"}));
    DBOPEN(true, {}, "Scadenze");
    DBAPP();
    FIELDPUT("ORA", Value("08:00"));
    DBCOMMIT();
    DBUNLOCK();
    // Every spelling of the name reaches the open table.
    EXPECT_TRUE(NETUSED(full + "\\SCADENZE.DBF"));
    EXPECT_TRUE(NETUSED(lower(full) + "/scadenze"));
    EXPECT_TRUE(NETUSED(drive + "scadenze")); // the drive's current folder
    DBCLOSE();
    EXPECT_FALSE(NETUSED(full + "\\scadenze"));
    DBOPEN(true, {}, lower(drive) + "SCADENZE.dbf", "SCAD");
    EXPECT_EQ(DBLASTREC(), 1u);
    DBCLOSE("SCAD");
    EXPECT_EQ(namesIn(dataDir()), (std::set<std::string>{"SCADENZE.DBF", "SCADENZE.DBT"}));
}

TEST_F(WinNamesTest, TheTemporaryFolderComesFromTempThenTmpThenTheCurrentFolder) {
    const std::string full = platform::FULLNAME(tmpDir());
    {
        RuntimeEnv temp("TEMP", (full + "\\").c_str());
        RuntimeEnv tmp("TMP", "C:\\altrove");
        EXPECT_EQ(tempFolder(), full); // without its trailing separator
    }
    {
        RuntimeEnv temp("TEMP", nullptr);
        RuntimeEnv tmp("TMP", (full + "/").c_str());
        EXPECT_EQ(tempFolder(), full);
    }
    {
        RuntimeEnv temp("TEMP", nullptr);
        RuntimeEnv tmp("TMP", nullptr);
        EXPECT_EQ(tempFolder(), ".");
    }
}

} // namespace
