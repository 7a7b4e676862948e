// The address book window: title and counts, buttons and their conditions,
// type-ahead, deletion, and the work area left as it was on every way out.

#include "app/procedures.h"
#include "common/data/views.h"
#include "tests/support/address_book_fixture.h"
#include "tests/support/print_helpers.h"

#include <QTest>

using namespace booktest;
using dn::TDialog;
namespace t = dn::test;
namespace data = dn::data;

namespace {

// Types characters into the list as key presses.
void typeInList(TDialog& d, const std::string& keys) {
    QWidget* w = listOf(d).hWnd();
    w->setFocus();
    for (char c : keys) {
        if (c == '\b')
            QTest::keyClick(w, Qt::Key_Backspace);
        else
            QTest::keyClicks(w, QString(QChar(c)));
    }
    t::settle();
}

using AddressBook = AddressBookFixture;

TEST_F(AddressBook, AnEmptyBookShowsNoneOfNoneAndOnlyTheButtonsThatCanAct) {
    const int selected = data::DBSELECTAREA(3);
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        EXPECT_EQ(title(d), "Rubrica telefonica - 0 di 0");
        EXPECT_EQ(listOf(d).aHeaders, std::vector<std::string>{"NOMINATIVO"});
        EXPECT_TRUE(enabled(d, 201));
        EXPECT_TRUE(enabled(d, 202));
        EXPECT_FALSE(enabled(d, 203));
        EXPECT_FALSE(enabled(d, 204));
        EXPECT_TRUE(enabled(d, 205));
        EXPECT_FALSE(enabled(d, 206));
        // A double click and Enter on the empty list open nothing (the driver
        // would fail on an editor with no script).
        t::click(rowsOf(d), 40, rowY(d, 1), true);
        t::key(listOf(d).hWnd(), Qt::Key_Return);
        t::press(d, 201);
    });
    dn::app::RUBRICA();
    EXPECT_TRUE(messages_.asked.empty());
    EXPECT_EQ(data::SELECT(), selected);
    EXPECT_EQ(data::areaOf("RUBRICA"), nullptr);
}

TEST_F(AddressBook, ANewNameTakesItsPlaceByUpperCaseAndBothCountsGoUp) {
    addContact("BIANCHI");
    addContact("ROSSA");
    addContact("VERDI");
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        EXPECT_EQ(title(d), "Rubrica telefonica - 3 di 3");
        EXPECT_EQ(shownNames(d), (std::vector<std::string>{"BIANCHI", "ROSSA", "VERDI"}));
        EXPECT_TRUE(enabled(d, 203));
        drive.on("RUBRICA2", [](TDialog& e) {
            EXPECT_EQ(title(e), "Aggiungi");
            t::type(e, 101, "rossi");
            t::press(e, 201);
        });
        t::press(d, 202);
        EXPECT_EQ(title(d), "Rubrica telefonica - 4 di 4");
        EXPECT_EQ(shownNames(d), (std::vector<std::string>{"BIANCHI", "ROSSA", "rossi", "VERDI"}));
        // The pointer stays on the contact written.
        EXPECT_EQ(currentName(), "rossi");
        t::press(d, 201);
    });
    dn::app::RUBRICA();
    EXPECT_EQ(names(), (std::vector<std::string>{"BIANCHI", "ROSSA", "rossi", "VERDI"}));
}

TEST_F(AddressBook, EqualNamesFollowTheOrderTheyWereAddedIn) {
    addContact("Rossi");
    addContact("ROSSI");
    addContact("rossi");
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        EXPECT_EQ(shownNames(d), (std::vector<std::string>{"Rossi", "ROSSI", "rossi"}));
        t::press(d, 201);
    });
    dn::app::RUBRICA();
}

TEST_F(AddressBook, TypedLettersSeekTheFirstNameThatBeginsWithThem) {
    for (const char* n : {"BIANCHI", "Romano", "ROSSA", "rossi", "VERDI"})
        addContact(n);
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        typeInList(d, "ro");
        EXPECT_EQ(currentName(), "Romano");
        typeInList(d, "s");
        EXPECT_EQ(currentName(), "ROSSA");
        // A letter that matches nothing is dropped; the pointer stays.
        typeInList(d, "x");
        EXPECT_EQ(currentName(), "ROSSA");
        EXPECT_EQ(data::keySearchBuffer(), "ROS");
        typeInList(d, "si");
        EXPECT_EQ(currentName(), "rossi");
        // Backspace seeks the shorter prefix again.
        typeInList(d, "\b\b");
        EXPECT_EQ(data::keySearchBuffer(), "ROS");
        EXPECT_EQ(currentName(), "ROSSA");
        // Moving in the list starts a new search.
        t::key(listOf(d).hWnd(), Qt::Key_Home);
        typeInList(d, "v");
        EXPECT_EQ(currentName(), "VERDI");
        // Enter edits the contact found.
        drive.on("RUBRICA2", [](TDialog& e) {
            EXPECT_EQ(title(e), "Modifica");
            EXPECT_EQ(dn::trimRight(t::text(e, 101)), "VERDI");
            t::press(e, 202);
        });
        t::key(listOf(d).hWnd(), Qt::Key_Return);
        // So does a double click on a row; the changed name moves to its place.
        drive.on("RUBRICA2", [](TDialog& e) {
            EXPECT_EQ(dn::trimRight(t::text(e, 101)), "BIANCHI");
            t::type(e, 101, "ZANI");
            t::press(e, 201);
        });
        t::click(rowsOf(d), 40, rowY(d, 1), true);
        EXPECT_EQ(currentName(), "ZANI");
        EXPECT_EQ(shownNames(d).back(), "ZANI");
        t::press(d, 201);
    });
    dn::app::RUBRICA();
}

