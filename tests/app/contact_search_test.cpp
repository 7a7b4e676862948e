// The contact search: the condition text it builds, and what the list shows after
// each kind of search, driven through the address book window.

#include "app/contact_search.h"
#include "app/procedures.h"
#include "common/data/library.h"
#include "common/data/views.h"
#include "common/util/trim.h"
#include "tests/support/address_book_fixture.h"

#include <QTest>

using namespace booktest;
using dn::TDialog;
using dn::app::ContactCriteria;
using dn::app::contactSearchCondition;
namespace t = dn::test;
namespace data = dn::data;

namespace {

TEST(ContactSearchCondition, IsBuiltFromTheTypedCriteriaInTheirOrder) {
    EXPECT_EQ(contactSearchCondition({}), "");
    EXPECT_EQ(contactSearchCondition({"   ", "", "  ", ""}), "");
    EXPECT_EQ(contactSearchCondition({"ross  ", "", "", ""}),
              "\"ROSS\" $ UPPER( FIELD -> NOMINATIVO )");
    EXPECT_EQ(contactSearchCondition({"", "0", "", ""}),
              "\"0\" $ FIELD -> TELEFONO1 + [ ] + FIELD -> TELEFONO2 + [ ] + FIELD -> "
              "TELEFONO3 + [ ] + FIELD -> CASA + [ ] + FIELD -> CELLULARE + [ ] + FIELD -> FAX "
              "+ [ ] + FIELD -> NOTE");
    EXPECT_EQ(contactSearchCondition({" a\"b", "", "x@y", "n\xf2te"}),
              "\" A\" + [\"] + \"B\" $ UPPER( FIELD -> NOMINATIVO ) .AND. \"X@Y\" $ UPPER( "
              "FIELD -> E_MAIL ) .AND. \"N\xd2TE\" $ UPPER( FIELD -> NOTE )");
}

using ContactSearch = AddressBookFixture;

// Opens the list, runs a search with the four criteria, lets check look at the
// list, then closes it.
void search(t::DialogDriver& drive, const ContactCriteria& c, std::function<void(TDialog&)> check) {
    drive.on("RUBRICA", [&drive, c, check](TDialog& d) {
        drive.on("RICERCA2", [c](TDialog& s) {
            EXPECT_EQ(title(s), "Ricerca");
            t::type(s, 101, c.name);
            t::type(s, 102, c.phone);
            t::type(s, 103, c.mail);
            t::type(s, 104, c.notes);
            t::press(s, 201);
        });
        t::press(d, 205);
        check(d);
        t::press(d, 201);
    });
    dn::app::RUBRICA();
}

class ContactSearchBook : public ContactSearch {
protected:
    void SetUp() override {
        ContactSearch::SetUp();
        addContact("Borrossa Anna", {{"E_MAIL", "anna@esempio.it"}});
        addContact("BIANCHI", {{"TELEFONO1", "123"}, {"NOTE", "interno 40"}});
        addContact("Rossi", {{"E_MAIL", "ROSSI@ESEMPIO.IT"}, {"CASA", "555"}});
        addContact("ROSSINI", {{"FAX", "777"}, {"NOTE", "Chiamare il luned\xec"}});
        addContact("Niccol\xf2 Societ\xe0", {{"CELLULARE", "999"}});
        addContact("VERDI", {{"TELEFONO3", "4"}});
    }
};

TEST_F(ContactSearchBook, PartOfTheNameFindsItAnywhereInAnyCase) {
    t::DialogDriver drive;
    search(drive, {"ross", "", "", ""}, [this](TDialog& d) {
        EXPECT_EQ(shownNames(d), (std::vector<std::string>{"Borrossa Anna", "Rossi", "ROSSINI"}));
        EXPECT_EQ(title(d), "Rubrica telefonica - 3 di 6");
        EXPECT_EQ(currentName(), "Borrossa Anna");
        EXPECT_EQ(messages_.waits, std::vector<std::string>{"Elaborazione in corso..."});
    });
}

TEST_F(ContactSearchBook, TheTelephoneCriterionSearchesTheSixNumbersAndTheNotes) {
    t::DialogDriver drive;
    search(drive, {"", "4", "", ""}, [](TDialog& d) {
        // "interno 40" in BIANCHI's notes, and VERDI's third office number.
        EXPECT_EQ(shownNames(d), (std::vector<std::string>{"BIANCHI", "VERDI"}));
    });
    search(drive, {"", "99", "", ""}, [](TDialog& d) {
        EXPECT_EQ(shownNames(d), std::vector<std::string>{"Niccol\xf2 Societ\xe0"});
    });
}

TEST_F(ContactSearchBook, TwoCriteriaMustBothHold) {
    t::DialogDriver drive;
    search(drive, {"ross", "", "esempio", ""}, [](TDialog& d) {
        EXPECT_EQ(shownNames(d), (std::vector<std::string>{"Borrossa Anna", "Rossi"}));
    });
    search(drive, {"ross", "5", "esempio", ""},
           [](TDialog& d) { EXPECT_EQ(shownNames(d), std::vector<std::string>{"Rossi"}); });
}

TEST_F(ContactSearchBook, AccentedLettersMatchInAnyCase) {
    t::DialogDriver drive;
    search(drive, {"SOCIET\xc0", "", "", ""}, [](TDialog& d) {
        EXPECT_EQ(shownNames(d), std::vector<std::string>{"Niccol\xf2 Societ\xe0"});
    });
    search(drive, {"", "", "", "LUNED\xcc"},
           [](TDialog& d) { EXPECT_EQ(shownNames(d), std::vector<std::string>{"ROSSINI"}); });
}

TEST_F(ContactSearchBook, NoMatchEmptiesTheListAndLeavesOnlyTheButtonsThatCanAct) {
    t::DialogDriver drive;
    search(drive, {"zzz", "", "", ""}, [](TDialog& d) {
        EXPECT_TRUE(shownNames(d).empty());
        EXPECT_EQ(title(d), "Rubrica telefonica - 0 di 6");
        EXPECT_FALSE(enabled(d, 203));
        EXPECT_FALSE(enabled(d, 204));
        EXPECT_TRUE(enabled(d, 205));
        EXPECT_FALSE(enabled(d, 206));
    });
}

TEST_F(ContactSearchBook, EmptyCriteriaKeepTheViewAndAllShowsEveryContactAgain) {
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        drive.on("RICERCA2", [](TDialog& s) {
            t::type(s, 101, "ross");
            t::press(s, 201);
        });
        t::press(d, 205);
        EXPECT_EQ(title(d), "Rubrica telefonica - 3 di 6");
        // Each criterion starts empty; confirming with none changes nothing.
        drive.on("RICERCA2", [](TDialog& s) {
            for (int id = 101; id <= 104; ++id)
                EXPECT_EQ(dn::trimRight(t::text(s, id)), "") << id;
            t::press(s, 201);
        });
        t::press(d, 205);
        EXPECT_EQ(title(d), "Rubrica telefonica - 3 di 6");
        // Annulla changes nothing either, whatever was typed.
        drive.on("RICERCA2", [](TDialog& s) {
            t::type(s, 101, "verdi");
            t::press(s, 202);
        });
        t::press(d, 205);
        EXPECT_EQ(title(d), "Rubrica telefonica - 3 di 6");
        drive.on("RICERCA2", [](TDialog& s) { t::press(s, 203); });
        t::press(d, 205);
        EXPECT_EQ(title(d), "Rubrica telefonica - 6 di 6");
        EXPECT_EQ(shownNames(d).front(), "BIANCHI");
        EXPECT_EQ(currentName(), "BIANCHI");
        // Type-ahead works on the name order again.
        listOf(d).hWnd()->setFocus();
        QTest::keyClicks(listOf(d).hWnd(), "v");
        EXPECT_EQ(currentName(), "VERDI");
        // "&Tutti" with no view leaves the full list on its first contact.
        drive.on("RICERCA2", [](TDialog& s) { t::press(s, 203); });
        t::press(d, 205);
        EXPECT_EQ(title(d), "Rubrica telefonica - 6 di 6");
        EXPECT_EQ(currentName(), "BIANCHI");
        t::press(d, 201);
    });
    dn::app::RUBRICA();
}

