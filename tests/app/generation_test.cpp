// Recurring deadlines: the dates of a series under each rule, the dialog "GENERA"
// driven through the deadline list with a set clock (Wednesday 23 April 2025), and
// the series numbers.

#include "deadline_fixture.h"

#include "app/generation.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/ui/popmsg.h"
#include "toolkit/controls.h"

#include <QApplication>
#include <QProgressBar>

using namespace deadlinetest;
using dn::app::Period;
using dn::app::Rule;

namespace {

using Texts = std::vector<std::string>;

Date dmy(const std::string& text) {
    return Date::fromText(text);
}

Texts texts(const std::vector<Date>& dates) {
    Texts out;
    for (Date d : dates)
        out.push_back(d.toText());
    return out;
}

Texts datesOf(const std::string& start, const std::string& end, Period p, Rule r,
              bool saturday = false) {
    dn::app::Series s;
    s.start = dmy(start);
    s.end = dmy(end);
    s.period = p;
    s.rule = r;
    s.saturdayIsHoliday = saturday;
    return texts(dn::app::seriesDates(s));
}

} // namespace

TEST(SeriesDates, MonthlyFromTheLastOfJanuaryKeepsTheClampUnderEveryRule) {
    // 31 January, 28 February and 28 March 2027 are Sundays (28 March is Easter,
    // 29 March Easter Monday), as is 28 November.
    EXPECT_EQ(datesOf("31/01/2027", "31/12/2027", Period::Mese, Rule::Impegna),
              (Texts{"31/01/2027", "28/02/2027", "28/03/2027", "28/04/2027", "28/05/2027",
                     "28/06/2027", "28/07/2027", "28/08/2027", "28/09/2027", "28/10/2027",
                     "28/11/2027", "28/12/2027"}));
    EXPECT_EQ(datesOf("31/01/2027", "31/12/2027", Period::Mese, Rule::Posticipa),
              (Texts{"01/02/2027", "01/03/2027", "30/03/2027", "28/04/2027", "28/05/2027",
                     "28/06/2027", "28/07/2027", "28/08/2027", "28/09/2027", "28/10/2027",
                     "29/11/2027", "28/12/2027"}));
    EXPECT_EQ(datesOf("31/01/2027", "31/12/2027", Period::Mese, Rule::Anticipa),
              (Texts{"30/01/2027", "27/02/2027", "27/03/2027", "28/04/2027", "28/05/2027",
                     "28/06/2027", "28/07/2027", "28/08/2027", "28/09/2027", "28/10/2027",
                     "27/11/2027", "28/12/2027"}));
    // The skipped dates still drive the steps.
    EXPECT_EQ(datesOf("31/01/2027", "31/12/2027", Period::Mese, Rule::Salta),
              (Texts{"28/04/2027", "28/05/2027", "28/06/2027", "28/07/2027", "28/08/2027",
                     "28/09/2027", "28/10/2027", "28/12/2027"}));
    // Longer periods clamp the same way.
    EXPECT_EQ(datesOf("31/08/2027", "31/12/2028", Period::Semestre, Rule::Impegna),
              (Texts{"31/08/2027", "29/02/2028", "29/08/2028"}));
    EXPECT_EQ(datesOf("30/11/2027", "31/12/2028", Period::Quadrimestre, Rule::Impegna),
              (Texts{"30/11/2027", "30/03/2028", "30/07/2028", "30/11/2028"}));
}

TEST(SeriesDates, WeeklyAroundLiberationAndLabourDayWithAndWithoutSaturdays) {
    EXPECT_EQ(datesOf("24/04/2027", "08/05/2027", Period::Settimana, Rule::Anticipa, true),
              (Texts{"23/04/2027", "30/04/2027", "07/05/2027"}));
    EXPECT_EQ(datesOf("24/04/2027", "08/05/2027", Period::Settimana, Rule::Anticipa, false),
              (Texts{"24/04/2027", "30/04/2027", "08/05/2027"}));
    // Forward over Sunday 25 April, Saturday 1 May and Sunday 2 May.
    EXPECT_EQ(datesOf("24/04/2027", "08/05/2027", Period::Settimana, Rule::Posticipa, true),
              (Texts{"26/04/2027", "03/05/2027", "10/05/2027"}));
    EXPECT_EQ(datesOf("24/04/2027", "08/05/2027", Period::Settimana, Rule::Posticipa, false),
              (Texts{"24/04/2027", "03/05/2027", "08/05/2027"}));
}

