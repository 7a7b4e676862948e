// Backup and restore as a user runs them: the file dialogs, the questions and wait
// messages, the archive as other tools read it, and what a restore leaves behind.
#include "backup_fixture.h"

#include "app/backup.h"
#include "app/settings.h"
#include "common/archive/archive.h"
#include "common/config/variables.h"
#include "common/util/clock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

using namespace backuptest;
namespace app = dn::app;
namespace t = dn::test;

namespace {

const char* const kRestoreQuestion = "Spegnere tutti i terminali.;;Continuo l'operazione?";

std::string cfgName(int slot) {
    return dn::config::variables().get("CFG_NM0" + std::to_string(slot)).text();
}

class BackupRestore : public BackupTest {
protected:
    void SetUp() override {
        BackupTest::SetUp();
        addDeadlines(300, 7);
        addContacts(40);
        fs::create_directories(elsewhere());
    }
    fs::path elsewhere() const { return temp() / "chiavetta"; }

    // Runs SALVA({"DELTRA.CFG"}), choosing `name` in the save dialog.
    bool backup(const std::string& name) {
        t::DialogDriver drive;
        drive.allow("Attendere");
        drive.onFile([&](QFileDialog& d) { t::chooseFile(d, name); });
        ShownWaits shown;
        const bool ok = app::SALVA({app::kConfigFile});
        waits = shown.texts;
        return ok;
    }
    // Runs RICARICA, confirming the question and choosing `name` to open.
    bool restore(const std::string& name) {
        t::DialogDriver drive;
        drive.allow("Attendere");
        drive.onFile([&](QFileDialog& d) { t::chooseFile(d, name); });
        messages_.answer(1);
        ShownWaits shown;
        const bool ok = app::RICARICA();
        waits = shown.texts;
        return ok;
    }

    std::vector<std::string> waits;
};

} // namespace

TEST_F(BackupRestore, TheSaveDialogProposesTodaysArchiveInTheDataFolder) {
    dn::clock::setFixed(dn::Date::fromYmd(2024, 2, 19), 9 * 3600 * 1000);
    EXPECT_EQ(app::defaultArchiveName(dn::Date::fromYmd(2024, 2, 19)),
              "Salvataggio archivi test_app del 19022024.zip");
    t::FileDialogState seen;
    {
        t::DialogDriver drive;
        drive.onFile([&](QFileDialog& d) {
            seen = t::fileDialogState(d);
            t::cancelFile(d);
        });
        EXPECT_FALSE(app::SALVA({app::kConfigFile}));
    }
    EXPECT_TRUE(seen.save);
    EXPECT_EQ(seen.title, "Salvataggio dati");
    EXPECT_EQ(seen.filters, std::vector<std::string>{"File ZIP (*.zip)"});
    EXPECT_EQ(seen.folder, data().string());
    EXPECT_EQ(seen.name, "Salvataggio archivi test_app del 19022024.zip");
    // Cancelled: nothing said, nothing written.
    EXPECT_TRUE(messages_.asked.empty());
    EXPECT_EQ(
        fileNames(data()),
        (std::set<std::string>{"DELTRA.CFG", "NET", "RUBRICA.DBF", "RUBRICA.DBT", "RUBRICA.NTX",
                               "SCADENZE.DBF", "SCADENZE.DBT", "SCADENZE.NTX"}));
}

TEST_F(BackupRestore, ABackupHoldsTablesMemosAndSettingsAndReadsSound) {
    const std::string chosen = (elsewhere() / "copia").string();
    ASSERT_TRUE(backup(chosen));
    EXPECT_EQ(waits, std::vector<std::string>{"Compressione in corso..."});
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].kind, 1);
    EXPECT_EQ(messages_.asked[0].text, "Salvataggio completato.");
    // ".zip" was added to the name chosen without an extension.
    const std::string archive = chosen + ".zip";
    EXPECT_EQ(dn::test::commandOutput("unzip -Z1 '" + archive + "'"),
              "RUBRICA.DBF\nRUBRICA.DBT\nSCADENZE.DBF\nSCADENZE.DBT\nDELTRA.CFG\n");
    EXPECT_NE(dn::test::commandOutput("unzip -t '" + archive + "'").find("No errors detected"),
              std::string::npos);
    // A name with an extension is kept as chosen.
    ASSERT_TRUE(backup((elsewhere() / "copia.bak").string()));
    EXPECT_TRUE(fs::exists(elsewhere() / "copia.bak"));
}

