// The deadline editor, the done toggle and deletion, driven through the list.

#include "deadline_fixture.h"

#include "app/deadline_editor.h"
#include "toolkit/get.h"
#include "toolkit/toolkit.h"

#include <QLineEdit>

using namespace deadlinetest;
using dn::app::kDeleteSeries;
using dn::app::kDuplicateDay;

namespace {

class DeadlineEditor : public DeadlineFixture {
protected:
    // Opens slot 1's list (with "Tutte" pressed when all is true) and runs work in it.
    void inList(const std::function<void(TDialog&)>& work, bool all = false) {
        openList(1, [&](TDialog& d) {
            if (all)
                t::press(d, 206);
            work(d);
            t::press(d, 201);
        });
    }
    // Queues an editor script that types the fields given (empty: left alone) and
    // confirms.
    void fillAndConfirm(const std::string& date, const std::string& time, const std::string& text) {
        drive_.on("SCADENZA", [=](TDialog& e) {
            if (!date.empty())
                t::type(e, 101, date);
            if (!time.empty())
                t::type(e, 104, time);
            if (!text.empty())
                t::type(e, 106, text);
            t::press(e, 201);
        });
    }
    // Records whose CODICE is slot 1's and that are not deleted.
    static int liveOfSlot1() {
        dn::dbf::Table tb;
        tb.open("SCADENZE.DBF", {true, true});
        int n = 0;
        for (uint32_t r = 1; r <= tb.recordCount(); ++r) {
            tb.goTo(r);
            n += !tb.deleted() && tb.get("CODICE").text() == dn::schema::slotCode(1);
        }
        return n;
    }
};

} // namespace

TEST_F(DeadlineEditor, NewDeadlineIsWrittenForTheSlotWithABlankTime) {
    inList([&](TDialog& d) {
        drive_.on("SCADENZA", [](TDialog& e) {
            EXPECT_EQ(e.GetText(), "Aggiungi");
            EXPECT_EQ(t::text(e, 101), "23/04/2025");
            EXPECT_EQ(t::text(e, 102), "Mer");
            EXPECT_EQ(t::text(e, 104), "  :  ");
            t::type(e, 106, "Telefonare al commercialista");
            t::press(e, 201);
        });
        t::press(d, 202);
        ASSERT_EQ(rows(d).size(), 1u);
        EXPECT_EQ(d.GetText(), "Deltranota per Ufficio di Mercoled\xEC 23 Aprile 2025 - 1 di 1");
    });
    ASSERT_EQ(recordCount(), 1u);
    const Stored s = stored(1);
    EXPECT_EQ(s.date, kToday);
    EXPECT_EQ(s.time, "     ");
    EXPECT_EQ(s.text, "Telefonare al commercialista");
    EXPECT_FALSE(s.done);
    dn::dbf::Table tb;
    tb.open("SCADENZE.DBF", {true, true});
    tb.goTo(1);
    EXPECT_EQ(tb.get("CODICE").text(), dn::schema::slotCode(1));
    EXPECT_EQ(tb.get("GENERAZIO").text(), std::string(10, ' '));
}

TEST_F(DeadlineEditor, SecondPendingDeadlineOnADayIsAskedAndCancelKeepsTheTypedValues) {
    const Date day25 = day(2025, 5, 6);
    addDeadline(1, day25, false, "", "Esistente");
    inList([&](TDialog& d) {
        drive_.on("SCADENZA", [](TDialog& e) {
            t::type(e, 101, "06/05/2025");
            t::type(e, 104, "10:15");
            t::type(e, 106, "Nuova");
            t::press(e, 201);
        });
        // Cancel: the editor comes back with what was typed.
        drive_.on("SCADENZA", [](TDialog& e) {
            EXPECT_EQ(t::text(e, 101), "06/05/2025");
            EXPECT_EQ(t::text(e, 102), "Mar");
            EXPECT_EQ(t::text(e, 104), "10:15");
            EXPECT_EQ(t::text(e, 106), "Nuova");
            t::press(e, 201);
        });
        messages_.answer(0).answer(1);
        t::press(d, 202);
    });
    ASSERT_EQ(messages_.asked.size(), 2u);
    EXPECT_EQ(messages_.asked[0].text, kDuplicateDay);
    EXPECT_EQ(messages_.asked[0].kind, 2);
    EXPECT_EQ(liveOfSlot1(), 2);
    EXPECT_EQ(stored(2).time, "10:15");
}