TEST(SeriesDates, DailyAcrossChristmasAndNewYearSkipsEveryHoliday) {
    const Texts expected{"24/12/2027", "27/12/2027", "28/12/2027", "29/12/2027", "30/12/2027",
                         "31/12/2027", "03/01/2028", "04/01/2028", "05/01/2028", "07/01/2028"};
    EXPECT_EQ(datesOf("24/12/2027", "07/01/2028", Period::Giorno, Rule::Salta), expected);
    // Every Saturday of that stretch is a holiday anyway.
    EXPECT_EQ(datesOf("24/12/2027", "07/01/2028", Period::Giorno, Rule::Salta, true), expected);
    EXPECT_EQ(datesOf("24/12/2027", "28/12/2027", Period::Giorno, Rule::Impegna).size(), 5u);
}

TEST(SeriesDates, YearlyFromTheTwentyNinthOfFebruaryStaysOnTheTwentyEighth) {
    EXPECT_EQ(datesOf("29/02/2028", "29/02/2032", Period::Anno, Rule::Impegna),
              (Texts{"29/02/2028", "28/02/2029", "28/02/2030", "28/02/2031", "28/02/2032"}));
}

TEST(SeriesDates, MovedDatesMayLeaveTheRangeAndCoincide) {
    // Sunday 2 May goes back over Saturday 1 May to the day before the start.
    EXPECT_EQ(datesOf("02/05/2027", "16/05/2027", Period::Settimana, Rule::Anticipa),
              (Texts{"30/04/2027", "08/05/2027", "15/05/2027"}));
    // Sunday 16 May moves past the end.
    EXPECT_EQ(datesOf("09/05/2027", "16/05/2027", Period::Settimana, Rule::Posticipa),
              (Texts{"10/05/2027", "17/05/2027"}));
    // A daily series (which the dialog refuses to move) lands three times on a day.
    EXPECT_EQ(datesOf("25/12/2027", "27/12/2027", Period::Giorno, Rule::Posticipa),
              (Texts{"27/12/2027", "27/12/2027", "27/12/2027"}));
    // Start equal to end: one deadline, or none when skipped.
    EXPECT_EQ(datesOf("28/03/2027", "28/03/2027", Period::Mese, Rule::Impegna),
              Texts{"28/03/2027"});
    EXPECT_TRUE(datesOf("28/03/2027", "28/03/2027", Period::Mese, Rule::Salta).empty());
    EXPECT_TRUE(datesOf("29/03/2027", "28/03/2027", Period::Mese, Rule::Impegna).empty());
}

TEST(SeriesDates, TheLastYearEndsTheSeries) {
    EXPECT_EQ(datesOf("30/12/9999", "31/12/9999", Period::Giorno, Rule::Impegna),
              (Texts{"30/12/9999", "31/12/9999"}));
    EXPECT_EQ(datesOf("31/12/9998", "31/12/9999", Period::Anno, Rule::Impegna),
              (Texts{"31/12/9998", "31/12/9999"}));
}

namespace {

// One generated deadline as stored.
struct Generated {
    std::string code;
    std::string date;
    std::string time;
    std::string text;
    std::string series;
    bool done = false;
    bool deleted = false;
};

std::vector<Generated> storedSeries() {
    dn::dbf::Table t;
    t.open("SCADENZE.DBF", {true, true});
    std::vector<Generated> out;
    for (uint32_t r = 1; r <= t.recordCount(); ++r) {
        t.goTo(r);
        out.push_back({t.get("CODICE").text(), t.get("DATA").date().toText(), t.get("ORA").text(),
                       t.get("INCOMBENZA").text(), t.get("GENERAZIO").text(),
                       t.get("EVASA").logical(), t.deleted()});
    }
    return out;
}

class Generation : public DeadlineFixture {
protected:
    // Fills the dialog "GENERA": dates, time (empty: untouched), period and rule
    // as positions in their lists (0: left alone), the Saturday box, the text.
    static void fill(TDialog& g, const std::string& start, const std::string& end,
                     const std::string& time, int period, int rule, bool saturday,
                     const std::string& text) {
        if (!start.empty())
            t::type(g, 101, start);
        if (!end.empty())
            t::type(g, 103, end);
        if (!time.empty())
            t::type(g, 105, time);
        if (period)
            t::choose(*dynamic_cast<dn::TComboBox*>(t::control(g, 106)), period);
        if (rule)
            t::choose(*dynamic_cast<dn::TComboBox*>(t::control(g, 107)), rule);
        if (saturday)
            t::press(g, 108);
        if (!text.empty())
            t::type(g, 109, text);
    }
    // Opens slot 1's list, presses "&Genera" with the script queued for the dialog
    // and looks at the list afterwards.
    // writes: the generation runs, with its wait box.
    void generate(t::DialogDriver::Script genera, const std::function<void(TDialog&)>& after,
                  bool writes = true) {
        openList(1, [&](TDialog& d) {
            drive_.on("GENERA", std::move(genera));
            if (writes)
                drive_.on("Attendere", [](TDialog&) {});
            t::press(d, 207);
            after(d);
            t::press(d, 201);
        });
    }
};

// The wait box's bar, when one shows.
QProgressBar* waitBar() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            if (auto* bar = w->findChild<QProgressBar*>())
                return bar;
    return nullptr;
}

} // namespace