TEST_F(BackupRestore, ARestoreIntoAnEmptiedFolderGivesBackTheSameRecords) {
    const std::string archive = (elsewhere() / "copia.zip").string();
    ASSERT_TRUE(backup(archive));
    const std::string deadlines = dbfreadRows(file("SCADENZE.DBF"));
    const std::string contacts = dbfreadRows(file("RUBRICA.DBF"));
    const std::string config = readFile(file("DELTRA.CFG"));
    for (const std::string& n : fileNames(data()))
        fs::remove(data() / n);
    messages_.asked.clear();

    ASSERT_TRUE(restore(archive));
    ASSERT_EQ(messages_.asked.size(), 2u);
    EXPECT_EQ(messages_.asked[0].kind, 2);
    EXPECT_EQ(messages_.asked[0].text, kRestoreQuestion);
    EXPECT_EQ(messages_.asked[1].kind, 1);
    EXPECT_EQ(messages_.asked[1].text, "Ripristino completato.");
    EXPECT_EQ(waits, (std::vector<std::string>{"Decompressione in corso...",
                                               "Ricostruzione degli indici in corso."}));
    EXPECT_EQ(fileNames(data()),
              (std::set<std::string>{"DELTRA.CFG", "RUBRICA.DBF", "RUBRICA.DBT", "RUBRICA.NTX",
                                     "SCADENZE.DBF", "SCADENZE.DBT", "SCADENZE.NTX"}));
    expectCleanIndex("SCADENZE");
    expectCleanIndex("RUBRICA");
    // The live records are those backed up; the maintenance after the restore
    // removed the deleted ones.
    const std::string restored = dbfreadRows(file("SCADENZE.DBF"));
    EXPECT_EQ(restored, deadlines.substr(0, restored.size()));
    EXPECT_EQ(std::count(restored.begin(), restored.end(), '\n'), 300 - 300 / 7 - 1);
    EXPECT_EQ(dbfreadRows(file("RUBRICA.DBF")), contacts);
    EXPECT_EQ(readFile(file("DELTRA.CFG")), config);
}

TEST_F(BackupRestore, TheRestoredSettingsAreThoseInForce) {
    dn::config::variables().set("CFG_NM01", dn::Value(std::string("Anna")));
    ASSERT_TRUE(app::saveConfig());
    const std::string archive = (elsewhere() / "copia.zip").string();
    ASSERT_TRUE(backup(archive));
    dn::config::variables().set("CFG_NM01", dn::Value(std::string("Bruno")));
    ASSERT_TRUE(app::saveConfig());
    ASSERT_TRUE(restore(archive));
    EXPECT_EQ(cfgName(1), "Anna");
    // A later save of the settings writes the restored values, not the old ones.
    ASSERT_TRUE(app::saveConfig());
    EXPECT_NE(readFile(file("DELTRA.CFG")).find("CFG_NM01=CAnna"), std::string::npos);
}

TEST_F(BackupRestore, CancellingTheQuestionOrTheDialogRestoresNothing) {
    const std::string archive = (elsewhere() / "copia.zip").string();
    ASSERT_TRUE(backup(archive));
    addContacts(5);
    const auto before = snapshot(data());
    messages_.answer(0);
    EXPECT_FALSE(app::RICARICA());
    {
        t::DialogDriver drive;
        t::FileDialogState seen;
        drive.onFile([&](QFileDialog& d) {
            seen = t::fileDialogState(d);
            t::cancelFile(d);
        });
        messages_.answer(1);
        EXPECT_FALSE(app::RICARICA());
        EXPECT_FALSE(seen.save);
        EXPECT_EQ(seen.title, "Ripristina dati da");
        EXPECT_EQ(seen.filters, std::vector<std::string>{"File ZIP (*.zip)"});
        EXPECT_EQ(seen.folder, data().string());
    }
    EXPECT_EQ(messages_.asked.size(), 3u); // the notice of the backup, then the two questions
    EXPECT_EQ(snapshot(data()), before);
}

