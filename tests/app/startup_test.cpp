// The start-up sequence in a data folder of its own: what a first start creates,
// what later starts keep, the index rebuild, the configuration file, the purge and
// the failure paths.
#include "app/aggiorna.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/tables.h"
#include "common/config/variables.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/data/startup_lock.h"
#include "common/data/workspace.h"
#include "common/dbf/index_file.h"
#include "common/dbf/index_format.h"
#include "common/dbf/table.h"
#include "common/schema/tables.h"
#include "startup_fixture.h"
#include "tests/support/first_start.h"
#include "tests/support/mounts.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <fstream>
#include <map>

using namespace dn;
using namespace starttest;

namespace {

const std::set<std::string> kAllFiles = {"DELTRA.CFG",   "NET",         "RUBRICA.DBF",
                                         "RUBRICA.DBT",  "RUBRICA.NTX", "SCADENZE.DBF",
                                         "SCADENZE.DBT", "SCADENZE.NTX"};

struct Deadline {
    int slot;
    Date date;
    std::string time;
    bool done;
    std::string task;
};

// Appends deadlines through the data layer, as the editor does; returns their
// record numbers.
std::vector<uint32_t> addDeadlines(const std::vector<Deadline>& list) {
    std::vector<uint32_t> recnos;
    data::AreaGuard guard;
    EXPECT_TRUE(data::protect([&] {
        guard.open(schema::kDeadlines);
        data::ORDADD(schema::kDeadlines);
        for (const Deadline& d : list) {
            data::DBAPP();
            data::FIELDPUT("CODICE", schema::slotCode(d.slot));
            data::FIELDPUT("DATA", d.date);
            data::FIELDPUT("ORA", d.time);
            data::FIELDPUT("INCOMBENZA", d.task);
            data::FIELDPUT("EVASA", d.done);
            data::DBCOMMIT();
            recnos.push_back(data::DBRECNO());
            data::DBUNLOCK();
        }
    }));
    return recnos;
}

void deleteRecord(uint32_t recno) {
    data::AreaGuard guard;
    EXPECT_TRUE(data::protect([&] {
        guard.open(schema::kDeadlines);
        data::ORDADD(schema::kDeadlines);
        data::DBGOTO(recno);
        data::DBDEL();
    }));
}

// The fields of a layout as the independent reader lists them, then the record
// and deleted counts of an empty table.
std::string readerListing(const std::vector<dbf::FieldDef>& fields) {
    std::string s;
    for (const dbf::FieldDef& f : fields)
        s += f.name + " " + f.type + " " + std::to_string(f.width) + " " +
             std::to_string(f.decimals) + "\n";
    return s + "0 0\n";
}

// Record number -> deleted flag, read straight from the table file.
std::map<uint32_t, bool> deletedFlags(const std::string& table) {
    std::map<uint32_t, bool> out;
    dbf::Table t;
    t.open(table);
    for (uint32_t r = 1; r <= t.recordCount(); ++r) {
        t.goTo(r);
        out[r] = t.deleted();
    }
    return out;
}

} // namespace

