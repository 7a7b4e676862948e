// The administrator's tool as its users run it.
#include "common/dbf/table.h"
#include "dbf_test_util.h"
#include "platform/file.h"
#include "platform/lock_layout.h"
#include "tests/support/dntable_run.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#ifdef DN_DNTABLE

using namespace dn::dbf;
using dn::Date;
using dn::platform::File;
using dn::platform::FileError;
using dn::platform::kFileLockLength;
using dn::platform::kFileLockOffset;
using dn::platform::kRecordLockBase;
using dn::platform::LockKind;
using dn::test::TempFolder;

namespace {

using dn::test::dntable;
using dn::test::ToolRun;

std::string makeContacts(const TempFolder& dir) {
    const std::string p = Table::create(dir / "rubrica", dbftest::contactFields());
    Table t;
    t.open(p, {false, false});
    EXPECT_TRUE(t.append());
    t.put("NOMINATIVO", std::string("Citt\xe0, \"Bar\" \x80"));
    t.put("NOTE", std::string("riga 1\r\nriga 2"));
    EXPECT_TRUE(t.append());
    t.put("NOMINATIVO", std::string("Tolto"));
    t.setDeleted(true);
    EXPECT_TRUE(t.append());
    t.put("NOMINATIVO", std::string("Ultimo"));
    t.put("CAP", std::string("20100"));
    return p;
}

} // namespace

TEST(Dntable, CsvDumpsRecordsWithMemosInUtf8AndQuotesWhatNeedsIt) {
    TempFolder dir;
    const std::string p = makeContacts(dir);
    const std::string empties(11, ',');
    dn::test::CommandResult r = dntable({"csv", dir / "rubrica"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "NOMINATIVO,INDIRIZZO,CAP,CITTA,TELEFONO1,TELEFONO2,TELEFONO3,CASA,"
                     "CELLULARE,FAX,E_MAIL,NOTE\r\n"
                     "\"Citt\xc3\xa0, \"\"Bar\"\" \xe2\x82\xac\"" +
                         empties + "\"riga 1\r\nriga 2\"\r\n" + "Ultimo,,20100" +
                         std::string(9, ',') + "\r\n");
    r = dntable({"csv", p, "--deleted"});
    EXPECT_NE(r.out.find("Tolto" + empties + ",*\r\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Ultimo,,20100" + std::string(9, ',') + ",\r\n"), std::string::npos);
}

TEST(Dntable, InfoAndPackReportCountsAndPackRefusesATableInUse) {
    TempFolder dir;
    const std::string p = makeContacts(dir);
    dn::test::CommandResult r = dntable({"info", p});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("records:       3 (2 live, 1 deleted)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("NOTE        M   10   0  offset 236"), std::string::npos) << r.out;
    {
        Table inUse;
        inUse.open(p);
        r = dntable({"pack", p});
        EXPECT_EQ(r.status, 1);
    }
    // Another program that locks a record, or the file, without the sharing byte
    // that this program's opens take: its next write would go to the file that pack
    // replaces. Pack and reindex leave the table alone while it holds the lock.
    const std::string before = dn::test::readFile(p);
    for (const auto& [offset, length] : {std::pair{kRecordLockBase + 2, uint64_t{1}},
                                         std::pair{kFileLockOffset, kFileLockLength}}) {
        File foreign = File::open(p, true);
        ASSERT_TRUE(foreign.tryLock(offset, length, LockKind::Exclusive));
        r = dntable({"pack", p});
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_EQ(dntable({"reindex", p, dir / "rubrica.ntx", "--key", "NOMINATIVO"}).status, 1);
        EXPECT_EQ(dn::test::readFile(p), before);
        EXPECT_THROW(Table::create(p, dbftest::contactFields()), FileError);
        EXPECT_EQ(dn::test::readFile(p), before);
        EXPECT_FALSE(std::filesystem::exists(dir / "RUBRICA.NTX"));
    }
    r = dntable({"pack", p});
    EXPECT_EQ(r.status, 0) << r.out;
    Table t;
    t.open(p);
    EXPECT_EQ(t.recordCount(), 2u);
    t.goTo(1);
    EXPECT_EQ(t.get("NOTE").text(), "riga 1\r\nriga 2");
    EXPECT_EQ(dntable({"nosuchcommand"}).status, 2);
    // A damaged table is named in the program's own words.
    std::string bytes = dn::test::readFile(p);
    bytes[4] = 100;
    t.close();
    dn::test::writeFile(p, bytes);
    r = dntable({"info", p});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Il file " + p + " risulta corrotto."), std::string::npos) << r.out;
}

TEST(Dntable, AHeaderLengthThatCutsTheFieldListShortIsDamageNotShiftedRecords) {
    TempFolder dir;
    const std::string p =
        Table::create(dir / "cut", {{"COD", 'C', 4, 0}, {"DATA", 'D', 8, 0}, {"NOME", 'C', 10, 0}});
    {
        Table t;
        t.open(p, {false, false});
        ASSERT_TRUE(t.append());
        t.put("NOME", std::string("Rossi"));
    }
    std::string bytes = dn::test::readFile(p);
    bytes[8] = 32 + 2 * 32; // ends where the third descriptor begins
    dn::test::writeFile(p, bytes);
    const ToolRun r = dntable({"csv", p});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("Il file " + p + " risulta corrotto."), std::string::npos) << r.out;
    EXPECT_EQ(dn::test::readFile(p), bytes);
}

TEST(Dntable, MessagesAreWrittenInUtf8LikeTheData) {
    TempFolder dir;
    const std::string p = makeContacts(dir);
    ASSERT_EQ(dntable({"reindex", p, dir / "rubrica.ntx", "--key", "NOMINATIVO"}).status, 0);
    std::string index = dn::test::readFile(dir / "RUBRICA.NTX");
    index.resize(1000); // cut inside its headers: "file più corto delle sue intestazioni"
    dn::test::writeFile(dir / "RUBRICA.NTX", index);
    const ToolRun r = dntable({"check", p, dir / "rubrica.ntx"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("pi\xC3\xB9 corto"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("pi\xF9"), std::string::npos) << r.out;
}

#endif
