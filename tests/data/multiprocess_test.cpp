// Another instance of the program, played by a second process, holds locks and
// opens while this one waits. The worker says when it let go, and the waits are
// measured against that moment: the checks hold however slowly a busy machine runs
// either process.

#include "common/data/records.h"
#include "common/data/wait.h"
#include "data_test_util.h"
#include "platform/file.h"
#include "tests/support/env.h"
#include "tests/support/events.h"
#include "tests/support/instance_worker.h"

#include <fstream>

using namespace dn;
using namespace dn::data;
using datatest::DataTest;
using dn::test::monotonicMs;
using dn::test::ScriptedMessages;

namespace fs = std::filesystem;

namespace {

// Another instance (see worker/data_worker.cpp). It holds what it took until
// release() or, when given a time, for that long.
using Worker = dn::test::DataWorker;

// How long a process may take to notice that a lock or open it waits for became
// free. Waits retry every few milliseconds; this is for a machine busy with other
// work, and only catches a wait that does not end when it could.
constexpr long long kNoticeMs = 5000;

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
    // The trail of wait boxes and questions: "show TEXT", "close TEXT", "ask TEXT".
    std::vector<std::string> trail() const {
        std::vector<std::string> out;
        for (const auto& e : msgs.events)
            out.push_back((e.kind == ScriptedMessages::Event::Show    ? "show "
                           : e.kind == ScriptedMessages::Event::Close ? "close "
                                                                      : "ask ") +
                          e.text);
        return out;
    }
};

TEST_F(MultiProcessTest, ARecordLockReleasedWithinTheQuietWaitIsTakenWithoutAMessage) {
    makeTable(3);
    // Let go half a second after it took the lock: well inside the quiet wait.
    Worker other({"lock", "SCADENZE.DBF", "2", "500"});
    ASSERT_TRUE(other.ready());
    DBGOTO(2);
    DBLOCK(true);
    const long long got = monotonicMs();
    EXPECT_GE(got, other.released()); // taken only once the other let go
    EXPECT_TRUE(area().table().isRecordLocked(2));
    EXPECT_TRUE(msgs.events.empty());
    DBUNLOCK();
    EXPECT_EQ(other.wait(), 0);
}

TEST_F(MultiProcessTest, ARecordLockHeldPastTheQuietWaitShowsTheBusyMessageUntilReleased) {
    makeTable(3);
    msgs.showWait("Manutenzione degli archivi in corso.", "Attendere", false);
    Worker other({"lock", "SCADENZE.DBF", "3"});
    ASSERT_TRUE(other.ready());
    // The other instance lets go once the busy message is on screen.
    msgs.onWait = [&](const std::string& text) {
        if (text == kBusyText)
            other.release();
    };
    DBGOTO(3);
    const auto t0 = std::chrono::steady_clock::now();
    DBLOCK(true);
    const long long got = monotonicMs();
    msgs.onWait = nullptr;
    EXPECT_GE(got, other.released());
    EXPECT_EQ(other.wait(), 0);
    const ScriptedMessages::Event* busy = msgs.firstShown(kBusyText);
    ASSERT_NE(busy, nullptr);
    EXPECT_GE(busy->at - t0, kQuietWait); // quiet retries first
    // The earlier wait text made way for the busy message and came back after it.
    EXPECT_EQ(trail(), (std::vector<std::string>{"show Manutenzione degli archivi in corso.",
                                                 "close Manutenzione degli archivi in corso.",
                                                 std::string("show ") + kBusyText,
                                                 std::string("close ") + kBusyText,
                                                 "show Manutenzione degli archivi in corso."}));
    EXPECT_EQ(msgs.currentWait(), "Manutenzione degli archivi in corso.");
    EXPECT_TRUE(area().table().isRecordLocked(3));
}

TEST_F(MultiProcessTest, AppendWaitsForAnotherInstancesLock) {
    makeTable(1);
    Worker other({"lock", "SCADENZE.DBF", "1", "500"});
    ASSERT_TRUE(other.ready());
    DBAPP();
    const long long got = monotonicMs();
    EXPECT_GE(got, other.released());
    EXPECT_EQ(DBRECNO(), 2u);
    EXPECT_TRUE(area().table().isRecordLocked(2));
    EXPECT_FALSE(area().table().isFileLocked());
    EXPECT_TRUE(msgs.events.empty());
    DBUNLOCK();
}

