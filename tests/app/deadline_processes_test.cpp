// Two computers on one data folder: the test process runs the windows, the worker
// (worker/deadline_worker.cpp) plays the other computer.

#include "deadline_fixture.h"

#include "app/passwords.h"
#include "app/record_check.h"
#include "app/settings.h"
#include "common/data/wait.h"
#include "common/util/scramble.h"
#include "tests/support/files.h"
#include "tests/support/mounts.h"
#include "tests/support/process.h"

using namespace deadlinetest;
using Process = dn::test::ChildProcess;

namespace {

class TwoComputers : public DeadlineFixture {
protected:
    Process worker(std::vector<std::string> args) {
        args.insert(args.begin() + 1, folder_.path());
        return Process(DN_DEADLINE_WORKER, args);
    }
    // Runs the worker to its end; its last line (DONE 0 or 1).
    std::string run(std::vector<std::string> args) {
        Process p = worker(std::move(args));
        const std::string done = p.waitFor("DONE");
        p.wait();
        return done;
    }
    std::string configFile() const {
        return dn::test::readFile((fs::path(folder_.path()) / "DELTRA.CFG").string());
    }
    static std::string scrambled(std::string clear) {
        clear.resize(dn::app::kPasswordLength, ' ');
        return dn::CRYPT(clear);
    }
};

} // namespace

TEST_F(TwoComputers, EditWaitsForTheOtherComputersRecordLockAndLosesNothing) {
    const uint32_t rec = addDeadline(1, kToday, false, "", "Prima");
    Process other = worker({"lock", std::to_string(rec), "EVASA", "T"});
    ASSERT_EQ(other.waitFor("LOCKED"), "LOCKED");
    // The other computer lets go only once the busy message shows here, which the
    // data layer shows after three quiet seconds.
    messages_.onWait = [&](const std::string& text) {
        if (text == dn::data::kBusyText)
            other.send("go");
    };
    openList(1, [&](TDialog& d) {
        drive_.on("SCADENZA", [](TDialog& e) {
            t::type(e, 106, "Seconda");
            t::press(e, 201);
        });
        t::press(d, 203);
        t::press(d, 201);
    });
    EXPECT_EQ(other.waitFor("DONE"), "DONE 1");
    ASSERT_EQ(messages_.waits.size(), 2u) << "the view's build, then the busy wait";
    EXPECT_EQ(messages_.waits[1], dn::data::kBusyText);
    EXPECT_TRUE(messages_.asked.empty()) << "the done flag is no field the editor writes";
    const Stored s = stored(rec);
    EXPECT_EQ(s.text, "Seconda");
    EXPECT_TRUE(s.done) << "the other computer's write is kept";
}

TEST_F(TwoComputers, EditOverAnotherComputersChangeAsksAndNoShowsTheirValues) {
    const uint32_t rec = addDeadline(1, kToday, false, "08:00", "Originale");
    openList(1, [&](TDialog& d) {
        drive_.on("SCADENZA", [&](TDialog& e) {
            t::type(e, 106, "Mia versione");
            EXPECT_EQ(run({"edit", std::to_string(rec), "INCOMBENZA", "Sua versione"}), "DONE 1");
            t::press(e, 201);
        });
        // No: the editor shows the other computer's text, unchanged.
        drive_.on("SCADENZA", [&](TDialog& e) {
            EXPECT_EQ(t::text(e, 106), "Sua versione");
            EXPECT_EQ(t::text(e, 104), "08:00");
            EXPECT_EQ(run({"edit", std::to_string(rec), "ORA", "09:00"}), "DONE 1");
            t::type(e, 106, "Mia, dopo aver letto");
            t::press(e, 201);
        });
        messages_.answer(0).answer(1);
        t::press(d, 203);
        t::press(d, 201);
    });
    ASSERT_EQ(messages_.asked.size(), 2u);
    EXPECT_EQ(messages_.asked[0].text, dn::app::kChangedElsewhere);
    EXPECT_EQ(messages_.asked[1].text, dn::app::kChangedElsewhere);
    // Yes to the second: what this editor showed is written over the new time.
    const Stored s = stored(rec);
    EXPECT_EQ(s.text, "Mia, dopo aver letto");
    EXPECT_EQ(s.time, "08:00");
}

TEST_F(TwoComputers, DeadlineDeletedElsewhereComesBackLiveWhenEdited) {
    const uint32_t rec = addDeadline(1, kToday, false, "", "Da salvare");
    openList(1, [&](TDialog& d) {
        drive_.on("SCADENZA", [&](TDialog& e) {
            EXPECT_EQ(run({"delete", std::to_string(rec)}), "DONE 1");
            t::type(e, 106, "Salvata");
            t::press(e, 201);
        });
        t::press(d, 203);
        EXPECT_EQ(rows(d).size(), 1u);
        t::press(d, 201);
    });
    EXPECT_TRUE(messages_.asked.empty());
    EXPECT_FALSE(stored(rec).deleted);
    EXPECT_EQ(stored(rec).text, "Salvata");
}