TEST_F(BackupRestore, AnArchiveOfAnotherProgramIsRefused) {
    const auto before = snapshot(data());
    // A table of another program, and our deadline table with a layout of its own.
    {
        dn::dbf::Table::create((temp() / "ALTRO").string(), {{"NOME", 'C', 20, 0}});
        dn::dbf::Table::create((temp() / "SCADENZE").string(), {{"CODICE", 'C', 12, 0}});
    }
    for (const char* table : {"ALTRO.DBF", "SCADENZE.DBF"}) {
        const std::string archive = (elsewhere() / "altro.zip").string();
        fs::remove(archive);
        dn::test::commandOutput("cd '" + temp().string() + "' && zip -q '" + archive + "' " +
                                table);
        messages_.asked.clear();
        EXPECT_FALSE(restore(archive)) << table;
        ASSERT_EQ(messages_.asked.size(), 2u) << table;
        EXPECT_EQ(messages_.asked[1].text, dn::archive::kMsgExtractFailed + archive);
        EXPECT_EQ(snapshot(data()), before) << table;
    }
}

TEST_F(BackupRestore, ARestoreWaitsForTheOtherInstancesToCloseTheTables) {
    const std::string archive = (elsewhere() / "copia.zip").string();
    ASSERT_TRUE(backup(archive));
    addDeadlines(20);
    Worker w({"shared", "RUBRICA.DBF", "1500"});
    ASSERT_TRUE(w.ready());
    dn::ui::installMessages();
    t::DialogDriver drive;
    drive.allow("Attendere").allow("Attenzione"); // the wait boxes
    drive.onFile([&](QFileDialog& d) { t::chooseFile(d, archive); });
    // The real question box, answered with OK as soon as it shows.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->accept();
    });
    answer.start(20);
    bool restored = false;
    std::vector<std::string> shown;
    {
        ShownWaits s;
        restored = app::RICARICA();
        shown = s.texts;
    }
    answer.stop();
    dn::ui::uninstallMessages();
    dn::setMessages(&messages_);
    EXPECT_TRUE(restored);
    EXPECT_EQ(w.wait(), 0);
    EXPECT_EQ(shown, (std::vector<std::string>{"Decompressione in corso...",
                                               "Spegnere tutti i terminali...",
                                               "Ricostruzione degli indici in corso."}));
    expectCleanIndex("SCADENZE");
    expectCleanIndex("RUBRICA");
}

TEST_F(BackupRestore, TheUserTableGetsItsIndexAgainOrTheProgramEnds) {
    const std::string archive = (elsewhere() / "copia.zip").string();
    dn::dbf::Table::create(file("USERS"), {{"USERID", 'C', 10, 0}, {"NOME", 'C', 20, 0}});
    {
        dn::dbf::Table users;
        users.open(file("USERS"), {false, false});
        for (const char* id : {"ROSSI", "BIANCHI"}) {
            users.append();
            users.put("USERID", dn::Value(std::string(id)));
        }
        users.commit();
    }
    ASSERT_TRUE(backup(archive));
    EXPECT_NE(dn::test::commandOutput("unzip -Z1 '" + archive + "'").find("USERS.DBF"),
              std::string::npos);
    ASSERT_TRUE(restore(archive));
    expectCleanIndex("USERS");
    EXPECT_NE(perlKeys(file("USERS.NTX"), "USERS").find("BIANCHI"), std::string::npos);

    // The user table's index cannot be built (the third index built, after the
    // two of the application, finds the disk full): the index file goes and the
    // program ends.
    std::set<std::string> builds;
    dn::platform::FaultHooks hooks;
    hooks.onWrite = [&](const std::string& path, uint64_t, size_t) -> long long {
        if (path.find('\x7f') == std::string::npos || !path.ends_with(".TMP"))
            return -1;
        builds.insert(path);
        return builds.size() == 3 ? 0 : -1;
    };
    t::DialogDriver drive;
    drive.allow("Attendere");
    drive.onFile([&](QFileDialog& d) { t::chooseFile(d, archive); });
    messages_.answer(1);
    dn::platform::setFaultHooks(hooks);
    EXPECT_THROW(app::RICARICA(), std::runtime_error);
    dn::platform::clearFaultHooks();
    EXPECT_EQ(messages_.asked.back().text.rfind("Spazio sul disco ", 0), 0u)
        << messages_.asked.back().text;
    EXPECT_FALSE(fs::exists(file("USERS.NTX")));
}
