// A backup while another process appends, its archives unpacked with the unzip
// command (POSIX).
#include "archive/archive_fixture.h"
#include "common/dbf/table_check.h"

using namespace archivetest;

namespace {

class BackupWhileWriting : public DataTest {};

// The table in folder holds exactly the first records that the worker appends:
// every field as written, every memo readable. Returns how many.
uint32_t checkAppended(const std::string& folder) {
    dn::dbf::Table t;
    t.open(folder + "/SCADENZE.DBF", {false, true});
    dn::dbf::checkTable(t);
    const uint32_t n = t.recordCount();
    for (uint32_t r = 1; r <= n; ++r) {
        t.goTo(r);
        const workerdata::Appended a = workerdata::appended(r - 1);
        EXPECT_FALSE(t.deleted()) << folder << " record " << r;
        EXPECT_EQ(t.get("CODICE").text(), a.codice) << folder << " record " << r;
        EXPECT_EQ(t.get("DATA").date(), a.data) << folder << " record " << r;
        EXPECT_EQ(t.get("ORA").text(), a.ora) << folder << " record " << r;
        EXPECT_EQ(t.get("INCOMBENZA").text(), a.incombenza) << folder << " record " << r;
        EXPECT_EQ(t.get("EVASA").logical(), a.evasa) << folder << " record " << r;
        EXPECT_EQ(t.get("GENERAZIO").text(), a.generazio) << folder << " record " << r;
        if (::testing::Test::HasFailure())
            break;
    }
    return n;
}

} // namespace

TEST_F(BackupWhileWriting, EveryArchivedTableHoldsTheRecordsOfOneMoment) {
    const unsigned initial = 2000, appended = 250;
    fillDeadlines("SCADENZE", initial);
    // Each new record stays blank for a moment before it is filled, and the
    // writer pauses between records (one that never lets go of the table would
    // keep the backup waiting until it ends).
    // Each new record stays blank for a moment before it is filled, and the
    // writer pauses between records (one that never lets go of the table would
    // keep the backup waiting until it ends).
    Worker w({"append", "SCADENZE.DBF", std::to_string(appended), "3"});
    ASSERT_TRUE(w.ready());
    std::vector<std::string> archives;
    while (!w.hasReleased()) {
        const std::string a = tmpDir() + "/copia" + std::to_string(archives.size()) + ".zip";
        ASSERT_TRUE(dn::archive::ZIP(a, {"SCADENZE.DBF", "SCADENZE.DBT"}));
        archives.push_back(a);
    }
    EXPECT_EQ(w.wait(), 0);
    std::set<uint32_t> counts;
    for (size_t i = 0; i < archives.size(); ++i) {
        const std::string dir = tmpDir() + "/x" + std::to_string(i);
        ASSERT_EQ(
            runCommand("unzip -q " + shellQuote(archives[i]) + " -d " + shellQuote(dir)).status, 0);
        const uint32_t n = checkAppended(dir);
        EXPECT_GE(n, initial);
        EXPECT_LE(n, initial + appended);
        counts.insert(n);
    }
    // Several archives were taken while the appends went on.
    EXPECT_GE(counts.size(), 2u) << archives.size() << " archives";
    EXPECT_EQ(checkAppended("."), initial + appended);
}