TEST_F(DeadlineEditor, NoQuestionWhenTheDaysOtherDeadlineIsDoneOrTheDateIsKept) {
    const Date d1 = day(2025, 5, 6);
    addDeadline(1, d1, true, "", "Fatta");
    addDeadline(2, d1, false, "", "Di Anna");
    const uint32_t mine = addDeadline(1, kToday, false, "", "Mia");
    addDeadline(1, kToday, false, "", "Altra di oggi");
    inList([&](TDialog& d) {
        fillAndConfirm("06/05/2025", "", "Nuova");
        t::press(d, 202);
        // The new deadline is not due yet: it stays out of the list, and the list
        // stands on its last row.
        EXPECT_EQ(rows(d).size(), 2u);
        EXPECT_EQ(dn::data::FIELDGET("INCOMBENZA").text(), "Altra di oggi");
        listKey(d, Qt::Key_Home);
        // Editing the text of one of today's two deadlines: the date stays.
        drive_.on("SCADENZA", [](TDialog& e) {
            EXPECT_EQ(e.GetText(), "Modifica");
            EXPECT_EQ(t::text(e, 106), "Mia");
            t::type(e, 106, "Mia, cambiata");
            t::press(e, 201);
        });
        t::press(d, 203);
    });
    EXPECT_TRUE(messages_.asked.empty());
    EXPECT_EQ(stored(mine).text, "Mia, cambiata");
    EXPECT_EQ(liveOfSlot1(), 4);
}

TEST_F(DeadlineEditor, MovingADeadlineOntoABusyDayAsks) {
    addDeadline(1, kToday.addDays(-1), false, "", "Ieri");
    const uint32_t today = addDeadline(1, kToday, false, "", "Oggi");
    inList([&](TDialog& d) {
        listKey(d, Qt::Key_Down);
        fillAndConfirm("22/04/2025", "", "");
        messages_.answer(1);
        t::press(d, 203);
    });
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text, kDuplicateDay);
    EXPECT_EQ(stored(today).date, kToday.addDays(-1));
}

TEST_F(DeadlineEditor, TimeMustBeBlankOrAValidTime) {
    const uint32_t rec = addDeadline(1, kToday, false, "08:00", "Orario");
    inList([&](TDialog& d) {
        drive_.on("SCADENZA", [this](TDialog& e) {
            for (const char* bad : {"24:00", "12:60", "1 :30", "12: 5"}) {
                t::type(e, 104, bad);
                t::press(e, 201);
                ASSERT_TRUE(e.IsActive()) << bad;
                ASSERT_FALSE(messages_.asked.empty());
                EXPECT_EQ(messages_.asked.back().text, "Campo non valido.") << bad;
            }
            t::type(e, 104, "23:59");
            t::press(e, 201);
        });
        t::press(d, 203);
        EXPECT_EQ(stored(rec).time, "23:59");
        // Emptied back to "  :  ": stored blank.
        drive_.on("SCADENZA", [](TDialog& e) {
            t::focus(*t::control(e, 104));
            auto* edit = static_cast<dn::TGet*>(t::control(e, 104))->Edit();
            edit->selectAll();
            t::key(edit, Qt::Key_Delete);
            t::press(e, 201);
        });
        t::press(d, 203);
    });
    EXPECT_EQ(stored(rec).time, "     ");
    EXPECT_EQ(messages_.asked.size(), 4u);
}

TEST_F(DeadlineEditor, EmptyTaskIsRefusedAndCancellingAChangeAsks) {
    const uint32_t rec = addDeadline(1, kToday, false, "", "Testo");
    inList([&](TDialog& d) {
        drive_.on("SCADENZA", [this](TDialog& e) {
            auto* edit = static_cast<dn::TMultiGet*>(t::control(e, 106));
            edit->SetText("");
            edit->FinishEdit();
            t::press(e, 201);
            EXPECT_TRUE(e.IsActive());
            ASSERT_EQ(messages_.asked.size(), 1u);
            EXPECT_EQ(messages_.asked[0].text, "Campo non valido.");
            t::type(e, 106, "Cambiato");
            messages_.answer(0).answer(1);
            t::press(e, 202); // No: stays open
            EXPECT_TRUE(e.IsActive());
            t::escape(e); // Yes: closes, nothing written
        });
        t::press(d, 203);
        // Unchanged, it closes without a question.
        drive_.on("SCADENZA", [](TDialog& e) { t::press(e, 202); });
        t::press(d, 203);
    });
    ASSERT_EQ(messages_.asked.size(), 3u);
    EXPECT_EQ(messages_.asked[1].text, "Annullo le modifiche?");
    EXPECT_EQ(messages_.asked[1].kind, 5);
    EXPECT_EQ(stored(rec).text, "Testo");
}

