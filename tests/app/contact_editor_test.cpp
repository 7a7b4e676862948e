// The contact editor, driven through the address book window: what it takes
// keystroke by keystroke, what it refuses on confirm, what it writes, and what it
// does when the drive or another computer is in the way.

#include "app/contact_editor.h"
#include "app/procedures.h"
#include "app/record_check.h"
#include "common/disk/checks.h"
#include "platform/drive.h"
#include "tests/support/address_book_fixture.h"
#include "tests/support/print_helpers.h"
#include "tests/support/process.h"

using namespace booktest;
using dn::TDialog;
namespace t = dn::test;

namespace {

using ContactEditor = AddressBookFixture;

// Opens the list, presses button (202 add, 203 change) and runs script on the
// editor; then closes the list.
void inEditor(t::DialogDriver& drive, int button, std::function<void(TDialog&)> script) {
    drive.on("RUBRICA", [&drive, button, script](TDialog& d) {
        drive.on("RUBRICA2", script);
        t::press(d, button);
        t::press(d, 201);
    });
    dn::app::RUBRICA();
}

// Another computer changes or deletes a contact of the data folder (see
// worker/contact_worker.cpp); its exit status.
int worker(const std::string& folder, std::vector<std::string> args) {
    args.insert(args.begin(), folder);
    dn::test::ChildProcess other(DN_CONTACT_WORKER, args);
    return other.wait();
}

TEST_F(ContactEditor, DigitFieldsRefuseEveryOtherKeyAndThePostCodeTakesFiveDigits) {
    t::DialogDriver drive;
    inEditor(drive, 202, [](TDialog& e) {
        t::type(e, 101, "Rossi Mario");
        for (int id = 105; id <= 110; ++id) {
            t::type(e, id, "0a4 9-/+x5");
            EXPECT_EQ(t::text(e, id), "0495           ") << id;
        }
        t::type(e, 103, "1234567");
        EXPECT_EQ(t::text(e, 103), "12345");
        // Free fields take anything, up to their width.
        t::type(e, 111, "posta@esempio");
        t::type(e, 102, std::string(40, 'v'));
        EXPECT_EQ(t::text(e, 102), std::string(35, 'v'));
        t::press(e, 201);
    });
    ASSERT_EQ(contacts().size(), 1u);
    const Fields c = contacts()[0];
    EXPECT_EQ(c.at("CAP"), "12345");
    for (const char* f : {"TELEFONO1", "TELEFONO2", "TELEFONO3", "CASA", "CELLULARE", "FAX"})
        EXPECT_EQ(c.at(f), "0495") << f;
    EXPECT_EQ(c.at("E_MAIL"), "posta@esempio");
}

TEST_F(ContactEditor, ABlankNameIsRefusedAndNothingIsWritten) {
    t::DialogDriver drive;
    inEditor(drive, 202, [this](TDialog& e) {
        t::type(e, 101, "   ");
        t::type(e, 104, "Padova");
        t::press(e, 201);
        EXPECT_TRUE(e.IsActive());
        EXPECT_EQ(askedTexts(messages_), std::vector<std::string>{"Campo non valido."});
        // Abandoning a changed editor asks; No keeps it open with its values.
        messages_.answer(0);
        t::press(e, 202);
        EXPECT_TRUE(e.IsActive());
        EXPECT_EQ(dn::trimRight(t::text(e, 104)), "Padova");
        messages_.answer(1);
        t::press(e, 202);
    });
    EXPECT_EQ(askedTexts(messages_),
              (std::vector<std::string>{"Campo non valido.", "Annullo le modifiche?",
                                        "Annullo le modifiche?"}));
    EXPECT_EQ(messages_.asked[1].kind, 5);
    EXPECT_EQ(records(), 0u);
}

TEST_F(ContactEditor, AnUnchangedEditorClosesWithoutAsking) {
    addContact("BIANCHI");
    t::DialogDriver drive;
    inEditor(drive, 203, [](TDialog& e) { t::escape(e); });
    EXPECT_TRUE(messages_.asked.empty());
}

TEST_F(ContactEditor, AllTwelveFieldsAreWrittenAndReadBackPaddedToTheirWidths) {
    addContact("Rossi Mario", {{"NOTE", "vecchia nota"}});
    t::DialogDriver drive;
    inEditor(drive, 203, [](TDialog& e) {
        EXPECT_EQ(title(e), "Modifica");
        // The buffer holds the fields padded to their width.
        EXPECT_EQ(dynamic_cast<dn::TControl*>(t::control(e, 101))->VarGet().text(),
                  "Rossi Mario" + std::string(24, ' '));
        EXPECT_EQ(t::text(e, 112), "vecchia nota");
        const std::vector<std::string> typed = {"Niccol\xf2 Societ\xe0",
                                                "Via Roma 1",
                                                "35100",
                                                "Citt\xe0 di Prova",
                                                "0491",
                                                "0492",
                                                "0493",
                                                "0494",
                                                "3331",
                                                "0495",
                                                "a@b.c"};
        for (size_t i = 0; i < typed.size(); ++i)
            t::type(e, 101 + static_cast<int>(i), typed[i]);
        t::type(e, 112, "prima riga\rseconda \xe8");
        t::press(e, 201);
    });
    ASSERT_EQ(contacts().size(), 1u);
    const Fields c = contacts()[0];
    EXPECT_EQ(c.at("NOMINATIVO"), "Niccol\xf2 Societ\xe0");
    EXPECT_EQ(c.at("INDIRIZZO"), "Via Roma 1");
    EXPECT_EQ(c.at("CAP"), "35100");
    EXPECT_EQ(c.at("CITTA"), "Citt\xe0 di Prova");
    EXPECT_EQ(c.at("TELEFONO1"), "0491");
    EXPECT_EQ(c.at("TELEFONO2"), "0492");
    EXPECT_EQ(c.at("TELEFONO3"), "0493");
    EXPECT_EQ(c.at("CASA"), "0494");
    EXPECT_EQ(c.at("CELLULARE"), "3331");
    EXPECT_EQ(c.at("FAX"), "0495");
    EXPECT_EQ(c.at("E_MAIL"), "a@b.c");
    EXPECT_EQ(c.at("NOTE"), "prima riga\r\nseconda \xe8");
    EXPECT_EQ(records(), 1u);
}

TEST_F(ContactEditor, PrintingFromTheEditorKeepsItOpenAndAbandoningAfterwardsWritesNothing) {
    addContact("BIANCHI");
    dn::test::PrintEnv env;
    dn::test::PreviewCapture capture;
    t::DialogDriver drive;
    inEditor(drive, 203, [this](TDialog& e) {
        t::type(e, 101, "CAMBIATO");
        t::press(e, 203);
        EXPECT_TRUE(e.IsActive());
        t::press(e, 204);
        EXPECT_TRUE(e.IsActive());
        // What the printouts read: the values on screen, by control name.
        for (const auto& c : dn::app::kContactControls)
            EXPECT_NE(t::control(e, c.name), nullptr) << c.name;
        EXPECT_EQ(dynamic_cast<dn::TControl*>(t::control(e, "nomi"))->VarGet().text(),
                  "CAMBIATO" + std::string(27, ' '));
        messages_.answer(1);
        t::press(e, 202);
    });
    EXPECT_EQ(askedTexts(messages_), (std::vector<std::string>{"Annullo le modifiche?"}));
    // The card and the envelope went to the preview, with the name as typed.
    ASSERT_EQ(capture.recordings.size(), 2u);
    for (const auto& r : capture.recordings) {
        bool typed = false;
        for (const auto& page : r.pages)
            for (const auto* op : page.texts())
                typed = typed || op->text.find("CAMBIATO") != std::string::npos;
        EXPECT_TRUE(typed) << r.docName;
    }
    EXPECT_EQ(names(), std::vector<std::string>{"BIANCHI"});
}

TEST_F(ContactEditor, AWriteProtectedDriveReopensTheEditorWithTheTypedValues) {
    // Nothing can be created under the probe's name: the drive counts as protected.
    fs::create_directory(dn::disk::probeName(dn::platform::currentDrive()));
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        drive.on("RUBRICA2", [](TDialog& e) {
            t::type(e, 101, "Verdi");
            t::type(e, 105, "0123");
            t::press(e, 201);
        });
        drive.on("RUBRICA2", [&](TDialog& e) {
            EXPECT_EQ(title(e), "Aggiungi");
            EXPECT_EQ(dn::trimRight(t::text(e, 101)), "Verdi");
            EXPECT_EQ(dn::trimRight(t::text(e, 105)), "0123");
            EXPECT_EQ(records(), 0u);
            // The drive is writable again: the second confirm writes.
            fs::remove(dn::disk::probeName(dn::platform::currentDrive()));
            t::press(e, 201);
        });
        t::press(d, 202);
        EXPECT_EQ(title(d), "Rubrica telefonica - 1 di 1");
        t::press(d, 201);
    });
    dn::app::RUBRICA();
    EXPECT_EQ(askedTexts(messages_), std::vector<std::string>{"Disco protetto da scrittura."});
    EXPECT_EQ(names(), std::vector<std::string>{"Verdi"});
    EXPECT_EQ(records(), 1u);
}

