// The deadline search: the view's text, and the dialog "RICERCA" driven through the
// deadline list with a set clock (Wednesday 23 April 2025).

#include "deadline_fixture.h"

#include "app/deadline_search.h"
#include "common/data/workspace.h"

using namespace deadlinetest;
using dn::app::searchText;

namespace {

using Texts = std::vector<std::string>;

} // namespace

TEST(SearchText, CriteriaInTheirOrderUpperCasedWithoutTheLastAnd) {
    const Date from = Date::fromYmd(2026, 12, 1);
    const Date to = Date::fromYmd(2026, 12, 31);
    EXPECT_EQ(searchText(from, to, "iva"),
              "CTOD( \"01/12/2026\" ) <= FIELD -> DATA .AND. CTOD( \"31/12/2026\" ) >= FIELD -> "
              "DATA .AND. \"IVA\" $ UPPER( FIELD -> INCOMBENZA )");
    EXPECT_EQ(searchText(Date(), to, ""), "CTOD( \"31/12/2026\" ) >= FIELD -> DATA");
    EXPECT_EQ(searchText(Date(), Date(), " iva"), "\" IVA\" $ UPPER( FIELD -> INCOMBENZA )");
    // Quotes in the text become bracketed literals; accented letters go upper case.
    EXPECT_EQ(searchText(Date(), Date(), "d\"acqua perch\xE9"),
              "\"D\" + [\"] + \"ACQUA PERCH\xC9\" $ UPPER( FIELD -> INCOMBENZA )");
    EXPECT_EQ(searchText(Date(), Date(), ""), "");
}

namespace {

class DeadlineSearch : public DeadlineFixture {
protected:
    void SetUp() override {
        DeadlineFixture::SetUp();
        addDeadline(1, day(2024, 1, 16), true, "", "Versamento IVA");
        addDeadline(1, day(2026, 12, 16), false, "", "pagare l'iva di novembre");
        addDeadline(1, day(2026, 12, 1), true, "09:00", "Riunione");
        addDeadline(1, day(2026, 12, 31), false, "", "Chiusura anno");
        addDeadline(1, day(2027, 1, 1), false, "", "Capodanno");
        addDeadline(1, day(2025, 5, 16), true, "", "Iva trimestrale");
        addDeadline(1, kToday, false, "", "Telefonare");
        addDeadline(2, day(2026, 12, 16), false, "", "IVA di Anna");
    }
    // Opens slot 1's list, runs a search with the dialog script, and hands the list
    // to after.
    void search(t::DialogDriver::Script ricerca, const std::function<void(TDialog&)>& after) {
        openList(1, [&](TDialog& d) {
            drive_.on("RICERCA", std::move(ricerca));
            t::press(d, 205);
            after(d);
            t::press(d, 201);
        });
    }
    static t::DialogDriver::Script criteria(const std::string& from, const std::string& to,
                                            const std::string& text) {
        return [=](TDialog& r) {
            EXPECT_EQ(t::text(r, 101), "  /  /    ");
            EXPECT_EQ(t::text(r, 103), "  /  /    ");
            EXPECT_EQ(t::text(r, 105).find_first_not_of(' '), std::string::npos);
            if (!from.empty())
                t::type(r, 101, from);
            if (!to.empty())
                t::type(r, 103, to);
            if (!text.empty())
                t::type(r, 105, text);
            t::press(r, 201);
        };
    }
    static Texts tasks(TDialog& d) {
        Texts out;
        for (const auto& row : rows(d))
            out.push_back(row[2]);
        return out;
    }
    static std::string title(const std::string& counts) {
        return "Deltranota per Ufficio di Mercoled\xEC 23 Aprile 2025 - " + counts;
    }
};

} // namespace

TEST_F(DeadlineSearch, TextInLowerCaseFindsTheSlotsDeadlinesInAnyCaseDoneOrNotOfAnyDate) {
    search(criteria("", "", "iva"), [](TDialog& d) {
        EXPECT_EQ(tasks(d),
                  (Texts{"Versamento IVA", "Iva trimestrale", "pagare l'iva di novembre"}));
        EXPECT_EQ(d.GetText(), title("3 di 7"));
        EXPECT_EQ(rows(d)[0][3], "SELECT");
        EXPECT_EQ(dn::data::area().viewText(), "\"IVA\" $ UPPER( FIELD -> INCOMBENZA )");
    });
    EXPECT_TRUE(messages_.asked.empty());
}