TEST_F(StartupTest, FirstStartCreatesEveryFileAndLaterStartsKeepThem) {
    ASSERT_TRUE(app::MAIN());
    EXPECT_TRUE(messages_.asked.empty());
    EXPECT_FALSE(data::startupLockHeld());
    EXPECT_TRUE(data::usedAreas().empty()); // no table open when the panel starts
    EXPECT_EQ(fileNames(data()), kAllFiles);
    EXPECT_EQ(readFile(file("DELTRA.CFG")), dn::test::kFirstStartConfig);
    EXPECT_EQ(config::variables().names().size(), 24u);
    EXPECT_EQ(config::variables().text("CFG_NM10", "?"), "");
    EXPECT_FALSE(config::variables().logical("CFG_SOT", true));

    // The independent reader sees the layouts and the lock table's one record.
    EXPECT_EQ(dbfreadFields(file("SCADENZE.DBF")), readerListing(schema::deadlineFields()));
    EXPECT_EQ(dbfreadFields(file("RUBRICA.DBF")), readerListing(schema::contactFields()));
    EXPECT_EQ(dbfreadFields(file("NET")), "LOCK C 1 0\n1 0\n");

    const auto deadlines = dbf::IndexFile::open(file("SCADENZE.NTX"), false);
    EXPECT_EQ(deadlines.tagName(), "SCADENZE");
    EXPECT_EQ(deadlines.definition().keyExpression, schema::kDeadlineKey);
    EXPECT_EQ(deadlines.definition().forExpression, schema::kIndexCondition);
    EXPECT_EQ(deadlines.keyLength(), schema::kDeadlineKeyLength);
    EXPECT_FALSE(deadlines.definition().unique);
    const auto contacts = dbf::IndexFile::open(file("RUBRICA.NTX"), false);
    EXPECT_EQ(contacts.tagName(), "RUBRICA");
    EXPECT_EQ(contacts.definition().keyExpression, schema::kContactKey);
    EXPECT_EQ(contacts.definition().forExpression, schema::kIndexCondition);
    EXPECT_EQ(contacts.keyLength(), schema::kContactKeyLength);

    // A later start changes no file.
    const auto before = snapshot(data());
    restart();
    ASSERT_TRUE(app::MAIN());
    EXPECT_EQ(snapshot(data()), before);
    EXPECT_TRUE(messages_.asked.empty());
}

TEST_F(StartupTest, MissingDeadlineIndexIsRebuiltWithoutDeletedRecords) {
    ASSERT_TRUE(app::MAIN());
    const Date d = Date::fromYmd(2030, 5, 6);
    const auto recnos = addDeadlines({{10, d, "", false, "riunione"},
                                      {3, d, "09:30", false, "telefonare"},
                                      {3, d, "", false, "posta"},
                                      {3, d.addDays(-1), "18:00", false, "da cancellare"},
                                      {3, d.addDays(1), "08:00", false, "banca"}});
    deleteRecord(recnos[3]);
    // The reader lists keys without their trailing blanks.
    const std::string day = d.dtos(), next = d.addDays(1).dtos();
    const std::string expected = "         3" + day + "\t3\n" +       //
                                 "         3" + day + "09:30\t2\n" +  //
                                 "         3" + next + "08:00\t5\n" + //
                                 "        10" + day + "\t1\n";
    ASSERT_EQ(perlKeys(file("SCADENZE.NTX"), "SCADENZE"), expected);

    restart();
    fs::remove(data() / "SCADENZE.NTX");
    auto before = snapshot(data());
    before.erase("SCADENZE.NTX");
    ASSERT_TRUE(app::MAIN());
    auto after = snapshot(data());
    ASSERT_TRUE(after.count("SCADENZE.NTX"));
    EXPECT_EQ(perlKeys(file("SCADENZE.NTX"), "SCADENZE"), expected);
    after.erase("SCADENZE.NTX");
    EXPECT_EQ(after, before); // nothing else changed

    // The records as the independent reader sees them: the deleted one apart.
    const std::string rows = dbfreadRows(file("SCADENZE.DBF"));
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 5);
    EXPECT_EQ(rows.rfind(" |", 0), 0u) << rows;
    EXPECT_NE(rows.find("\n*|"), std::string::npos) << rows;
}