TEST_F(AddressBook, AccentedNamesKeepTheirLettersInTheListAndAreFoundByTheirFirstLetters) {
    addContact("Nicola");
    addContact("Zeta");
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        drive.on("RUBRICA2", [](TDialog& e) {
            t::type(e, 101, "Niccol\xf2 Societ\xe0");
            t::press(e, 201);
        });
        t::press(d, 202);
        EXPECT_EQ(shownNames(d),
                  (std::vector<std::string>{"Niccol\xf2 Societ\xe0", "Nicola", "Zeta"}));
        t::key(listOf(d).hWnd(), Qt::Key_End);
        typeInList(d, "nicc");
        EXPECT_EQ(currentName(), "Niccol\xf2 Societ\xe0");
        // The index holds the name upper-cased, accented letters included.
        EXPECT_TRUE(data::DBSEEK(dn::Value(std::string("NICCOL\xd2 SOCIET\xc0"))));
        t::press(d, 201);
    });
    dn::app::RUBRICA();
}

TEST_F(AddressBook, DeletingAsksFirstAndLeavesTheListOnARealContact) {
    for (const char* n : {"BIANCHI", "ROSSI", "VERDI"})
        addContact(n);
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        typeInList(d, "r");
        messages_.answer(0); // Annulla
        t::press(d, 204);
        EXPECT_EQ(title(d), "Rubrica telefonica - 3 di 3");
        messages_.answer(1);
        t::press(d, 204);
        EXPECT_EQ(title(d), "Rubrica telefonica - 2 di 2");
        EXPECT_EQ(currentName(), "VERDI");
        // The last name: the list stands on the one before, not past the end.
        messages_.answer(1);
        t::press(d, 204);
        EXPECT_EQ(title(d), "Rubrica telefonica - 1 di 1");
        EXPECT_EQ(currentName(), "BIANCHI");
        EXPECT_EQ(shownNames(d), std::vector<std::string>{"BIANCHI"});
        EXPECT_TRUE(enabled(d, 204));
        messages_.answer(1);
        t::press(d, 204);
        EXPECT_EQ(title(d), "Rubrica telefonica - 0 di 0");
        EXPECT_FALSE(enabled(d, 203));
        EXPECT_FALSE(enabled(d, 204));
        EXPECT_FALSE(enabled(d, 206));
        t::press(d, 201);
    });
    dn::app::RUBRICA();
    EXPECT_EQ(askedTexts(messages_), std::vector<std::string>(4, "Confermi la cancellazione?"));
    EXPECT_TRUE(names().empty());
    EXPECT_EQ(records(), 3u);
}

TEST_F(AddressBook, PrintingTheListIsOfferedOnlyWithAContact) {
    addContact("BIANCHI");
    dn::test::PrintEnv env;
    dn::test::PreviewCapture capture;
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        t::press(d, 206);
        EXPECT_TRUE(d.IsActive());
        t::press(d, 201);
    });
    dn::app::RUBRICA();
    EXPECT_TRUE(askedTexts(messages_).empty());
    EXPECT_EQ(capture.recordings.size(), 1u);
}

TEST_F(AddressBook, AFailureEndsTheWindowAndLeavesTheWorkAreaAsItWas) {
    addContact("BIANCHI");
    const int selected = data::DBSELECTAREA(2);
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        drive.on("RUBRICA2", [](TDialog& e) {
            t::type(e, 101, "ROSSI");
            // The table file disappears under the window: the write fails.
            dn::platform::setFaultHooks({[](const std::string& p, uint64_t, size_t) {
                                             return p.find("RUBRICA") != std::string::npos ? 0 : -1;
                                         },
                                         dn::platform::FileErrorKind::DiskFull,
                                         {},
                                         {}});
            t::press(e, 201);
        });
        t::press(d, 202);
        dn::platform::clearFaultHooks();
        EXPECT_FALSE(d.IsActive());
    });
    dn::app::RUBRICA();
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_NE(messages_.asked[0].text.find("insufficiente"), std::string::npos);
    EXPECT_EQ(data::SELECT(), selected);
    EXPECT_EQ(data::areaOf("RUBRICA"), nullptr);
    EXPECT_EQ(names(), std::vector<std::string>{"BIANCHI"});
}

} // namespace
