#include "common/data/errors.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/data/views.h"
#include "common/util/cp1252.h"
#include "common/util/trim.h"
#include "data_test_util.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include <algorithm>
#include <fstream>

using namespace dn;
using namespace dn::data;
using datatest::code;
using datatest::DataTest;

namespace fs = std::filesystem;

namespace {

const Date kRef = Date::fromYmd(2024, 3, 10);

class ViewsTest : public DataTest {
protected:
    struct Deadline {
        int slot;
        int day; // of March 2024
        const char* time;
        bool done;
    };
    // The deadline table with its index, open in area 1.
    void openDeadlines(const std::vector<Deadline>& rows) {
        DBGEN("SCADENZE", datatest::deadlineFields());
        DBOPEN(false, {}, "SCADENZE");
        for (const Deadline& d : rows)
            add(d);
        ORDCONDSET(dn::schema::kIndexCondition, [] { return !DBDELETED(); });
        ORDBUILD("SCADENZE", "", dn::schema::kDeadlineKey, [] {
            return Value(FIELDGET("CODICE").text() + FIELDGET("DATA").date().dtos() +
                         FIELDGET("ORA").text());
        });
    }
    void add(const Deadline& d) {
        DBAPP();
        FIELDPUT("CODICE", Value(code(d.slot)));
        FIELDPUT("DATA", Value(Date::fromYmd(2024, 3, d.day)));
        FIELDPUT("ORA", Value(d.time));
        FIELDPUT("EVASA", Value(d.done));
        DBCOMMIT();
        DBUNLOCK();
    }
    // The initial predicate of the deadline list.
    static CondBlock pending() {
        return [] {
            return FIELDGET("DATA").date() <= kRef && !FIELDGET("EVASA").logical() && !DBDELETED();
        };
    }
    // (day, time) of each record from the top of the controlling order.
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        for (DBGOTOP(); !DBEOF(); DBSKIP())
            out.push_back(std::to_string(FIELDGET("DATA").date().day()) + " " +
                          FIELDGET("ORA").text());
        return out;
    }
    void scopeSlot(int slot) {
        ORDSCOPE(0, Value(code(slot)));
        ORDSCOPE(1, Value(code(slot)));
    }

    const std::vector<Deadline> sample{{2, 12, "09:00", false}, {1, 5, "     ", false},
                                       {2, 1, "10:30", false},  {2, 8, "     ", true},
                                       {3, 2, "08:00", false},  {2, 1, "08:15", false},
                                       {2, 9, "17:00", false}};
};

TEST_F(ViewsTest, AViewLiesOverTheScopedOrderAndClearingRestoresIt) {
    openDeadlines(sample);
    scopeSlot(2);
    DBGOTOP();
    DBCLEARVIEW(false);
    EXPECT_EQ(ORDNAME(), "SCADENZE"); // nothing was saved: the order stays
    DBSETVIEW(pending(), "FIELD -> data <= dData .AND. !FIELD -> evasa");
    EXPECT_EQ(ORDNAME().rfind("\x7fVIEW1", 0), 0u);
    EXPECT_EQ(area().viewText(), "FIELD -> data <= dData .AND. !FIELD -> evasa");
    // Only slot 2's pending deadlines up to the reference date, in key order.
    EXPECT_EQ(rows(), (std::vector<std::string>{"1 08:15", "1 10:30", "9 17:00"}));
    EXPECT_EQ(ORDKEYCOUNT(), 3u);
    EXPECT_EQ(TOTREC(), 5u); // all of slot 2's deadlines
    EXPECT_EQ(ORDNAME().rfind("\x7fVIEW1", 0), 0u);
    EXPECT_EQ(msgs.waits, std::vector<std::string>{"Elaborazione in corso..."});
    EXPECT_FALSE(msgs.currentWait());

    DBCLEARVIEW(false);
    EXPECT_EQ(ORDNAME(), "SCADENZE");
    EXPECT_EQ(area().scope().top, code(2));
    EXPECT_EQ(area().scope().bottom, code(2));
    EXPECT_EQ(rows().size(), 5u);
    EXPECT_TRUE(instanceFiles().empty());
    EXPECT_EQ(ORDLIST().size(), 1u);
}