TEST_F(StartupTest, HandEditedConfigurationIsLoadedAndWrittenBackInPlace) {
    writeFile(file("DELTRA.CFG"), "; impostazioni\r\n"
                                  "[Vars]\r\n"
                                  "CFG_NM01=CRossi\r\n"
                                  "CFG_XYZ=Cabc\r\n"
                                  "CFG_DES=L.T.\r\n"
                                  "CFG_SUP=N12abc\r\n"
                                  "CFG_SIN=X1\r\n"
                                  "; fine\r\n");
    const std::string edited = readFile(file("DELTRA.CFG"));
    ASSERT_TRUE(app::MAIN());
    EXPECT_EQ(readFile(file("DELTRA.CFG")), edited); // loading writes nothing
    const auto& vars = config::variables();
    EXPECT_EQ(vars.text("CFG_NM01"), "Rossi");
    EXPECT_EQ(vars.text("CFG_XYZ"), "abc");
    EXPECT_TRUE(vars.logical("CFG_DES"));
    EXPECT_EQ(vars.number("CFG_SUP", -1), 12);
    EXPECT_EQ(vars.number("CFG_SIN", -1), 0); // X1 ignored: the default stays
    EXPECT_FALSE(vars.logical("CFG_SOT", true));
    EXPECT_EQ(vars.names().size(), 25u);

    // A save writes what changed and what the file lacks; a line that reads as the
    // value in force ("N12abc" is 12) is left as the user wrote it.
    config::variables().set("CFG_NM01", "Rossi  ");
    ASSERT_TRUE(app::saveConfig());
    std::string expected = "; impostazioni\r\n"
                           "[Vars]\r\n"
                           "CFG_NM01=CRossi\r\n"
                           "CFG_XYZ=Cabc\r\n"
                           "CFG_DES=L.T.\r\n"
                           "CFG_SUP=N12abc\r\n"
                           "CFG_SIN=N0\r\n"
                           "; fine\r\n";
    for (int i = 2; i <= 10; ++i)
        expected += "CFG_NM" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=C\r\n";
    for (int i = 1; i <= 10; ++i)
        expected += "CFG_PW" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=C\r\n";
    expected += "CFG_SOT=L.F.\r\n";
    EXPECT_EQ(readFile(file("DELTRA.CFG")), expected);
    ASSERT_TRUE(app::saveConfig());
    EXPECT_EQ(readFile(file("DELTRA.CFG")), expected);

    // The unknown name survives the next run too.
    restart();
    ASSERT_TRUE(app::MAIN());
    EXPECT_EQ(config::variables().text("CFG_XYZ"), "abc");
    EXPECT_EQ(config::variables().text("CFG_NM01"), "Rossi");
}

// The deadline index's root page loses its mark: the header no longer points at a
// root, which opening the index reports as damage.
void unmarkIndexRoot(const std::string& path) {
    std::string bytes = readFile(path);
    const uint32_t root = dbf::cdx::getLe32(reinterpret_cast<const uint8_t*>(bytes.data()) +
                                            dbf::cdx::kTagHeaderOffset);
    bytes[root] = static_cast<char>(bytes[root] & ~dbf::cdx::kAttrRoot);
    writeFile(path, bytes);
}

TEST_F(StartupTest, ADamagedIndexIsRebuiltOnceWithANoticeBeforeThePurgeUsesIt) {
    const Date today = Date::fromYmd(2024, 3, 15);
    dn::test::FixedClock fixed(today, 10 * 3600 * 1000);
    ASSERT_TRUE(app::MAIN());
    addDeadlines({{1, today, "", false, "aperta"},
                  {2, today.addDays(-2), "", true, "fatta prima"},
                  {4, today.addDays(5), "", false, "dopo"}});
    unmarkIndexRoot(file("SCADENZE.NTX"));

    restart();
    ASSERT_TRUE(app::MAIN());
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text, app::rebuiltIndexNotice("SCADENZE.NTX"));
    EXPECT_FALSE(data::startupLockHeld());
    // Rebuilt from the table, then purged through it: two live keys.
    const std::string keys = perlKeys(file("SCADENZE.NTX"), "SCADENZE");
    EXPECT_EQ(std::count(keys.begin(), keys.end(), '\n'), 2) << keys;
    EXPECT_EQ(keys.find("\t2\n"), std::string::npos) << keys;
    EXPECT_TRUE(deletedFlags(file("SCADENZE.DBF"))[2]);
    // The next start finds nothing to mend.
    restart();
    ASSERT_TRUE(app::MAIN());
    EXPECT_EQ(messages_.asked.size(), 1u);
}

// Another instance still has the table (and the damaged index) open: the file stays
// where it is until the rebuild has the table alone, and is then replaced whole.
TEST_F(StartupTest, ADamagedIndexStaysInPlaceUntilTheRebuildHasTheTableAlone) {
    ASSERT_TRUE(app::MAIN());
    unmarkIndexRoot(file("SCADENZE.NTX"));
    restart();
    auto other = std::make_unique<dbf::Table>();
    other->open(file("SCADENZE.DBF"), {true, true});
    bool presentWhileShared = false;
    messages_.onWait = [&](const std::string&) {
        if (!other)
            return;
        presentWhileShared = std::filesystem::exists(file("SCADENZE.NTX"));
        other.reset();
    };
    ASSERT_TRUE(app::MAIN());
    EXPECT_FALSE(other) << "the rebuild waited for the other open";
    EXPECT_TRUE(presentWhileShared);
    EXPECT_EQ(messages_.askedTexts(),
              std::vector<std::string>{app::rebuiltIndexNotice("SCADENZE.NTX")});
    EXPECT_EQ(dbf::IndexFile::open(file("SCADENZE.NTX"), false).count(), 0u);
}