TEST_F(Generation, DialogWritesOneSeriesForTheSlotAndTheListShowsItsTitle) {
    addDeadline(1, kToday, false, "", "Esistente");
    // The wait box and its bar, looked at each time the table file is written.
    std::vector<int> positions;
    int barMaximum = -1;
    dn::platform::FaultHooks hooks;
    hooks.onWrite = [&](const std::string& path, uint64_t, size_t) -> long long {
        if (path.find("SCADENZE.DBF") != std::string::npos && dn::ui::CURMSG())
            if (QProgressBar* bar = waitBar()) {
                EXPECT_EQ(*dn::ui::CURMSG(), dn::app::kSeriesWait);
                barMaximum = bar->maximum();
                if (positions.empty() || positions.back() != bar->value())
                    positions.push_back(bar->value());
            }
        return -1;
    };
    dn::platform::setFaultHooks(hooks);
    generate(
        [](TDialog& g) {
            EXPECT_EQ(g.GetText(), "Genera");
            EXPECT_EQ(t::text(g, 101), "  /  /    ");
            EXPECT_EQ(t::text(g, 105), "  :  ");
            EXPECT_EQ(t::text(g, 107), "Impegna");
            fill(g, "31/01/2027", "30/06/2027", "09:30", 3, 4, false, "Versamento IVA");
            t::press(g, 201);
        },
        [](TDialog& d) {
            EXPECT_EQ(d.GetText(),
                      "Deltranota per Ufficio di Mercoled\xEC 23 Aprile 2025 - 1 di 7");
            t::press(d, 206);
            EXPECT_EQ(rows(d).size(), 7u);
            EXPECT_EQ(rows(d)[1][0], "01/02/2027 Lun");
        });
    dn::platform::clearFaultHooks();
    EXPECT_TRUE(messages_.asked.empty());
    EXPECT_EQ(dn::ui::CURMSG(), std::nullopt) << "the wait box closes";
    EXPECT_EQ(barMaximum, 6);
    EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}))
        << "the bar moves while the records are written";

    const std::vector<Generated> all = storedSeries();
    ASSERT_EQ(all.size(), 7u);
    const Texts dates{"01/02/2027", "01/03/2027", "30/03/2027",
                      "28/04/2027", "28/05/2027", "28/06/2027"};
    for (size_t i = 0; i < dates.size(); ++i) {
        const Generated& g = all[i + 1];
        EXPECT_EQ(g.code, dn::schema::slotCode(1));
        EXPECT_EQ(g.date, dates[i]);
        EXPECT_EQ(g.time, "09:30");
        EXPECT_EQ(g.text, "Versamento IVA");
        EXPECT_EQ(g.series, "         1");
        EXPECT_FALSE(g.done);
    }
}

