#include "common/data/errors.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/data/startup_lock.h"
#include "common/dbf/error.h"
#include "common/disk/checks.h"
#include "common/disk/folders.h"
#include "common/util/cp1252.h"
#include "data_test_util.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "tests/support/files.h"

#include <cerrno>
#ifdef _WIN32
#include "platform/win/win32.h"
#else
#include "tests/support/mounts.h"
#endif
#include <fstream>

using namespace dn;
using namespace dn::data;
using datatest::DataTest;
using platform::FileError;
using platform::FileErrorKind;

namespace fs = std::filesystem;

namespace {

// The system's error codes behind each row of the message table.
#ifdef _WIN32
constexpr int kNotReady = ERROR_NOT_READY, kNotFormatted = ERROR_GEN_FAILURE,
              kWriteProtected = ERROR_WRITE_PROTECT, kDirectoryFull = ERROR_CANNOT_MAKE,
              kDiskFull = ERROR_DISK_FULL, kAccess = ERROR_ACCESS_DENIED,
              kSharing = ERROR_SHARING_VIOLATION, kNotFound = ERROR_FILE_NOT_FOUND;
#else
constexpr int kNotReady = ENXIO, kNotFormatted = EIO, kWriteProtected = EROFS,
              kDirectoryFull = EMLINK, kDiskFull = ENOSPC, kAccess = EACCES, kSharing = EAGAIN,
              kNotFound = ENOENT;
#endif

class ErrorsTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        setEndProgram([this] { ++ended; });
        setOpenReport([this](const std::string& url) {
            links.push_back(url);
            return true;
        });
    }
    void TearDown() override {
        setEndProgram({});
        setOpenReport({});
        DataTest::TearDown();
    }
    // The message the handler shows for an error thrown in a protected block.
    std::string messageFor(const std::function<void()>& fail) {
        msgs.events.clear();
        msgs.asked.clear();
        EXPECT_FALSE(protect(fail));
        const auto asked = msgs.askedTexts();
        return asked.empty() ? std::string("<none>") : asked.back();
    }
    static std::function<void()> fileError(FileErrorKind k, int os, const std::string& path) {
        return [=] { throw FileError(k, path, os, "failed"); };
    }

    std::vector<std::string> links;
    int ended = 0;
};

TEST_F(ErrorsTest, EveryRowOfTheTableGivesItsMessageNamingTheFile) {
    EXPECT_EQ(messageFor(fileError(FileErrorKind::Io, kNotReady, "A:/X.DBF")),
              "Disco A:/X.DBF non pronto.");
    EXPECT_EQ(messageFor(fileError(FileErrorKind::Io, kNotFormatted, "X.DBF")),
              "Disco X.DBF non formattato.");
    EXPECT_EQ(messageFor(fileError(FileErrorKind::WriteProtected, kWriteProtected, "X.DBF")),
              "Disco X.DBF protetto da scrittura.");
    EXPECT_EQ(messageFor(fileError(FileErrorKind::Io, kDirectoryFull, "DIR")),
              "Directory DIR piena.");
    EXPECT_EQ(messageFor(fileError(FileErrorKind::DiskFull, kDiskFull, "X.DBT")),
              "Spazio sul disco X.DBT insufficiente.");
    EXPECT_EQ(messageFor(fileError(FileErrorKind::AccessDenied, kAccess, "X.DBF")),
              "Impossibile accedere al file X.DBF.");
    EXPECT_EQ(messageFor(fileError(FileErrorKind::Sharing, kSharing, "X.NTX")),
              "Impossibile accedere al file X.NTX.");
    EXPECT_EQ(messageFor(fileError(FileErrorKind::NotFound, kNotFound, "NODIR/X.DBF")),
              "Percorso NODIR/X.DBF non trovato.");
    EXPECT_EQ(messageFor(fileError(FileErrorKind::NotFound, kNotFound, "X.DBF")),
              "Impossibile aprire il file X.DBF.");
    // Where letter case names another file, the name is shown as it is.
    EXPECT_EQ(messageFor(fileError(FileErrorKind::NotFound, kNotFound, "nodir/x.dbf")),
              "Percorso " + datatest::shownName("nodir/x.dbf") + " non trovato.");
    EXPECT_EQ(messageFor([] { throw dbf::CorruptFile("SCADENZE.NTX", "bad page"); }),
              "Il file SCADENZE.NTX risulta corrotto.");
    const std::string raised =
        messageFor([] { throw RaisedError("DBCMD", 1001, "Operazione non valida", "SEEK"); });
    EXPECT_EQ(raised.rfind("Error DBCMD/1001  Operazione non valida: SEEK;Function: ", 0), 0u)
        << raised;
    EXPECT_NE(raised.find("  Line: "), std::string::npos);
    // None of them ends the program.
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(links.empty());
}