TEST_F(DeadlineEditor, WeekdayFollowsTheDateInDarkRedOnHolidays) {
    inList([&](TDialog& d) {
        drive_.on("SCADENZA", [this](TDialog& e) {
            dn::TWindow* weekday = t::control(e, 102);
            EXPECT_EQ(weekday->nClrText(), dn::tk::getSysColor(8));
            t::type(e, 101, "25/04/2025");
            t::focus(*t::control(e, 104));
            EXPECT_EQ(t::text(e, 102), "Ven");
            EXPECT_EQ(weekday->nClrText(), dn::app::kHolidayWeekday);
            t::type(e, 101, "26/04/2025");
            t::focus(*t::control(e, 106));
            EXPECT_EQ(t::text(e, 102), "Sab");
            EXPECT_EQ(weekday->nClrText(), dn::tk::getSysColor(8));
            EXPECT_EQ(weekday->nClrPane(), dn::tk::getSysColor(5));
            // The picker puts its date in the field.
            drive_.on("CALENDAR", [](TDialog& c) {
                t::click(t::widget(c, 301 + 6), 3, 3); // the first Saturday cell
            });
            t::press(e, 103);
            EXPECT_EQ(t::text(e, 101).substr(3), "04/2025");
            t::press(e, 202);
        });
        messages_.answer(1);
        t::press(d, 202);
    });
}

TEST_F(DeadlineEditor, DeletingAGeneratedDeadlineNoTakesOneYesTakesTheWholeSeries) {
    const std::string series = "        12";
    const uint32_t a = addDeadline(1, kToday.addDays(-7), false, "", "Serie 1", series);
    const uint32_t b = addDeadline(1, kToday.addDays(-14), true, "", "Serie 2 fatta", series);
    const uint32_t c = addDeadline(1, kToday.addDays(7), false, "", "Serie 3 futura", series);
    const uint32_t e = addDeadline(1, kToday, false, "", "Serie 4", series);
    const uint32_t other =
        addDeadline(1, kToday.addDays(-3), false, "", "Altra serie", "        13");
    const uint32_t single = addDeadline(1, kToday.addDays(-1), false, "", "Sola");
    inList([&](TDialog& d) {
        // The first row is the oldest pending one: a, of series 12.
        messages_.answer(1).answer(7);
        t::press(d, 204);
        EXPECT_EQ(rows(d)[0][2], "Altra serie");
        // Cancel at the series question deletes nothing.
        listKey(d, Qt::Key_End);
        EXPECT_EQ(rows(d).back()[2], "Serie 4");
        messages_.answer(1).answer(2);
        t::press(d, 204);
        EXPECT_EQ(rows(d).size(), 3u);
        messages_.answer(1).answer(6);
        t::press(d, 204);
        EXPECT_EQ(rows(d).size(), 2u);
        EXPECT_EQ(d.GetText(), "Deltranota per Ufficio di Mercoled\xEC 23 Aprile 2025 - 2 di 2");
    });
    EXPECT_TRUE(stored(a).deleted);
    EXPECT_TRUE(stored(b).deleted) << "done ones go too";
    EXPECT_TRUE(stored(c).deleted) << "and those outside the view";
    EXPECT_TRUE(stored(e).deleted);
    EXPECT_FALSE(stored(other).deleted);
    EXPECT_FALSE(stored(single).deleted);
    ASSERT_EQ(messages_.asked.size(), 6u);
    EXPECT_EQ(messages_.asked[1].text, kDeleteSeries);
    EXPECT_EQ(messages_.asked[1].kind, 3);
}

TEST_F(DeadlineEditor, DeletingADeadlineOutsideASeriesAsksOnceAndCancelKeepsIt) {
    const uint32_t rec = addDeadline(1, kToday, false, "", "Sola");
    inList([&](TDialog& d) {
        messages_.answer(0);
        t::press(d, 204);
        EXPECT_EQ(rows(d).size(), 1u);
        messages_.answer(1);
        t::press(d, 204);
        EXPECT_TRUE(rows(d).empty());
        EXPECT_FALSE(enabled(d, 204));
    });
    EXPECT_EQ(messages_.asked.size(), 2u);
    EXPECT_EQ(messages_.asked[1].text, "Confermi la cancellazione?");
    EXPECT_TRUE(stored(rec).deleted);
}

TEST_F(DeadlineEditor, DupSeesPendingDeadlinesTheViewHidesAndLeavesThePlaceAlone) {
    addDeadline(1, kToday.addDays(5), false, "", "Futura");
    addDeadline(1, kToday.addDays(6), true, "", "Futura fatta");
    addDeadline(1, kToday.addDays(-1), false, "", "Ieri");
    addDeadline(1, kToday, false, "", "Oggi");
    inList([&](TDialog& d) {
        listKey(d, Qt::Key_Down);
        const uint32_t recno = dn::data::DBRECNO();
        const int order = dn::data::area().controlling();
        EXPECT_TRUE(dn::app::DUP(dn::schema::slotCode(1), kToday.addDays(5)));
        EXPECT_FALSE(dn::app::DUP(dn::schema::slotCode(1), kToday.addDays(6)));
        EXPECT_FALSE(dn::app::DUP(dn::schema::slotCode(2), kToday));
        EXPECT_EQ(dn::data::DBRECNO(), recno);
        EXPECT_EQ(dn::data::area().controlling(), order);
        EXPECT_EQ(dn::data::ORDKEYCOUNT(), 2u);
        EXPECT_EQ(dn::data::TOTREC(), 4u);
    });
}