TEST_F(Generation, EveryFieldCheckRefusesUntilTheValuesHold) {
    generate(
        [](TDialog& g) {
            auto refused = [&](const char* why) {
                t::press(g, 201);
                EXPECT_TRUE(g.hWnd() && g.hWnd()->isVisible()) << why;
            };
            refused("all empty");
            fill(g, "23/04/2025", "", "", 1, 0, false, "Controllo");
            refused("end empty");
            fill(g, "22/04/2025", "30/04/2025", "", 0, 0, false, "");
            refused("start before today");
            t::type(g, 101, "01/05/2025");
            refused("start after the end");
            t::type(g, 101, "23/04/2025");
            t::type(g, 103, "22/04/2025");
            refused("end before today");
            t::type(g, 103, "30/04/2025");
            t::type(g, 105, "24:00");
            refused("hour 24");
            t::type(g, 105, "12:60");
            refused("minute 60");
            t::type(g, 105, "08:30");
            t::choose(*dynamic_cast<dn::TComboBox*>(t::control(g, 107)), 3);
            refused("a daily series cannot move back");
            t::choose(*dynamic_cast<dn::TComboBox*>(t::control(g, 107)), 4);
            refused("nor forward");
            t::choose(*dynamic_cast<dn::TComboBox*>(t::control(g, 107)), 2);
            t::type(g, 109, "   ");
            refused("blank text");
            t::type(g, 109, "Controllo");
            t::press(g, 201);
        },
        [](TDialog&) {});
    // Each refusal said why, and the first one pointed at the start date.
    ASSERT_EQ(messages_.asked.size(), 10u);
    for (const auto& a : messages_.asked) {
        EXPECT_EQ(a.kind, 1);
        EXPECT_EQ(a.text, "Campo non valido.");
    }
    // 23 to 30 April 2025, skipping Friday 25 April and Sunday 27 April.
    const std::vector<Generated> all = storedSeries();
    Texts dates;
    for (const Generated& g : all)
        dates.push_back(g.date);
    EXPECT_EQ(dates, (Texts{"23/04/2025", "24/04/2025", "26/04/2025", "28/04/2025", "29/04/2025",
                            "30/04/2025"}));
    EXPECT_EQ(all[0].time, "08:30");
}

TEST_F(Generation, PeriodMustBeChosenAndCancellingWritesNothingAndAsksNothing) {
    generate(
        [](TDialog& g) {
            fill(g, "01/05/2025", "01/06/2025", "", 0, 0, false, "Senza periodo");
            t::press(g, 201);
            EXPECT_TRUE(g.hWnd()->isVisible());
            t::press(g, 202);
        },
        [](TDialog&) {}, false);
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text, "Campo non valido.");
    EXPECT_EQ(recordCount(), 0u);

    generate(
        [](TDialog& g) {
            fill(g, "01/05/2025", "01/06/2025", "", 5, 0, false, "Chiuso dal riquadro");
            t::closeBox(g);
        },
        [](TDialog&) {}, false);
    EXPECT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(recordCount(), 0u);
}

TEST_F(Generation, ProtectedDriveShowsTheDialogAgainWithTheValuesEntered) {
    // A folder in the probe file's place: nothing can be created there.
    const fs::path probe = std::string(8, '\x7f') + "." + std::string(3, '\x7f');
    fs::create_directory(probe);
    messages_.onAsk = [&](const auto&) { fs::remove(probe); };
    openList(1, [&](TDialog& d) {
        drive_.on("GENERA", [](TDialog& g) {
            fill(g, "05/05/2025", "31/12/2025", "08:00", 4, 4, true, "Pagare l'affitto");
            t::press(g, 201);
        });
        drive_.on("GENERA", [](TDialog& g) {
            EXPECT_EQ(t::text(g, 101), "05/05/2025");
            EXPECT_EQ(t::text(g, 103), "31/12/2025");
            EXPECT_EQ(t::text(g, 105), "08:00");
            EXPECT_EQ(t::text(g, 106), "BIMESTRE");
            EXPECT_EQ(t::text(g, 107), "Posticipa");
            EXPECT_TRUE(dynamic_cast<dn::TCheckBox*>(t::control(g, 108))->Checked());
            EXPECT_EQ(t::text(g, 109), "Pagare l'affitto");
            t::press(g, 201);
        });
        drive_.on("Attendere", [](TDialog&) {});
        t::press(d, 207);
        t::press(d, 201);
    });
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text, "Disco protetto da scrittura.");
    // Saturday 5 July moves over Sunday the 6th.
    Texts dates;
    for (const Generated& g : storedSeries())
        dates.push_back(g.date);
    EXPECT_EQ(dates, (Texts{"05/05/2025", "07/07/2025", "05/09/2025", "05/11/2025"}));
}

