#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/dbf/index_bulk.h"
#include "data_test_util.h"
#include "platform/sound.h"
#ifndef _WIN32
#include "tests/support/mounts.h"
#endif

using namespace dn;
using namespace dn::data;
using datatest::DataTest;

namespace fs = std::filesystem;

namespace {

class RecordsTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        platform::setToneSink([this](int hz, int) { tones.push_back(hz); });
        DBGEN("RUBRICA", datatest::contactFields());
        DBOPEN(false, {}, dataDir() + "/RUBRICA");
        for (const char* n : {"Alfa", "Beta", "Gamma"}) {
            DBAPP();
            FIELDPUT("NOMINATIVO", Value(n));
            DBCOMMIT();
            DBUNLOCK();
        }
        ORDBUILD("RUBRICA", "", dn::schema::kContactKey);
    }
    void TearDown() override {
        platform::setToneSink({});
        DataTest::TearDown();
    }
    std::vector<int> tones;
};

TEST_F(RecordsTest, DelRecAsksAndDeletesOnlyOnConfirmation) {
    // At end of file: a tone, no question.
    DBGOBOTTOM();
    DBSKIP();
    EXPECT_FALSE(DELREC());
    EXPECT_EQ(tones, std::vector<int>{440});
    EXPECT_TRUE(msgs.events.empty());

    // Cancel changes nothing.
    DBGOTOP();
    msgs.answer(0);
    EXPECT_FALSE(DELREC());
    ASSERT_EQ(msgs.events.size(), 1u);
    EXPECT_EQ(msgs.events[0].text, "Confermi la cancellazione?");
    EXPECT_EQ(msgs.asked[0].kind, 2);
    EXPECT_EQ(ORDKEYCOUNT(), 3u);
    EXPECT_EQ(DBRECNO(), 1u);

    // OK deletes it and moves to the next one; no probe file is left behind.
    msgs.answer(1);
    EXPECT_TRUE(DELREC());
    EXPECT_EQ(ORDKEYCOUNT(), 2u);
    EXPECT_EQ(DBRECNO(), 2u);
    for (const auto& e : fs::directory_iterator("."))
        EXPECT_NE(e.path().filename().string()[0], '\x7f');
}

// A write-protected drive cannot be had under Wine (see the disk tests).
#ifndef _WIN32
TEST_F(RecordsTest, DelRecRefusesAWriteProtectedDrive) {
    const std::string ro = tmpDir() + "/ro";
    fs::create_directories(ro);
    auto m = dn::test::ScopedMount::bind(ro, ro, true);
    if (!m.ok())
        GTEST_SKIP() << m.error();
    // The working directory is the protected drive; the table itself lies elsewhere.
    fs::current_path(ro);
    DBGOTOP();
    msgs.answer(1);
    const bool deleted = DELREC();
    fs::current_path(dataDir());
    EXPECT_FALSE(deleted);
    EXPECT_EQ(msgs.askedTexts(), (std::vector<std::string>{"Confermi la cancellazione?",
                                                           "Disco protetto da scrittura."}));
    EXPECT_EQ(ORDKEYCOUNT(), 3u);
    EXPECT_FALSE(DBDELETED());
}
#endif

TEST_F(RecordsTest, DeleteForMarksWhatItsBlockChoosesAndKeepsTheIndexAndPointer) {
    DBGOTOP(); // Alfa
    DBSKIP();  // Beta
    const uint32_t at = DBRECNO();
    DBLOCK(false);
    // The block reads the record being tested, not the current one.
    EXPECT_EQ(DBDELETEFOR([] { return FIELDGET("NOMINATIVO").text()[0] != 'A'; }), 2u);
    DBUNLOCK();
    EXPECT_EQ(DBRECNO(), at);
    EXPECT_EQ(ORDKEYCOUNT(), 1u);
    DBGOTOP();
    EXPECT_EQ(FIELDGET("NOMINATIVO").text().substr(0, 4), "Alfa");
    DBSKIP();
    EXPECT_TRUE(DBEOF());
    // Deleted records are not offered again.
    DBLOCK(false);
    EXPECT_EQ(DBDELETEFOR([] { return true; }), 1u);
    DBUNLOCK();
    EXPECT_EQ(ORDKEYCOUNT(), 0u);
}

TEST_F(RecordsTest, AnOrderOpenedWithTheTableLockedMendsAnIndexLeftHalfWritten) {
    DBCLOSE();
    // A writer died in the middle of a change: the change counter stays odd.
    dbf::IndexFile index = dbf::IndexFile::open("RUBRICA", true);
    { dbf::IndexBulkChange(index).begin(); }
    index.close();
    DBOPEN(false, {}, "RUBRICA");
    EXPECT_THROW(ORDADD("RUBRICA"), dbf::CorruptFile); // read without the lock: reported
    DBCLOSE();
    DBOPEN(false, {}, "RUBRICA");
    DBLOCK(false);
    ORDADD("RUBRICA");
    DBUNLOCK();
    EXPECT_EQ(ORDKEYCOUNT(), 3u);
    DBGOBOTTOM();
    EXPECT_EQ(FIELDGET("NOMINATIVO").text().substr(0, 5), "Gamma");
}

} // namespace