TEST_F(StartupTest, ATableOfAnotherStructureEndsTheStartWithTheFileMessage) {
    ASSERT_TRUE(app::MAIN());
    // Another program's table of the same name: the code field is called otherwise.
    std::string bytes = readFile(file("SCADENZE.DBF"));
    const size_t name = bytes.find("CODICE");
    ASSERT_LT(name, 64u);
    bytes.replace(name, 6, "CODICX");
    writeFile(file("SCADENZE.DBF"), bytes);
    restart();
    const auto before = snapshot(data());
    EXPECT_FALSE(app::MAIN());
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text, "Il file SCADENZE.DBF risulta corrotto.");
    EXPECT_EQ(snapshot(data()), before); // the index is not rebuilt, nothing written
}

TEST_F(StartupTest, PurgeDeletesOnlyDoneDeadlinesOfPastDays) {
    const Date today = Date::fromYmd(2024, 3, 15);
    dn::test::FixedClock fixed(today, 10 * 3600 * 1000);
    ASSERT_TRUE(app::MAIN());
    const auto recnos = addDeadlines({{1, today, "", true, "fatta oggi"},
                                      {1, today.addDays(-365), "", false, "aperta l'anno scorso"},
                                      {1, today.addDays(-1), "23:59", true, "fatta ieri"},
                                      {2, today.addDays(-1), "", false, "aperta ieri"},
                                      {2, today.addDays(-400), "", true, "fatta tempo fa"},
                                      {2, today.addDays(3), "", true, "fatta in anticipo"}});
    restart();
    ASSERT_TRUE(app::MAIN());
    const std::map<uint32_t, bool> expected = {{1, false}, {2, false}, {3, true},
                                               {4, false}, {5, true},  {6, false}};
    EXPECT_EQ(deletedFlags(file("SCADENZE.DBF")), expected);
    // The index follows: only the four survivors are keyed.
    const std::string keys = perlKeys(file("SCADENZE.NTX"), "SCADENZE");
    EXPECT_EQ(std::count(keys.begin(), keys.end(), '\n'), 4) << keys;
    EXPECT_EQ(keys.find("\t3\n"), std::string::npos);
    EXPECT_EQ(keys.find("\t5\n"), std::string::npos);

    // The next day the deadline done today goes too.
    fixed.set(today.addDays(1));
    ASSERT_TRUE(app::AGGIORNA());
    EXPECT_TRUE(deletedFlags(file("SCADENZE.DBF"))[1]);
    EXPECT_TRUE(data::usedAreas().empty());
    (void)recnos;
}

TEST_F(StartupTest, FailedContactIndexBuildLeavesNoIndexAndEndsTheStart) {
    // A full disk while the index is written.
    platform::FaultHooks hooks;
    hooks.onWrite = [this](const std::string& path, uint64_t, size_t) -> long long {
        const bool building =
            path.find('\x7F') != std::string::npos && path.find("NET") == std::string::npos;
        return building && fs::exists(data() / "SCADENZE.NTX") ? 0 : -1;
    };
    platform::setFaultHooks(hooks);
    EXPECT_FALSE(app::MAIN());
    platform::clearFaultHooks();
    EXPECT_EQ(fileNames(data()),
              (std::set<std::string>{"NET", "RUBRICA.DBF", "RUBRICA.DBT", "SCADENZE.DBF",
                                     "SCADENZE.DBT", "SCADENZE.NTX"}));
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_NE(messages_.asked[0].text.find("insufficiente"), std::string::npos)
        << messages_.asked[0].text;
    EXPECT_FALSE(config::variables().exists("CFG_NM01")); // the start went no further

    // The index is in place but cannot be opened afterwards: it is deleted again.
    restart();
    dbf::IndexFile::setLockTimeout(200);
    platform::FaultHooks refuse;
    refuse.refuseLock = [](const std::string& path, uint64_t, uint64_t) {
        return path.ends_with("RUBRICA.NTX");
    };
    platform::setFaultHooks(refuse);
    EXPECT_FALSE(app::MAIN());
    platform::clearFaultHooks();
    dbf::IndexFile::setLockTimeout(30000);
    EXPECT_FALSE(fs::exists(data() / "RUBRICA.NTX"));
    EXPECT_EQ(messages_.asked.size(), 2u);

    // The next start builds it.
    restart();
    ASSERT_TRUE(app::MAIN());
    EXPECT_EQ(fileNames(data()), kAllFiles);
}

