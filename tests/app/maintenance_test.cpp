// Table maintenance: the question, the pack and index rebuild of both tables, the
// wait while another instance has a table open, and a failed rebuild.
#include "backup_fixture.h"

#include "app/maintenance.h"
#include "platform/file.h"

using namespace backuptest;
namespace app = dn::app;

namespace {

const char* const kQuestion =
    "La manutenzione potrebbe;richiedere del tempo.;Confermi l'operazione?";

// Live and deleted records of a table as python3-dbfread counts them.
std::string counts(const std::string& table) {
    const std::string fields = dbfreadFields(table);
    return fields.substr(fields.rfind('\n', fields.size() - 2) + 1);
}

} // namespace

TEST_F(BackupTest, MaintenanceAnsweredWithCancelTouchesNothing) {
    addDeadlines(50, 5);
    const auto before = snapshot(data());
    messages_.answer(0);
    app::MANUTENZ();
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].kind, 2);
    EXPECT_EQ(messages_.asked[0].text, kQuestion);
    EXPECT_TRUE(messages_.waits.empty());
    EXPECT_EQ(snapshot(data()), before);
}

TEST_F(BackupTest, MaintenanceRemovesDeletedRecordsAndRebuildsBothIndexes) {
    addDeadlines(100000, 10);
    addContacts(300);
    ASSERT_TRUE(app::rebuildIndex(dn::schema::kDeadlines, dn::schema::kDeadlineKey,
                                  app::deadlineKey(), false));
    EXPECT_EQ(counts(file("SCADENZE.DBF")), "90000 10000\n");
    const auto memoBefore = fs::file_size(file("SCADENZE.DBT"));
    messages_.answer(1);
    {
        ShownWaits shown;
        app::MANUTENZ();
        EXPECT_EQ(shown.texts, std::vector<std::string>{"Manutenzione degli archivi in corso."});
    }
    EXPECT_FALSE(dn::ui::CURMSG());
    EXPECT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(counts(file("SCADENZE.DBF")), "90000 0\n");
    EXPECT_LT(fs::file_size(file("SCADENZE.DBT")), memoBefore);
    expectCleanIndex("SCADENZE");
    expectCleanIndex("RUBRICA");
    // Without the question, the index message.
    {
        ShownWaits shown;
        app::MANUTENZ(false);
        EXPECT_EQ(shown.texts, std::vector<std::string>{"Ricostruzione degli indici in corso."});
    }
    EXPECT_EQ(messages_.asked.size(), 1u);
    expectCleanIndex("SCADENZE");
}

TEST_F(BackupTest, MaintenanceWaitsWhileAnotherInstanceHasTheTableOpen) {
    addDeadlines(200, 4);
    Worker w({"shared", "SCADENZE.DBF", "1500"});
    ASSERT_TRUE(w.ready());
    // On the real wait box, which the data layer's wait takes over for a while.
    dn::ui::installMessages();
    {
        ShownWaits shown;
        app::MANUTENZ(false);
        // The wait replaced the maintenance text, which came back afterwards.
        EXPECT_EQ(shown.texts, (std::vector<std::string>{"Spegnere tutti i terminali...",
                                                         "Ricostruzione degli indici in corso."}));
    }
    dn::ui::uninstallMessages();
    dn::setMessages(&messages_);
    // It went on once the other instance had closed the table.
    EXPECT_EQ(w.wait(), 0);
    EXPECT_EQ(counts(file("SCADENZE.DBF")), "150 0\n");
    expectCleanIndex("SCADENZE");
}

TEST_F(BackupTest, AFailedRebuildLeavesNoIndexThatDisagreesWithTheTable) {
    addDeadlines(200, 4);
    // The deadline table's new index file (the first one built, under a temporary
    // name) cannot be written: the disk is full.
    bool failed = false;
    dn::platform::FaultHooks hooks;
    hooks.onWrite = [&](const std::string& path, uint64_t, size_t) -> long long {
        if (failed || path.find('\x7f') == std::string::npos || !path.ends_with(".TMP"))
            return -1;
        failed = true;
        return 0;
    };
    dn::platform::setFaultHooks(hooks);
    app::MANUTENZ(false);
    dn::platform::clearFaultHooks();
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text.rfind("Spazio sul disco ", 0), 0u) << messages_.asked[0].text;
    // The table was packed; its old index described the records before the pack.
    EXPECT_EQ(counts(file("SCADENZE.DBF")), "150 0\n");
    EXPECT_FALSE(fs::exists(file("SCADENZE.NTX")));
    // The other table was maintained all the same, and the next start builds the
    // missing index.
    expectCleanIndex("RUBRICA");
    restart();
    ASSERT_TRUE(app::MAIN());
    expectCleanIndex("SCADENZE");
}