TEST_F(ViewsTest, TwoSearchesInARowLeaveExactlyOneViewFile) {
    openDeadlines(sample);
    scopeSlot(2);
    for (int i = 0; i < 2; ++i) {
        DBCLEARVIEW(false);
        DBSETVIEW([] { return FIELDGET("ORA").text() != "     "; }, "search");
    }
    EXPECT_EQ(instanceFiles(), std::vector<std::string>{"\x7fVIEW1.NTX"});
    EXPECT_EQ(ORDLIST().size(), 2u);
    EXPECT_EQ(rows(), (std::vector<std::string>{"1 08:15", "1 10:30", "9 17:00", "12 09:00"}));
    // The order saved before the first view comes back, not the first view.
    DBCLEARVIEW(false);
    EXPECT_EQ(ORDNAME(), "SCADENZE");
}

TEST_F(ViewsTest, WritesThroughTheAreaMoveRecordsInAndOutOfTheView) {
    openDeadlines(sample);
    scopeSlot(2);
    DBSETVIEW(pending(), "");
    ASSERT_EQ(ORDKEYCOUNT(), 3u);
    // Marked done: it stops satisfying the condition and leaves the view.
    DBGOTOP();
    DBLOCK(true);
    FIELDPUT("EVASA", Value(true));
    DBCOMMIT();
    DBUNLOCK();
    EXPECT_EQ(rows(), (std::vector<std::string>{"1 10:30", "9 17:00"}));
    // A new pending deadline up to the reference date joins it.
    add({2, 3, "12:00", false});
    EXPECT_EQ(rows(), (std::vector<std::string>{"1 10:30", "3 12:00", "9 17:00"}));
    // One moved past the reference date leaves; the done one reopened joins again.
    DBGOBOTTOM();
    DBLOCK(true);
    FIELDPUT("DATA", Value(Date::fromYmd(2024, 3, 20)));
    DBUNLOCK();
    DBGOTO(6);
    DBLOCK(true);
    FIELDPUT("EVASA", Value(false));
    DBUNLOCK();
    EXPECT_EQ(rows(), (std::vector<std::string>{"1 08:15", "1 10:30", "3 12:00"}));
    // Deleted: gone from the view and from the index.
    DBGOTOP();
    DBDEL();
    EXPECT_EQ(ORDKEYCOUNT(), 2u);
    EXPECT_EQ(TOTREC(), 5u);
    // The shared index followed every write too.
    DBCLEARVIEW(false);
    EXPECT_EQ(rows(),
              (std::vector<std::string>{"1 10:30", "3 12:00", "8      ", "12 09:00", "20 17:00"}));
}

TEST_F(ViewsTest, AViewBuiltFromTheCurrentOrderWalksOnlyItsScope) {
    openDeadlines(sample);
    ORDBUILD("DATE", "", "DTOS( data )");
    ORDSETFOCUS(1);
    scopeSlot(2);
    ViewOptions o;
    o.useCurrentOrder = true;
    DBSETVIEW([] { return true; }, "", o);
    ORDSCOPE(0, std::nullopt);
    ORDSCOPE(1, std::nullopt);
    EXPECT_EQ(ORDKEYCOUNT(), 5u); // slot 2's records only
    EXPECT_EQ(ORDLIST().size(), 3u);
    EXPECT_EQ(ORDNAME(2), "DATE");
}

TEST_F(ViewsTest, AViewFromTheCurrentOrderReadsNearAndFarRecordsAlike) {
    // Slot 2 holds a run of neighbouring records and others far apart, which the
    // build reads in runs and one by one; every third of them is done.
    DBGEN("SCADENZE", datatest::deadlineFields());
    std::vector<uint32_t> slot2;
    {
        dbf::Table t;
        t.open("SCADENZE.DBF", {false, false});
        for (uint32_t r = 1; r <= 3000; ++r) {
            t.append();
            const bool mine = (r >= 100 && r < 160) || r % 700 == 0;
            t.put("CODICE", Value(code(mine ? 2 : 1)));
            t.put("DATA", Value(Date::fromYmd(2024, 3, 1 + static_cast<int>(r % 28))));
            t.put("EVASA", Value(r % 3 == 0));
            if (mine && r % 3 != 0)
                slot2.push_back(r);
        }
        t.commit();
    }
    DBOPEN(false, {}, "SCADENZE");
    ORDBUILD("SCADENZE", "", dn::schema::kDeadlineKey);
    scopeSlot(2);
    ViewOptions o;
    o.useCurrentOrder = true;
    DBSETVIEW([] { return !FIELDGET("EVASA").logical(); }, "", o);
    std::vector<uint32_t> seen;
    for (DBGOTOP(); !DBEOF(); DBSKIP())
        seen.push_back(DBRECNO());
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, slot2);
}