TEST_F(ContactSearchBook, CriteriaTakeTwentyCharactersAndTheTelephoneFifteenDigits) {
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        drive.on("RICERCA2", [](TDialog& s) {
            t::type(s, 101, std::string(25, 'a'));
            EXPECT_EQ(t::text(s, 101), std::string(20, 'a'));
            t::type(s, 102, "12a3-4 5678901234567");
            EXPECT_EQ(t::text(s, 102), "123456789012345");
            t::type(s, 103, std::string(25, 'b'));
            EXPECT_EQ(t::text(s, 103), std::string(20, 'b'));
            t::type(s, 104, std::string(25, 'c'));
            EXPECT_EQ(t::text(s, 104), std::string(20, 'c'));
            t::press(s, 202);
        });
        t::press(d, 205);
        t::press(d, 201);
    });
    dn::app::RUBRICA();
}

TEST_F(ContactSearchBook, AContactAddedDuringASearchFollowsTheView) {
    t::DialogDriver drive;
    search(drive, {"ross", "", "", ""}, [&](TDialog& d) {
        drive.on("RUBRICA2", [](TDialog& e) {
            t::type(e, 101, "Grossi");
            t::press(e, 201);
        });
        t::press(d, 202);
        EXPECT_EQ(shownNames(d),
                  (std::vector<std::string>{"Borrossa Anna", "Grossi", "Rossi", "ROSSINI"}));
        EXPECT_EQ(title(d), "Rubrica telefonica - 4 di 7");
    });
}