namespace {

class SeriesNumbers : public DeadlineFixture {
protected:
    // Opens the deadline table as the list does, in an area of its own.
    static void openDeadlines(dn::data::AreaGuard& guard) {
        guard.open("SCADENZE", "LISTA");
        dn::data::ORDADD("SCADENZE");
    }
    // A small series for slot 1, written as the dialog writes it.
    static std::string run(int days) {
        dn::app::Series s;
        s.start = kToday;
        s.end = kToday.addDays(days - 1);
        s.text = "Serie";
        return dn::app::generateSeries(dn::schema::slotCode(1), s);
    }
    static void deleteSeries(const std::string& series) {
        dn::data::AreaGuard guard;
        guard.open("SCADENZE");
        dn::data::DBLOCK(false);
        for (dn::data::DBGOTOP(); !dn::data::DBEOF(); dn::data::DBSKIP())
            if (dn::data::FIELDGET("GENERAZIO").text() == series)
                dn::data::area().table().setDeleted(true);
        dn::data::DBCOMMIT();
        dn::data::DBUNLOCK();
    }
};

} // namespace

TEST_F(SeriesNumbers, FirstIsOneThenTwoADeletedSeriesGivesItsNumberAgainAndTheLastWraps) {
    addDeadline(1, kToday, false); // no series
    {
        dn::data::AreaGuard guard;
        openDeadlines(guard);
        EXPECT_EQ(run(3), "         1");
        EXPECT_EQ(run(2), "         2");
        addDeadline(2, kToday, false); // a deadline of no series after them
        EXPECT_EQ(run(1), "         3");
    }
    deleteSeries("         3");
    {
        dn::data::AreaGuard guard;
        openDeadlines(guard);
        EXPECT_EQ(run(1), "         3");
    }
    addDeadline(1, kToday, false, "", "", "9999999999");
    addDeadline(1, kToday, false, "", "", "         7");
    deleteSeries("         7"); // deleted: not looked at
    {
        dn::data::AreaGuard guard;
        openDeadlines(guard);
        EXPECT_EQ(run(1), "         0");
        EXPECT_EQ(run(1), "         1");
    }
    std::map<std::string, int> perSeries;
    for (const Generated& g : storedSeries())
        if (!g.deleted)
            ++perSeries[g.series];
    EXPECT_EQ(perSeries, (std::map<std::string, int>{{std::string(10, ' '), 2},
                                                     {"         0", 1},
                                                     {"         1", 4},
                                                     {"         2", 2},
                                                     {"         3", 1},
                                                     {"9999999999", 1}}));
}

TEST_F(SeriesNumbers, NextgenKeepsTheTableLockedAndTheRecordWhereItWas) {
    addDeadline(1, kToday, false, "", "", "        41");
    addDeadline(1, kToday.addDays(1), false);
    dn::data::AreaGuard guard;
    openDeadlines(guard);
    dn::data::DBGOTO(1);
    EXPECT_EQ(dn::app::NEXTGEN(), "        42");
    EXPECT_EQ(dn::data::DBRECNO(), 1u);
    dn::dbf::Table other;
    other.open("SCADENZE.DBF", {true, true});
    EXPECT_FALSE(other.lockFile()) << "the number is not claimed yet";
    dn::data::DBUNLOCK();
    EXPECT_TRUE(other.lockFile());
}

// Another computer draws a number in the instant in which an append lets the table
// lock go (as it does on Windows, where a lock cannot be narrowed in place).
TEST_F(SeriesNumbers, AnotherComputerDrawingWhileAnAppendLetsGoGetsTheNextNumber) {
    addDeadline(1, kToday, false, "", "", "         5");
    dn::data::AreaGuard other;
    other.open("SCADENZE", "ALTRO");
    const int otherArea = dn::data::SELECT();
    dn::data::AreaGuard mine;
    openDeadlines(mine);
    const int myArea = dn::data::SELECT();

    std::vector<std::string> drawn;
    dn::platform::FaultHooks hooks;
    hooks.betweenNarrow = [&](const std::string& path) {
        if (path.find("SCADENZE.DBF") == std::string::npos || !drawn.empty())
            return;
        dn::data::DBSELECTAREA(otherArea);
        drawn.push_back(dn::app::NEXTGEN());
        dn::data::DBUNLOCK();
        dn::data::DBSELECTAREA(myArea);
    };
    dn::platform::setFaultHooks(hooks);
    const std::string series = run(3);
    dn::platform::clearFaultHooks();
    ASSERT_EQ(drawn.size(), 1u) << "an append narrowed its lock";
    EXPECT_EQ(series, "         6");
    EXPECT_EQ(drawn[0], "         7");
    // All three records carry the number and are locked by nobody now.
    int carrying = 0;
    for (const Generated& g : storedSeries())
        carrying += g.series == series;
    EXPECT_EQ(carrying, 3);
}