TEST_F(MultiProcessTest, ASharedOpenWaitsWhileAnotherInstanceHoldsTheTableExclusively) {
    DBGEN("SCADENZE", datatest::deadlineFields());
    msgs.showWait("Attendere prego.", "Attendere", false);
    Worker other({"exclusive", "SCADENZE.DBF"});
    ASSERT_TRUE(other.ready());
    // The other instance closes the table while this one waits, letting window
    // events run.
    bool asked = false;
    msgs.onPump = [&] {
        if (!asked)
            other.release();
        asked = true;
    };
    DBOPEN(false, {}, "SCADENZE");
    const long long got = monotonicMs();
    msgs.onPump = nullptr;
    EXPECT_TRUE(USED());
    const long long released = other.released();
    EXPECT_GE(got, released);
    EXPECT_LT(got - released, kNoticeMs); // back once the other closed
    EXPECT_EQ(trail(), (std::vector<std::string>{"show Attendere prego.", "close Attendere prego.",
                                                 "show E' in corso un'operazione di sistema...",
                                                 "close E' in corso un'operazione di sistema...",
                                                 "show Attendere prego."}));
    EXPECT_EQ(msgs.currentWait(), "Attendere prego.");
    EXPECT_EQ(other.wait(), 0);
}

TEST_F(MultiProcessTest, AnExclusiveOpenWaitsWhileOthersHaveTheTableOpen) {
    DBGEN("SCADENZE", datatest::deadlineFields());
    Worker other({"shared", "SCADENZE.DBF"});
    ASSERT_TRUE(other.ready());
    msgs.onPump = [&] { other.release(); };
    DBOPEN(false, {}, "SCADENZE", {}, false);
    const long long got = monotonicMs();
    msgs.onPump = nullptr;
    EXPECT_TRUE(USED());
    EXPECT_FALSE(area().table().shared());
    EXPECT_GE(got, other.released());
    ASSERT_FALSE(msgs.events.empty());
    EXPECT_EQ(msgs.events[0].text, "Spegnere tutti i terminali...");
    EXPECT_EQ(msgs.events[0].title, "Attenzione");
    EXPECT_FALSE(msgs.currentWait());
    EXPECT_EQ(other.wait(), 0);
}

// Another program that locks a record (recno), or the file (0), without taking the
// sharing byte: an exclusive open waits for it as for another instance's open.
class ForeignLockTest : public MultiProcessTest, public ::testing::WithParamInterface<int> {};

TEST_P(ForeignLockTest, AnExclusiveOpenWaitsForAnotherProgramsLockAndNetUsedSeesIt) {
    makeTable(3);
    DBCLOSE();
    Worker other({"foreign", "SCADENZE.DBF", std::to_string(GetParam())});
    ASSERT_TRUE(other.ready());
    EXPECT_TRUE(NETUSED("SCADENZE"));
    msgs.onPump = [&] { other.release(); };
    DBOPEN(false, {}, "SCADENZE", {}, false);
    const long long got = monotonicMs();
    msgs.onPump = nullptr;
    EXPECT_TRUE(USED());
    EXPECT_GE(got, other.released());
    ASSERT_FALSE(msgs.events.empty());
    EXPECT_EQ(msgs.events[0].text, "Spegnere tutti i terminali...");
    EXPECT_EQ(other.wait(), 0);
    DBCLOSE();
    EXPECT_FALSE(NETUSED("SCADENZE"));
}

INSTANTIATE_TEST_SUITE_P(RecordOrFile, ForeignLockTest, ::testing::Values(2, 0));

TEST_F(MultiProcessTest, NetUsedSeesATableOpenInAnotherInstance) {
    DBGEN("SCADENZE", datatest::deadlineFields());
    Worker other({"shared", "SCADENZE.DBF"});
    ASSERT_TRUE(other.ready());
    EXPECT_TRUE(NETUSED("SCADENZE"));
    other.release();
    EXPECT_EQ(other.wait(), 0);
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
    Worker running({"instance", live});
    ASSERT_TRUE(running.ready());
    std::ofstream(live + "/\x7fVIEW3.NTX") << "x";
    const std::string probe = std::string(8, '\x7f') + "." + std::string(3, '\x7f');
    std::ofstream(probe) << "";
    std::ofstream("SCADENZE.DBF") << "";
    // A scratch file that a running instance is still writing is held exclusively.
    const std::string scratch = "\x7fTMPbuild.NTX";
    dn::platform::File held = dn::platform::File::create(scratch, dn::platform::Share::Exclusive);

    // As the start-up procedure does it, with TEMP pointing at the temporary folder.
    {
        const dn::test::ScopedEnv temp("TEMP", tmpDir());
        EXPECT_EQ(tempFolder(), tmpDir());
        access().user = "someone";
        startupLibrary();
    }

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
    running.release();
    EXPECT_EQ(running.wait(), 0);
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