namespace {

// What the program showed in a child process: the texts of its message boxes and
// the captions of every other window that became visible.
std::vector<std::string> g_boxes;
std::vector<std::string> g_windows;

// Runs inside the program's QApplication as soon as it exists: answers every
// message box and notes every other visible window.
void watchWindows() {
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible())
                continue;
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                g_boxes.push_back(box->text().toStdString());
                box->done(0);
            } else {
                g_windows.push_back(w->windowTitle().toStdString());
            }
        }
    });
    timer->start(20);
}

// Runs the program with every write to the contact table failing; exits 0 when
// it ended with code 1 after one message and no window.
[[noreturn]] void runFailedStart() {
    platform::FaultHooks hooks;
    hooks.onWrite = [](const std::string& path, uint64_t, size_t) -> long long {
        return path.find("RUBRICA") != std::string::npos ? 0 : -1;
    };
    platform::setFaultHooks(hooks);
    data::setEndProgram({});
    qAddPreRoutine(watchWindows);
    char name[] = "deltranota";
    char* argv[] = {name, nullptr};
    const int code = app::run(1, argv);
    for (const auto& t : g_boxes)
        std::fprintf(stderr, "box: %s\n", t.c_str());
    for (const auto& t : g_windows)
        std::fprintf(stderr, "window: %s\n", t.c_str());
    const bool ok = code == 1 && g_windows.empty() && g_boxes.size() == 1 &&
                    g_boxes[0].find("insufficiente") != std::string::npos &&
                    !fs::exists("RUBRICA.DBF") && fs::exists("SCADENZE.NTX");
    ::_exit(ok ? 0 : 2);
}

} // namespace

TEST_F(StartupTest, FailedStartShowsItsMessageAndOpensNoWindow) {
    // The program runs in a fresh process of this test program: a fork would carry
    // the QApplication and the threads that other tests of this program started.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(runFailedStart(), ::testing::ExitedWithCode(0), "")
        << "the failed start did not end with code 1 after one message and no window";
}

// A configuration file that cannot be written is reported and ends the start,
// instead of passing as saved.
TEST_F(StartupTest, UnwritableConfigurationFileEndsTheStartWithItsMessage) {
    auto mount = dn::test::ScopedMount::tmpfs(data().string(), 256 * 1024);
    if (!mount.ok())
        GTEST_SKIP() << mount.error();
    fs::current_path(data()); // into the new file system
    ASSERT_TRUE(app::MAIN());
    restart();
    fs::remove(data() / "DELTRA.CFG");
    {
        std::ofstream fill(data() / "fill", std::ios::binary);
        const std::string block(4096, 'x');
        while (fill.write(block.data(), block.size()) && fill.flush()) {
        }
    }
    EXPECT_FALSE(app::MAIN());
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text.rfind("Spazio sul disco ", 0), 0u) << messages_.asked[0].text;
    EXPECT_NE(messages_.asked[0].text.find("DELTRA.CFG"), std::string::npos);
    EXPECT_FALSE(fs::exists(data() / "DELTRA.CFG"));
    EXPECT_FALSE(data::startupLockHeld()); // released before the message
    EXPECT_EQ(config::variables().names().size(), 24u);

    fs::remove(data() / "fill");
    restart();
    ASSERT_TRUE(app::MAIN());
    EXPECT_EQ(readFile(file("DELTRA.CFG")), dn::test::kFirstStartConfig);
    restart();
    fs::current_path(data().parent_path());
}