TEST_F(TwoComputers, SettingsAreSavedOnTopOfTheOtherComputersChanges) {
    ASSERT_TRUE(dn::app::loadOrWriteConfig());
    // The other computer sets slot 1's password and renames slot 2.
    ASSERT_EQ(run({"config", "CFG_PW01=Segreta", "CFG_NM02=Bianca"}), "DONE 1");
    // This one renames slot 3 and saves: nothing of the other's is undone.
    dn::config::variables().set("CFG_NM03", dn::Value(std::string("Carlo")));
    ASSERT_TRUE(dn::app::saveConfig());
    const std::string file = configFile();
    EXPECT_NE(file.find("CFG_PW01=C" + scrambled("Segreta")), std::string::npos) << file;
    EXPECT_NE(file.find("CFG_NM02=CBianca\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("CFG_NM03=CCarlo\r\n"), std::string::npos) << file;
    // And this run now has the other's values.
    EXPECT_EQ(dn::config::variables().text("CFG_NM02"), "Bianca");
    // The other computer removes the password again; this one's next save of its
    // own change keeps that removal.
    ASSERT_EQ(run({"config", "CFG_PW01="}), "DONE 1");
    dn::config::variables().set("CFG_NM01", dn::Value(std::string("Ufficio 2")));
    ASSERT_TRUE(dn::app::saveConfig());
    EXPECT_NE(configFile().find("CFG_PW01=C\r\n"), std::string::npos) << configFile();
}

TEST_F(TwoComputers, TwoSavesNeverInterleave) {
    ASSERT_TRUE(dn::app::loadOrWriteConfig());
    Process first = worker({"config", "hold", "CFG_NM04=Dario"});
    ASSERT_EQ(first.waitFor("LOCKED"), "LOCKED");
    Process second = worker({"config", "CFG_NM05=Elena"});
    // The second save waits for the lock the first holds, until the first lets go.
    const std::string waited = second.readLine().value_or("");
    EXPECT_EQ(waited, std::string("WAIT ") + dn::data::kBusyText);
    EXPECT_EQ(configFile().find("Elena"), std::string::npos);
    first.send("go");
    EXPECT_EQ(first.waitFor("DONE"), "DONE 1");
    EXPECT_EQ(second.waitFor("DONE"), "DONE 1");
    const std::string file = configFile();
    EXPECT_NE(file.find("CFG_NM04=CDario\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("CFG_NM05=CElena\r\n"), std::string::npos) << file;
}

TEST_F(TwoComputers, PasswordCheckUsesThePasswordSavedElsewhere) {
    ASSERT_TRUE(dn::app::loadOrWriteConfig());
    const std::string code = dn::schema::slotCode(1);
    ASSERT_EQ(run({"config", "CFG_PW01=Nuova"}), "DONE 1");
    drive_.on("PASSWD", [](TDialog& p) {
        t::type(p, 101, "Nuova");
        t::press(p, 201);
    });
    EXPECT_TRUE(dn::app::PASSWD(code));
    // Changed elsewhere: the old one no longer opens.
    ASSERT_EQ(run({"config", "CFG_PW01=Altra"}), "DONE 1");
    drive_.on("PASSWD", [](TDialog& p) {
        t::type(p, 101, "Nuova");
        t::press(p, 201);
    });
    EXPECT_FALSE(dn::app::PASSWD(code));
    // Removed elsewhere: nothing is asked.
    ASSERT_EQ(run({"config", "CFG_PW01="}), "DONE 1");
    EXPECT_TRUE(dn::app::PASSWD(code));
    EXPECT_EQ(drive_.started, (std::vector<std::string>{"PASSWD", "PASSWD"}));
    // The file unreadable: the password in force here.
    fs::remove(fs::path(folder_.path()) / "DELTRA.CFG");
    dn::config::variables().set("CFG_PW01", dn::Value(scrambled("Locale")));
    drive_.on("PASSWD", [](TDialog& p) {
        t::type(p, 101, "Locale");
        t::press(p, 201);
    });
    EXPECT_TRUE(dn::app::PASSWD(code));
}

TEST_F(TwoComputers, PasswordThatCannotBeSavedSaysSoAndHoldsForThisRunOnly) {
    ASSERT_TRUE(dn::app::loadOrWriteConfig());
    const std::string cfg = (fs::path(folder_.path()) / "DELTRA.CFG").string();
    const std::string before = configFile();
    auto mount = dn::test::ScopedMount::bind(cfg, cfg, true);
    if (!mount.ok())
        GTEST_SKIP() << mount.error();
    const std::string code = dn::schema::slotCode(1);
    drive_.on("PASSWD2", [](TDialog& p) {
        t::type(p, 101, "Nuova");
        t::press(p, 201);
    });
    drive_.on("PASSWD3", [](TDialog& p) {
        t::type(p, 101, "Nuova");
        t::press(p, 201);
    });
    dn::app::PASSWD2(code);
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_NE(messages_.asked[0].text.find("protetto da scrittura"), std::string::npos)
        << messages_.asked[0].text;
    EXPECT_EQ(configFile(), before);
    // In force here...
    drive_.on("PASSWD", [](TDialog& p) {
        t::type(p, 101, "Nuova");
        t::press(p, 201);
    });
    EXPECT_TRUE(dn::app::PASSWD(code));
    // ...and nowhere else.
    Process other = worker({"password", "1"});
    EXPECT_EQ(other.waitFor("PASSWORD"), "PASSWORD-");
    EXPECT_EQ(other.waitFor("DONE"), "DONE 1");
}