TEST_F(DeadlineSearch, DecemberRangeListsDoneOnesTooAndAReversedRangeNothing) {
    search(criteria("01/12/2026", "31/12/2026", ""), [&](TDialog& d) {
        EXPECT_EQ(tasks(d), (Texts{"Riunione", "pagare l'iva di novembre", "Chiusura anno"}));
        EXPECT_EQ(d.GetText(), title("3 di 7"));
        // The example of the three criteria together.
        drive_.on("RICERCA", criteria("01/12/2026", "31/12/2026", "iva"));
        t::press(d, 205);
        EXPECT_EQ(tasks(d), Texts{"pagare l'iva di novembre"});
        EXPECT_EQ(dn::data::area().viewText(),
                  "CTOD( \"01/12/2026\" ) <= FIELD -> DATA .AND. CTOD( \"31/12/2026\" ) >= "
                  "FIELD -> DATA .AND. \"IVA\" $ UPPER( FIELD -> INCOMBENZA )");
        drive_.on("RICERCA", criteria("31/12/2026", "01/12/2026", ""));
        t::press(d, 205);
        EXPECT_TRUE(rows(d).empty());
        EXPECT_EQ(d.GetText(), title("0 di 7"));
        EXPECT_FALSE(enabled(d, 203));
    });
}

TEST_F(DeadlineSearch, LeadingBlankIsPartOfTheTextAndTrailingOnesAreNot) {
    search(criteria("", "", " iva  "), [](TDialog& d) {
        // No blank before the word in "Iva trimestrale" and "l'iva".
        EXPECT_EQ(tasks(d), Texts{"Versamento IVA"});
    });
}

TEST_F(DeadlineSearch, NoCriterionKeepsTheViewAndTutteShowsEverything) {
    search(criteria("", "", ""), [&](TDialog& d) {
        // Still the list's first view: what is pending up to today.
        EXPECT_EQ(tasks(d), Texts{"Telefonare"});
        EXPECT_EQ(d.GetText(), title("1 di 7"));
        drive_.on("RICERCA", criteria("", "", "   "));
        t::press(d, 205);
        EXPECT_EQ(tasks(d), Texts{"Telefonare"});

        drive_.on("RICERCA", [](TDialog& r) {
            t::type(r, 105, "iva");
            t::press(r, 203);
        });
        t::press(d, 205);
        EXPECT_EQ(rows(d).size(), 7u);
        EXPECT_EQ(d.GetText(), title("7 di 7"));
        // Cancelling changes nothing.
        drive_.on("RICERCA", [](TDialog& r) {
            t::type(r, 105, "iva");
            t::closeBox(r);
        });
        t::press(d, 205);
        EXPECT_EQ(rows(d).size(), 7u);
    });
    EXPECT_TRUE(messages_.asked.empty());
}

TEST_F(DeadlineSearch, FailedViewIsReportedAndTheListShowsTheSlotsDeadlines) {
    dn::platform::FaultHooks hooks;
    // The view's index is built in a scratch file and then put in its place.
    hooks.onWrite = [](const std::string& path, uint64_t, size_t) -> long long {
        return path.size() > 4 && path.compare(path.size() - 4, 4, ".TMP") == 0 ? 0 : -1;
    };
    search(
        [&](TDialog& r) {
            dn::platform::setFaultHooks(hooks);
            t::type(r, 105, "iva");
            t::press(r, 201);
        },
        [](TDialog& d) {
            dn::platform::clearFaultHooks();
            EXPECT_TRUE(d.hWnd()->isVisible()) << "the list stays open";
            // The slot's order without a view: its seven deadlines, not slot 2's.
            EXPECT_EQ(rows(d).size(), 7u);
            EXPECT_EQ(d.GetText(), title("7 di 7"));
            EXPECT_EQ(dn::data::area().viewText(), "");
        });
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text.rfind("Spazio sul disco ", 0), 0u) << messages_.asked[0].text;
}