TEST_F(ErrorsTest, EveryDiskOrFileNoticeShowsAfterTheStartupLockIsReleased) {
    ASSERT_TRUE(SCREATE());
    std::vector<bool> heldWhileShown;
    msgs.onAsk = [&](const dn::test::ScriptedMessages::Asked&) {
        heldWhileShown.push_back(startupLockHeld());
    };
    // Checks that pass keep the lock.
    SLOCK();
    const std::string drive = dataDir() + "/";
    EXPECT_TRUE(disk::ISREADY(drive));
    EXPECT_FALSE(disk::ISPROTECTED(drive));
    EXPECT_FALSE(disk::ISREADONLY("NET"));
    EXPECT_TRUE(startupLockHeld());
    // A check that fails releases it even when it shows nothing.
    EXPECT_FALSE(disk::ISREADY(dataDir() + "/missing/", false));
    EXPECT_FALSE(startupLockHeld());
    EXPECT_TRUE(msgs.events.empty());

    const auto failWithLockHeld = [&](const std::function<bool()>& fail) {
        SLOCK();
        ASSERT_TRUE(startupLockHeld());
        EXPECT_FALSE(fail());
        EXPECT_FALSE(startupLockHeld());
    };
    failWithLockHeld([&] { return disk::ISREADY(dataDir() + "/missing/"); });
    failWithLockHeld([&] { return disk::COPYDIR(dataDir() + "/missing", dataDir() + "/copy"); });
    failWithLockHeld([&] { return disk::DELETEDIR(dataDir() + "/missing"); });
    failWithLockHeld([] { return protect([] { DBOPEN(false, {}, "nope"); }); });
    EXPECT_EQ(msgs.asked.size(), 4u);
    EXPECT_EQ(heldWhileShown, std::vector<bool>(4, false));
}

TEST_F(ErrorsTest, RealFailuresOfFilesGiveTheirMessages) {
    EXPECT_EQ(messageFor([] { DBOPEN(false, {}, "nope"); }),
              "Impossibile aprire il file NOPE.DBF.");
    EXPECT_EQ(messageFor([] { DBOPEN(false, {}, "nodir/nope"); }),
              "Percorso " + datatest::shownName("nodir") + "/NOPE.DBF non trovato.");
    std::ofstream("BAD.DBF") << "not a table";
    EXPECT_EQ(messageFor([] { DBOPEN(false, {}, "BAD"); }), "Il file BAD.DBF risulta corrotto.");
    // An index whose stored key does not compile against the table, or gives keys of
    // another length, is damage of the index, not an error to report by e-mail.
    DBGEN("SCADENZE", datatest::deadlineFields());
    DBOPEN(false, {}, "SCADENZE");
    ORDBUILD("CODICI", "", "CODICE");
    DBCLOSE();
    const std::string good = dn::test::readFile("CODICI.NTX");
    const size_t key = good.find("CODICE");
    ASSERT_NE(key, std::string::npos);
    for (const char* other : {"XODICE", "ORA   "}) {
        std::string bytes = good;
        bytes.replace(key, 6, other);
        dn::test::writeFile("CODICI.NTX", bytes);
        EXPECT_EQ(messageFor([] {
                      DBOPEN(false, {}, "SCADENZE");
                      ORDADD("CODICI");
                  }),
                  "Il file CODICI.NTX risulta corrotto.")
            << other;
        EXPECT_TRUE(links.empty());
        DBCLOSE();
    }
    // An abort after a check's own message shows nothing more.
    EXPECT_EQ(messageFor([] { throw disk::DiskAbort("refused"); }), "<none>");
    EXPECT_EQ(messageFor([] { throw Abort(); }), "<none>");
}

