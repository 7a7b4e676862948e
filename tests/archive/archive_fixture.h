#pragma once

// Helpers of the archive tests: a data folder with the two tables and a
// configuration file, archives with any entry names, a look at every file of a
// folder tree, and another instance played by tests/data/worker/data_worker.

#include "../data/data_test_util.h"
#include "../data/worker/appended.h"
#include "common/archive/archive.h"
#include "common/dbf/table.h"
#include "platform/file.h"
#include "tests/support/files.h"
#include "tests/support/instance_worker.h"
#include "tests/support/process.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace archivetest {

using namespace datatest;
using dn::test::fileNames;
using dn::test::readFile;
using dn::test::runCommand;
using dn::test::shellQuote;
using dn::test::writeFile;

// Every file below folder (relative path -> bytes), folders as "path/".
inline std::map<std::string, std::string> tree(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string rel = fs::relative(e.path(), folder).generic_string();
        out[e.is_directory() ? rel + "/" : rel] =
            e.is_directory() ? "" : readFile(e.path().string());
    }
    return out;
}

// Writes an archive with exactly these entry names and contents (make_zip.py).
inline void makeZip(const std::string& out,
                    const std::vector<std::pair<std::string, std::string>>& entries) {
    const std::string dir = out + ".parts";
    fs::create_directories(dir);
    std::string cmd = "/usr/bin/python3 " +
                      shellQuote(std::string(DN_TESTS_DIR) + "/archive/make_zip.py") + " " +
                      shellQuote(out);
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string part = dir + "/" + std::to_string(i);
        writeFile(part, entries[i].second);
        cmd += " " + shellQuote(entries[i].first) + " " + shellQuote(part);
    }
    const auto r = runCommand(cmd + " 2>&1");
    fs::remove_all(dir);
    ASSERT_EQ(r.status, 0) << r.out;
}

// Creates the deadline table name (".DBF" and ".DBT") with the first n records
// that data_worker appends, and every deleted-th of them marked deleted.
inline void fillDeadlines(const std::string& name, unsigned n, unsigned deleted = 0) {
    dn::dbf::Table::create(name, deadlineFields());
    dn::dbf::Table t;
    t.open(name, {false, false});
    for (unsigned i = 0; i < n; ++i) {
        t.append();
        workerdata::putAppended(t, i);
        if (deleted && i % deleted == 0)
            t.setDeleted(true);
    }
    t.commit();
}

// The data folder of a small office: the two tables with a few records and the
// configuration file.
inline void fillDataFolder(const std::string& folder) {
    const std::string d = folder + "/";
    fillDeadlines(d + "SCADENZE", 40);
    dn::dbf::Table::create(d + "RUBRICA", contactFields());
    dn::dbf::Table t;
    t.open(d + "RUBRICA", {false, false});
    for (int i = 0; i < 12; ++i) {
        t.append();
        t.put("NOMINATIVO", dn::Value("Rossi Mario " + std::to_string(i)));
        t.put("NOTE", dn::Value("Nota " + std::string(static_cast<size_t>(i * 20), 'n')));
    }
    t.commit();
    t.close();
    writeFile(d + "DELTRA.CFG", "[Vars]\r\nCFG_NM01=CAnna\r\n");
}

// Another instance (tests/data/worker/data_worker.cpp).
using Worker = dn::test::DataWorker;

// A data folder as the current folder with both tables and the configuration
// file; out() for archives. The platform's fault hooks are cleared afterwards.
class ArchiveTest : public DataTest {
protected:
    void SetUp() override {
        fillDataFolder(".");
        fs::create_directories(out());
    }
    void TearDown() override { dn::platform::clearFaultHooks(); }
    std::string out() const { return tmpDir() + "/out"; }
    // Forgets what showed so far.
    void forget() {
        msgs.asked.clear();
        msgs.events.clear();
        msgs.waits.clear();
    }
};

// The files of a backup of the data folder, in list order.
inline const std::vector<std::string> kFiles = {"RUBRICA.DBF", "RUBRICA.DBT", "SCADENZE.DBF",
                                                "SCADENZE.DBT", "DELTRA.CFG"};

class ZipTest : public ArchiveTest {
protected:
    std::string archive() const { return out() + "/copia.zip"; }
};

class UnzipTest : public ArchiveTest {
protected:
    std::string arch() const { return out(); }
    // A backup of the data folder as it is now.
    std::string backup() {
        const std::string a = arch() + "/copia.zip";
        EXPECT_TRUE(dn::archive::ZIP(a, kFiles));
        return a;
    }
    // Changes every live file, so that a restore shows.
    void changeLiveFiles() {
        fillDeadlines("SCADENZE", 3);
        writeFile("DELTRA.CFG", "[Vars]\r\nCFG_NM01=CBruno\r\n");
        writeFile("SCADENZE.NTX", "an old index");
    }
};

} // namespace archivetest
