#pragma once

// A data folder made by the start-up sequence, with the GUI test support for the
// file dialogs and questions of maintenance, backup and restore.

#include "startup_fixture.h"

#include "app/startup.h"
#include "app/tables.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "common/ui/popmsg.h"
#include "platform/file.h"
#include "tests/support/dntable_run.h"
#include "tests/support/gui.h"
#include "tests/support/instance_worker.h"
#include "tests/support/messages_fake.h"
#include "wait_watch.h"

#include <QFileDialog>

namespace backuptest {

using namespace starttest;

// Fills the deadline table through the store with n deadlines whose task texts
// grow with their number; every deletedEvery-th is marked deleted (0: none).
inline void addDeadlines(unsigned n, unsigned deletedEvery = 0) {
    dn::dbf::Table t;
    t.open(dn::schema::kDeadlines, {false, false});
    for (unsigned i = 0; i < n; ++i) {
        t.append();
        t.put("CODICE", dn::Value(dn::schema::slotCode(static_cast<int>(i % 10) + 1)));
        t.put("DATA", dn::Value(dn::Date::fromYmd(2024, 1, 1).addDays(static_cast<int>(i % 700))));
        t.put("INCOMBENZA", dn::Value("Scadenza " + std::to_string(i) + std::string(i % 90, '.')));
        t.put("EVASA", dn::Value(i % 3 == 0));
        if (deletedEvery && i % deletedEvery == 0)
            t.setDeleted(true);
    }
    t.commit();
}

inline void addContacts(unsigned n) {
    dn::dbf::Table t;
    t.open(dn::schema::kContacts, {false, false});
    for (unsigned i = 0; i < n; ++i) {
        t.append();
        t.put("NOMINATIVO", dn::Value("Rossi Mario " + std::to_string(i)));
        t.put("CITTA", dn::Value("Milano"));
        t.put("NOTE", dn::Value("Nota " + std::to_string(i)));
    }
    t.commit();
}

// The texts the wait box shows while this lives, in the order shown.
struct ShownWaits {
    std::vector<std::string> texts;
    dn::test::WaitWatch watch{[this](const std::string& t) { texts.push_back(t); }};
};

class BackupTest : public StartupTest {
protected:
    void SetUp() override {
        dn::test::guiApp();
        StartupTest::SetUp();
        ASSERT_TRUE(dn::app::MAIN());
    }
    // The index file of a table that `dntable check` finds clean.
    static void expectCleanIndex(const std::string& table) {
        const auto r = dn::test::dntable({"check", table, table});
        EXPECT_EQ(r.status, 0) << r.out;
    }
};

// Another instance (tests/data/worker/data_worker.cpp).
using Worker = dn::test::DataWorker;

} // namespace backuptest