#ifdef _WIN32
// A full or write-protected disk cannot be had under Wine; a read-only table is
// the refusal that can, and it is named.
TEST_F(ErrorsTest, AReadOnlyTableIsTriedForReal) {
    DBGEN("SCADENZE", datatest::deadlineFields());
    ASSERT_TRUE(platform::SETFILEATTRIBUTES("SCADENZE.DBF", platform::kAttrReadOnly));
    EXPECT_EQ(messageFor([] { DBOPEN(false, {}, "scadenze"); }),
              "Impossibile accedere al file SCADENZE.DBF.");
    EXPECT_FALSE(USED());
    DBOPEN(false, {}, "scadenze", {}, true, true); // read-only opens still work
    EXPECT_TRUE(USED());
    DBCLOSE();
    ASSERT_TRUE(platform::SETFILEATTRIBUTES("SCADENZE.DBF", platform::kAttrNormal));
}
#else
TEST_F(ErrorsTest, AFullDiskAndAWriteProtectedDiskAreTriedForReal) {
    const std::string small = dataDir() + "/small";
    fs::create_directories(small);
    {
        auto m = dn::test::ScopedMount::tmpfs(small, 64 * 1024);
        if (!m.ok())
            GTEST_SKIP() << m.error();
        DBGEN(small + "/RUBRICA", datatest::contactFields());
        const std::string msg = messageFor([&] {
            DBOPEN(false, {}, small + "/RUBRICA");
            for (int i = 0; i < 10000; ++i) {
                DBAPP();
                FIELDPUT("NOTE", Value(std::string(500, 'n')));
                DBCOMMIT();
                DBUNLOCK();
            }
        });
        EXPECT_EQ(msg.rfind("Spazio sul disco ", 0), 0u) << msg;
        EXPECT_NE(msg.find(" insufficiente."), std::string::npos) << msg;
        // What was committed before is all there and readable.
        const uint32_t count = area().lastRec();
        DBCLOSE();
        DBOPEN(false, {}, small + "/RUBRICA");
        EXPECT_EQ(area().lastRec(), count);
        DBGOBOTTOM();
        EXPECT_EQ(FIELDGET("NOTE").text().size() % 500, 0u);
        DBCLOSE();
    }
    const std::string ro = dataDir() + "/ro";
    fs::create_directories(ro);
    DBGEN(ro + "/SCADENZE", datatest::deadlineFields());
    auto m = dn::test::ScopedMount::bind(ro, ro, true);
    if (!m.ok())
        GTEST_SKIP() << m.error();
    const std::string msg = messageFor([&] { DBOPEN(false, {}, ro + "/SCADENZE"); });
    EXPECT_EQ(msg, "Disco " + ro + "/SCADENZE.DBF protetto da scrittura.");
    EXPECT_FALSE(USED());
}

#endif

TEST_F(ErrorsTest, AnyOtherErrorOffersTheReportAndEndsTheProgram) {
    msgs.answer(1);
    EXPECT_FALSE(protect([] { throw std::runtime_error("index & key; #1"); }));
    ASSERT_EQ(msgs.events.size(), 1u);
    const auto& q = msgs.asked[0];
    EXPECT_EQ(q.kind, 4);
    EXPECT_EQ(q.text.rfind("Error ?\?\?/?\?\?  index & key; #1;Function: ", 0), 0u) << q.text;
    EXPECT_NE(q.text.find("  Line: "), std::string::npos);
    EXPECT_EQ(q.text.substr(q.text.size() - 39), ";;Inviare rapporto di errore via email?");
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].rfind("mailto:?subject=Rapporto%20di%20errore&body=Applicazione%3A%20", 0),
              0u);
    EXPECT_NE(
        links[0].find("%0d%0a%0d%0aError%20%3F%3F%3F%2F%3F%3F%3F%20%20index%20%26%20key%0d%0a%20%2"
                      "31%0d%0aFunction%3A%20"),
        std::string::npos)
        << links[0];
    EXPECT_EQ(ended, 1);

    // Answered no: no report, the program still ends.
    msgs.answer(0);
    EXPECT_FALSE(protect([] { throw dbf::TableError("no current record"); }));
    EXPECT_EQ(msgs.askedTexts().back().rfind("Error DBF/???  no current record;Function: ", 0), 0u);
    EXPECT_EQ(links.size(), 1u);
    EXPECT_EQ(ended, 2);
}

TEST(ErrorText, FormatAndLink) {
    ErrorInfo e;
    e.severity = 1;
    e.description = "Attenzione";
    e.operation = "SKIP";
    e.function = "ELENCO";
    e.line = 12;
    EXPECT_EQ(formatError(e), "Warning ?\?\?/?\?\?  Attenzione: SKIP;Function: ELENCO  Line: 12");
    e.severity = 2;
    e.subsystem = "DBFCDX";
    e.subCode = 1012;
    e.fileName = "SCADENZE.DBF";
    EXPECT_EQ(formatError(e),
              "Error DBFCDX/1012  Attenzione: SCADENZE.DBF;Function: ELENCO  Line: 12");
    EXPECT_EQ(
        reportLink("C:\\DN\\DN.EXE", "a&b;c"),
        "mailto:?subject=Rapporto%20di%20errore&body=Applicazione%3A%20C%3A%5CDN%5CDN.EXE%0d%0a%"
        "0d%0aa%26b%0d%0ac");
}

} // namespace
