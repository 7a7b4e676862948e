// Another instance of the program, played by a second process, holds locks and
// opens while this one waits.

#include "common/data/records.h"
#include "common/data/wait.h"
#include "data_test_util.h"
#include "platform/file.h"

#include <fstream>

using namespace dn;
using namespace dn::data;
using datatest::DataTest;
using datatest::FakeMessages;
using datatest::secondsSince;
using datatest::Worker;

namespace fs = std::filesystem;

namespace {

class MultiProcessTest : public DataTest {
protected:
    void makeTable(int records) {
        DBGEN("SCADENZE", datatest::deadlineFields());
        DBOPEN(false, {}, "SCADENZE");
        for (int i = 0; i < records; ++i) {
            DBAPP();
            FIELDPUT("ORA", Value("0" + std::to_string(i) + ":00"));
            DBCOMMIT();
            DBUNLOCK();
        }
    }
    bool shownEver(const std::string& text) const { return msgs.firstShown(text) != nullptr; }
};

TEST_F(MultiProcessTest, ARecordLockHeldForTwoSecondsIsTakenWithoutAMessage) {
    makeTable(3);
    Worker other({"lock", "SCADENZE.DBF", "2", "2000"});
    ASSERT_TRUE(other.ready());
    DBGOTO(2);
    const auto t0 = datatest::Clock::now();
    DBLOCK(true);
    EXPECT_GT(secondsSince(t0), 1.0);
    EXPECT_TRUE(area().table().isRecordLocked(2));
    EXPECT_TRUE(msgs.events.empty());
    DBUNLOCK();
    EXPECT_EQ(other.wait(), 0);
}

TEST_F(MultiProcessTest, ARecordLockHeldForFiveSecondsShowsTheBusyMessageUntilReleased) {
    makeTable(3);
    msgs.showWait("Manutenzione degli archivi in corso.", "Attendere", false);
    Worker other({"lock", "SCADENZE.DBF", "3", "5000"});
    ASSERT_TRUE(other.ready());
    DBGOTO(3);
    const auto t0 = datatest::Clock::now();
    DBLOCK(true);
    const double waited = secondsSince(t0);
    EXPECT_GT(waited, 4.0);
    EXPECT_EQ(other.wait(), 0);
    const FakeMessages::Event* busy = msgs.firstShown(kBusyText);
    ASSERT_NE(busy, nullptr);
    EXPECT_GE(std::chrono::duration<double>(busy->at - t0).count(), 2.9);
    // The earlier wait text made way for the busy message and came back after it.
    std::vector<std::string> trail;
    for (const auto& e : msgs.events)
        trail.push_back((e.kind == FakeMessages::Event::Show    ? "show "
                         : e.kind == FakeMessages::Event::Close ? "close "
                                                                : "ask ") +
                        e.text);
    EXPECT_EQ(trail, (std::vector<std::string>{"show Manutenzione degli archivi in corso.",
                                               "close Manutenzione degli archivi in corso.",
                                               std::string("show ") + kBusyText,
                                               std::string("close ") + kBusyText,
                                               "show Manutenzione degli archivi in corso."}));
    EXPECT_EQ(msgs.wait, "Manutenzione degli archivi in corso.");
    EXPECT_TRUE(area().table().isRecordLocked(3));
}

TEST_F(MultiProcessTest, AppendWaitsForAnotherInstancesLock) {
    makeTable(1);
    Worker other({"lock", "SCADENZE.DBF", "1", "1000"});
    ASSERT_TRUE(other.ready());
    const auto t0 = datatest::Clock::now();
    DBAPP();
    EXPECT_GT(secondsSince(t0), 0.5);
    EXPECT_EQ(DBRECNO(), 2u);
    EXPECT_TRUE(area().table().isRecordLocked(2));
    EXPECT_FALSE(area().table().isFileLocked());
    EXPECT_TRUE(msgs.events.empty());
    DBUNLOCK();
}

TEST_F(MultiProcessTest, ASharedOpenWaitsWhileAnotherInstanceHoldsTheTableExclusively) {
    DBGEN("SCADENZE", datatest::deadlineFields());
    msgs.showWait("Attendere prego.", "Attendere", false);
    Worker other({"exclusive", "SCADENZE.DBF", "1500"});
    ASSERT_TRUE(other.ready());
    const auto t0 = datatest::Clock::now();
    DBOPEN(false, {}, "SCADENZE");
    const double waited = secondsSince(t0);
    EXPECT_TRUE(USED());
    EXPECT_GT(waited, 1.0);
    EXPECT_LT(waited, 2.5); // back as soon as the other closed
    const FakeMessages::Event* wait = msgs.firstShown("E' in corso un'operazione di sistema...");
    ASSERT_NE(wait, nullptr);
    EXPECT_GT(msgs.pumps, 0); // window events kept running
    EXPECT_EQ(msgs.wait, "Attendere prego.");
    EXPECT_EQ(msgs.shown().back(), "Attendere prego.");
    EXPECT_EQ(other.wait(), 0);
}

TEST_F(MultiProcessTest, AnExclusiveOpenWaitsWhileOthersHaveTheTableOpen) {
    DBGEN("SCADENZE", datatest::deadlineFields());
    Worker other({"shared", "SCADENZE.DBF", "1000"});
    ASSERT_TRUE(other.ready());
    DBOPEN(false, {}, "SCADENZE", {}, false);
    EXPECT_TRUE(USED());
    EXPECT_FALSE(area().table().shared());
    ASSERT_FALSE(msgs.events.empty());
    EXPECT_EQ(msgs.events[0].text, "Spegnere tutti i terminali...");
    EXPECT_EQ(msgs.events[0].title, "Attenzione");
    EXPECT_FALSE(msgs.wait);
    EXPECT_EQ(other.wait(), 0);
}

TEST_F(MultiProcessTest, NetUsedSeesATableOpenInAnotherInstance) {
    DBGEN("SCADENZE", datatest::deadlineFields());
    {
        Worker other({"shared", "SCADENZE.DBF", "20000"});
        ASSERT_TRUE(other.ready());
        EXPECT_TRUE(NETUSED("SCADENZE"));
    }
    EXPECT_FALSE(NETUSED("SCADENZE"));
}

TEST_F(MultiProcessTest, TheSweepRemovesACrashedInstanceAndKeepsALiveOne) {
    const std::string crashed = tmpDir() + "/\x7f"
                                           "202401011234567";
    const std::string live = tmpDir() + "/\x7f"
                                        "202401017654321";
    const std::string unmarked = tmpDir() + "/\x7f"
                                            "OLD";
    const std::string other = tmpDir() + "/keep";
    for (const auto& d : {crashed, unmarked, other})
        fs::create_directories(d);
    for (const auto& f : {crashed + "/USER", crashed + "/\x7fVIEW1.NTX", crashed + "/.hidden",
                          unmarked + "/page1.emf", other + "/x"})
        std::ofstream(f) << "x";
    Worker running({"instance", live, "20000"});
    ASSERT_TRUE(running.ready());
    std::ofstream(live + "/\x7fVIEW3.NTX") << "x";
    const std::string probe = std::string(8, '\x7f') + "." + std::string(3, '\x7f');
    std::ofstream(probe) << "";
    std::ofstream("SCADENZE.DBF") << "";
    // A scratch file that a running instance is still writing is held exclusively.
    const std::string scratch = "\x7fTMPbuild.NTX";
    dn::platform::File held = dn::platform::File::create(scratch, dn::platform::Share::Exclusive);

    // As the start-up procedure does it, with TEMP pointing at the temporary folder.
    const char* oldTemp = std::getenv("TEMP");
    const std::string saved = oldTemp ? oldTemp : "";
    ::setenv("TEMP", tmpDir().c_str(), 1);
    EXPECT_EQ(tempFolder(), tmpDir());
    access().user = "someone";
    startupLibrary();
    if (oldTemp)
        ::setenv("TEMP", saved.c_str(), 1);
    else
        ::unsetenv("TEMP");

    EXPECT_FALSE(fs::exists(crashed));
    EXPECT_FALSE(fs::exists(unmarked));
    EXPECT_TRUE(fs::exists(live + "/USER"));
    EXPECT_TRUE(fs::exists(live + "/\x7fVIEW3.NTX"));
    EXPECT_TRUE(fs::exists(other + "/x"));
    EXPECT_TRUE(fs::exists(instanceFolder() + "/USER")); // this instance's own
    EXPECT_FALSE(fs::exists(probe));
    EXPECT_TRUE(fs::exists(scratch));
    EXPECT_TRUE(fs::exists("SCADENZE.DBF"));
    EXPECT_EQ(access().user, "USER");
    EXPECT_EQ(access().temp, "");
    EXPECT_EQ(access().passwd, "");
    EXPECT_EQ(access().level, 1);
    EXPECT_TRUE(deletedHidden());

    // Once that instance has ended, its folder goes at the next start.
    running.wait();
    held.close();
    EXPECT_EQ(sweepLeftovers(dataDir(), tmpDir()), 1);
    EXPECT_FALSE(fs::exists(live));
    EXPECT_FALSE(fs::exists(scratch));
}

TEST_F(MultiProcessTest, ShutDownRemovesTheInstanceFolder) {
    const std::string folder = instanceFolder();
    const std::string name = instance().name;
    std::ofstream(folder + "/page.emf") << "x";
    std::ofstream(name + ".USR") << "";
    DBGEN("SCADENZE", datatest::deadlineFields());
    DBOPEN(false, {}, "SCADENZE");
    // Another instance sees this one's folder alive until the end.
    EXPECT_FALSE(fs::exists(folder + "/x"));
    shutdownLibrary();
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_FALSE(fs::exists(name + ".USR"));
    EXPECT_TRUE(usedAreas().empty());
    EXPECT_TRUE(instance().name.empty());
}

} // namespace