TEST_F(ContactEditor, AContactDeletedByAnotherComputerComesBackLiveWhenChangedHere) {
    addContact("BIANCHI");
    addContact("ROSSI", {{"CITTA", "Padova"}});
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        t::click(rowsOf(d), 40, rowY(d, 2));
        drive.on("RUBRICA2", [&](TDialog& e) {
            ASSERT_EQ(worker(dataDir(), {"delete", "ROSSI"}), 0);
            EXPECT_EQ(names(), std::vector<std::string>{"BIANCHI"});
            t::type(e, 104, "Venezia");
            t::press(e, 201);
        });
        t::press(d, 203);
        EXPECT_EQ(title(d), "Rubrica telefonica - 2 di 2");
        t::press(d, 201);
    });
    dn::app::RUBRICA();
    // A deletion is not a change of the values: nothing is asked.
    EXPECT_TRUE(messages_.asked.empty());
    ASSERT_EQ(names(), (std::vector<std::string>{"BIANCHI", "ROSSI"}));
    EXPECT_EQ(contacts()[1].at("CITTA"), "Venezia");
    EXPECT_EQ(records(), 2u);
}

TEST_F(ContactEditor, AChangeMadeElsewhereWhileEditingIsOverwrittenOnlyAfterAsking) {
    addContact("ROSSI", {{"CITTA", "Padova"}, {"INDIRIZZO", "Via Po 1"}});
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        // No: the editor comes back with the other computer's values.
        drive.on("RUBRICA2", [&](TDialog& e) {
            ASSERT_EQ(worker(dataDir(), {"put", "ROSSI", "CITTA", "Venezia"}), 0);
            t::type(e, 102, "Via Adige 2");
            messages_.answer(0);
            t::press(e, 201);
        });
        drive.on("RUBRICA2", [&](TDialog& e) {
            EXPECT_EQ(title(e), "Modifica");
            EXPECT_EQ(dn::trimRight(t::text(e, 104)), "Venezia");
            EXPECT_EQ(dn::trimRight(t::text(e, 102)), "Via Po 1");
            // Confirmed now, it writes without asking again.
            t::type(e, 111, "r@esempio.it");
            t::press(e, 201);
        });
        t::press(d, 203);
        // Yes: what was typed here wins.
        drive.on("RUBRICA2", [&](TDialog& e) {
            ASSERT_EQ(worker(dataDir(), {"put", "ROSSI", "CITTA", "Treviso"}), 0);
            t::type(e, 104, "Verona");
            messages_.answer(1);
            t::press(e, 201);
        });
        t::press(d, 203);
        t::press(d, 201);
    });
    dn::app::RUBRICA();
    EXPECT_EQ(askedTexts(messages_), std::vector<std::string>(2, dn::app::kChangedElsewhere));
    EXPECT_EQ(messages_.asked[0].kind, 5);
    ASSERT_EQ(contacts().size(), 1u);
    EXPECT_EQ(contacts()[0].at("CITTA"), "Verona");
    EXPECT_EQ(contacts()[0].at("INDIRIZZO"), "Via Po 1");
    EXPECT_EQ(contacts()[0].at("E_MAIL"), "r@esempio.it");
}

} // namespace