TEST_F(ViewsTest, WithoutAnIndexTheViewIsInRecordOrder) {
    DBGEN("SCADENZE", datatest::deadlineFields());
    DBOPEN(false, {}, "SCADENZE");
    for (const auto& d : sample)
        add(d);
    msgs.showWait("Manutenzione in corso.", "Attendere", false);
    DBSETVIEW(conditionOf("CODICE = \"         2\" .AND. !EVASA"), "");
    EXPECT_EQ(ORDKEY(), "RECNO()");
    EXPECT_EQ(rows(), (std::vector<std::string>{"12 09:00", "1 10:30", "1 08:15", "9 17:00"}));
    // A wait message on screen makes the build quiet.
    EXPECT_EQ(msgs.waits, std::vector<std::string>{"Manutenzione in corso."});
    EXPECT_EQ(msgs.currentWait(), "Manutenzione in corso.");
    DBCLEARVIEW(false);
    EXPECT_EQ(ORDNAME(), "");
    EXPECT_EQ(rows().size(), 7u);
}

TEST_F(ViewsTest, OnlyAreasOneTo249HaveViews) {
    openDeadlines(sample);
    DBSELECTAREA(250);
    DBOPEN(false, {}, "SCADENZE", "OTHER");
    EXPECT_FALSE(protect([] { DBSETVIEW(pending(), ""); }));
    ASSERT_EQ(msgs.askedTexts().size(), 1u);
    EXPECT_EQ(msgs.askedTexts()[0].rfind(
                  "Error DBCMD/1  views are possible only in work areas 1 to 249", 0),
              0u);
}

TEST_F(ViewsTest, ClearingStartsAgainAfterAFailureAndGivesUpWhenItStays) {
    openDeadlines(sample);
    DBSETVIEW(pending(), "");
    fs::copy_file("SCADENZE.NTX", "KEEP.NTX");
    fs::remove("SCADENZE.NTX");
    // The first failure is put right while its message is on screen.
    msgs.onAsk = [](const dn::test::ScriptedMessages::Asked&) {
        fs::copy_file("KEEP.NTX", "SCADENZE.NTX");
    };
    DBCLEARVIEW(false);
    EXPECT_EQ(msgs.askedTexts(),
              std::vector<std::string>{"Impossibile aprire il file " +
                                       datatest::shownName(platform::FULLNAME("SCADENZE.NTX")) +
                                       "."});
    EXPECT_EQ(ORDNAME(), "SCADENZE");
    EXPECT_EQ(rows().size(), 7u);

    // A failure that stays: three messages, then the operation is abandoned.
    msgs.onAsk = nullptr;
    msgs.asked.clear();
    DBSETVIEW(pending(), "");
    fs::remove("SCADENZE.NTX");
    EXPECT_FALSE(protect([] { DBCLEARVIEW(false); }));
    EXPECT_EQ(msgs.askedTexts().size(), 3u);
    EXPECT_EQ(ORDLIST().size(), 0u);
    EXPECT_TRUE(instanceFiles().empty());
}

TEST_F(ViewsTest, AFailedBuildLeavesTheAreaInItsScopedOrderWithoutAView) {
    openDeadlines(sample);
    scopeSlot(2);
    DBSETVIEW(pending(), "first");
    DBCLEARVIEW(false);
    // The view's index is built in a scratch file: a full disk there.
    platform::FaultHooks hooks;
    hooks.onWrite = [](const std::string& path, uint64_t, size_t) -> long long {
        return path.size() > 4 && path.compare(path.size() - 4, 4, ".TMP") == 0 ? 0 : -1;
    };
    platform::setFaultHooks(hooks);
    EXPECT_FALSE(protect([] { DBSETVIEW(pending(), "second"); }));
    platform::clearFaultHooks();
    ASSERT_EQ(msgs.asked.size(), 1u);
    EXPECT_EQ(ORDNAME(), "SCADENZE");
    EXPECT_EQ(area().viewText(), "");
    EXPECT_EQ(area().scope().top, code(2));
    EXPECT_EQ(rows().size(), 5u);
    EXPECT_TRUE(instanceFiles().empty());
    // A later search works as ever.
    DBSETVIEW(pending(), "third");
    EXPECT_EQ(rows().size(), 3u);
}