TEST_F(ContactSearchBook, AContactChangedSoThatItNoLongerMatchesLeavesTheView) {
    t::DialogDriver drive;
    search(drive, {"ross", "", "", ""}, [&](TDialog& d) {
        t::click(rowsOf(d), 40, rowY(d, 2));
        EXPECT_EQ(currentName(), "Rossi");
        drive.on("RUBRICA2", [](TDialog& e) {
            t::type(e, 101, "Neri");
            t::press(e, 201);
        });
        t::press(d, 203);
        EXPECT_EQ(shownNames(d), (std::vector<std::string>{"Borrossa Anna", "ROSSINI"}));
    });
    EXPECT_EQ(names().size(), 6u);
}

TEST_F(ContactSearchBook, AFailedSearchShowsItsMessageAndKeepsTheNameOrder) {
    t::DialogDriver drive;
    // The view cannot be written: the instance folder is gone.
    const std::string folder = data::instance().folder;
    search(drive, {"ross", "", "", ""}, [&](TDialog& d) {
        EXPECT_EQ(shownNames(d).size(), 3u);
        fs::rename(folder, folder + "x");
        drive.on("RICERCA2", [](TDialog& s) {
            t::type(s, 101, "verdi");
            t::press(s, 201);
        });
        t::press(d, 205);
        fs::rename(folder + "x", folder);
        EXPECT_TRUE(d.IsActive());
        ASSERT_EQ(messages_.asked.size(), 1u);
        EXPECT_NE(messages_.asked[0].text.find("non trovato"), std::string::npos)
            << messages_.asked[0].text;
        EXPECT_EQ(title(d), "Rubrica telefonica - 6 di 6");
        EXPECT_EQ(shownNames(d).front(), "BIANCHI");
        listOf(d).hWnd()->setFocus();
        QTest::keyClicks(listOf(d).hWnd(), "r");
        EXPECT_EQ(currentName(), "Rossi");
    });
}

} // namespace
