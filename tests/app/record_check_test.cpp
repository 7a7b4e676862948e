// The guard against writing over another computer's change, on two opens of the
// deadline table in one process: locks of two opens conflict as those of two
// computers do, so area "OTHER" plays the other computer.

#include "app/record_check.h"

#include "app/panel_fixture.h"

using namespace paneltest;
using namespace dn::data;
using dn::Value;

namespace {

class RecordCheck : public PanelFixture {
protected:
    void SetUp() override {
        PanelFixture::SetUp();
        addDeadline(1, kToday, false);
        DBSELECTAREA(0);
        DBOPEN(false, {}, "SCADENZE", "OTHER");
        DBSELECTAREA(0);
        DBOPEN(false, {}, "SCADENZE", "MINE");
        DBGOTOP();
    }

    // The other computer changes a field of record 1 and lets it go.
    static void changeElsewhere(const std::string& field, const Value& v) {
        const int mine = SELECT();
        DBSELECTAREA("OTHER");
        DBGOTO(1);
        DBLOCK(true);
        FIELDPUT(field, v);
        DBCOMMIT();
        DBUNLOCK();
        DBSELECTAREA(mine);
    }
    // Whether the other computer could lock record 1 now.
    static bool otherCanLock() {
        dn::dbf::Table& t = areaOf("OTHER")->table();
        const bool got = t.lockRecord(1);
        if (got)
            t.unlockAll();
        return got;
    }
};

} // namespace

TEST_F(RecordCheck, UnchangedRecordIsLockedWithoutAQuestion) {
    dn::app::LoadedRecord loaded({"DATA", "ORA", "INCOMBENZA"});
    // Changes of fields the editor does not write are no conflict.
    changeElsewhere("EVASA", Value(true));
    EXPECT_TRUE(dn::app::lockForOverwrite(loaded));
    EXPECT_TRUE(messages_.asked.empty());
    EXPECT_FALSE(otherCanLock());
    DBUNLOCK();
}

TEST_F(RecordCheck, NoKeepsTheOtherComputersValuesAndHoldsNoLock) {
    dn::app::LoadedRecord loaded; // every field
    changeElsewhere("INCOMBENZA", Value(std::string("Cambiata altrove\r\nseconda riga")));
    messages_.answer(0);
    EXPECT_FALSE(dn::app::lockForOverwrite(loaded));
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text, dn::app::kChangedElsewhere);
    EXPECT_EQ(messages_.asked[0].kind, 5);
    EXPECT_EQ(loaded.value("incombenza").text(), "Cambiata altrove\r\nseconda riga");
    EXPECT_TRUE(otherCanLock());
    // What the user now sees is what the record holds: no second question.
    EXPECT_TRUE(dn::app::lockForOverwrite(loaded));
    EXPECT_EQ(messages_.asked.size(), 1u);
    DBUNLOCK();
}

TEST_F(RecordCheck, YesLocksAndAFurtherChangeWhileAskingAsksAgain) {
    dn::app::LoadedRecord loaded({"DATA", "INCOMBENZA"});
    changeElsewhere("DATA", Value(kToday.addDays(3)));
    // While the first question shows, the other computer changes the record again.
    messages_.onAsk = [&](const dn::test::ScriptedMessages::Asked&) {
        if (messages_.asked.size() == 1)
            changeElsewhere("INCOMBENZA", Value(std::string("Ancora")));
    };
    messages_.answer(1).answer(1);
    EXPECT_TRUE(dn::app::lockForOverwrite(loaded));
    EXPECT_EQ(messages_.asked.size(), 2u);
    EXPECT_FALSE(otherCanLock());
    DBUNLOCK();
}

TEST_F(RecordCheck, ADeletionElsewhereIsNoConflict) {
    dn::app::LoadedRecord loaded;
    const int mine = SELECT();
    DBSELECTAREA("OTHER");
    DBGOTO(1);
    DBDEL();
    DBSELECTAREA(mine);
    EXPECT_TRUE(dn::app::lockForOverwrite(loaded));
    EXPECT_TRUE(messages_.asked.empty());
    DBUNLOCK();
}