TEST_F(ViewsTest, OrderListInItsThreeForms) {
    openDeadlines(sample);
    ORDBUILD("DATE", "", "DTOS( FIELD -> data )");
    const std::vector<std::string> all = ORDLIST();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], platform::FULLNAME("SCADENZE.NTX"));
    EXPECT_EQ(all[1], platform::FULLNAME("DATE.NTX"));
    EXPECT_EQ(ORDKEY(2), "DTOS( data )");
    EXPECT_EQ(ORDLIST("scadenze"), std::vector<std::string>{all[1]});
    EXPECT_EQ(ORDLIST(platform::FULLNAME("DATE.NTX")), std::vector<std::string>{all[0]});
    DBCLOSE();
    DBOPEN(false, {}, "SCADENZE");
    EXPECT_TRUE(ORDLIST(std::vector<std::string>{"DATE", "SCADENZE"}).empty());
    EXPECT_EQ(ORDLIST(), (std::vector<std::string>{all[1], all[0]}));
    EXPECT_EQ(ORDNAME(), "DATE"); // the first opened became controlling
}

class SearchListSpy : public SearchList {
public:
    void showCurrent() override { ++shown; }
    int shown = 0;
};

TEST_F(ViewsTest, KeySearchTypesAhead) {
    DBGEN("RUBRICA", datatest::contactFields());
    DBOPEN(false, {}, "RUBRICA");
    for (const char* n : {"Verdi", "Rossi", "Bianchi", "Romano", "Russo", "Robbiati"}) {
        DBAPP();
        FIELDPUT("NOMINATIVO", Value(n));
        DBUNLOCK();
    }
    ORDBUILD("RUBRICA", "", dn::schema::kContactKey);
    auto name = [] { return std::string(dn::trimRight(FIELDGET("NOMINATIVO").text())); };
    SearchListSpy list;
    KEYSEARCH(nullptr, 0);
    DBGOTOP();
    KEYSEARCH(&list, 'r');
    EXPECT_EQ(name(), "Robbiati");
    KEYSEARCH(&list, 'o');
    EXPECT_EQ(name(), "Robbiati");
    EXPECT_EQ(keySearchBuffer(), "RO");
    KEYSEARCH(&list, 'm');
    EXPECT_EQ(name(), "Romano");
    KEYSEARCH(&list, 'x'); // nothing begins with ROMX
    EXPECT_EQ(name(), "Romano");
    EXPECT_EQ(keySearchBuffer(), "ROM");
    KEYSEARCH(&list, 8);
    KEYSEARCH(&list, 8);
    EXPECT_EQ(keySearchBuffer(), "R");
    EXPECT_EQ(name(), "Robbiati");
    EXPECT_EQ(list.shown, 3);
    KEYSEARCH(&list, 13); // not a search key: nothing moves
    EXPECT_EQ(keySearchBuffer(), "R");
    // The user moved meanwhile: the next key starts a new search.
    DBGOBOTTOM();
    KEYSEARCH(&list, 'b');
    EXPECT_EQ(name(), "Bianchi");
    EXPECT_EQ(keySearchBuffer(), "B");
    KEYSEARCH(nullptr, 0);
    EXPECT_EQ(keySearchBuffer(), "");
}

TEST_F(ViewsTest, IsDupLooksInTheFirstOrderAndLeavesEverythingAsItWas) {
    DBGEN("RUBRICA", datatest::contactFields());
    DBOPEN(false, {}, "RUBRICA");
    for (const char* n : {"Verdi", "Rossi", "Bianchi"}) {
        DBAPP();
        FIELDPUT("NOMINATIVO", Value(n));
        DBUNLOCK();
    }
    ORDBUILD("RUBRICA", "", dn::schema::kContactKey);
    ORDBUILD("CITTA", "", "citta");
    ORDSETFOCUS(1);
    ORDSCOPE(0, Value("V"));
    ORDSCOPE(1, Value("V"));
    ORDSETFOCUS(2);
    ORDSCOPE(0, Value("X"));
    DBGOTO(3);
    EXPECT_TRUE(ISDUP("rossi"));
    EXPECT_FALSE(ISDUP("neri"));
    EXPECT_EQ(DBRECNO(), 3u);
    EXPECT_EQ(ORDNAME(), "CITTA");
    EXPECT_EQ(area().scope().top, "X");
    EXPECT_EQ(area().order(1).scope.top, "V");
    EXPECT_EQ(area().order(1).scope.bottom, "V");
}

} // namespace
