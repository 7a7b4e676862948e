// An address book written by another program (python3-dbf, with memos) works here
// from the next start, and what is added here reads back unchanged with
// python3-dbfread.

#include "app/procedures.h"
#include "app/startup.h"
#include "common/schema/tables.h"
#include "common/util/trim.h"
#include "startup_fixture.h"
#include "tests/support/gui.h"
#include "tests/support/readers.h"
#include "toolkit/browse.h"
#include "toolkit/text.h"

using namespace starttest;
using dn::TDialog;
namespace t = dn::test;

namespace {

// One record as interop.py prints it: the deletion flag, then each field's
// Windows-1252 text in hex, without trailing blanks.
std::string row(bool deleted, const std::vector<std::string>& values) {
    static const char* hex = "0123456789abcdef";
    std::string out = deleted ? "*" : " ";
    for (const std::string& v : values) {
        out += '|';
        for (unsigned char c : v) {
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out + "\n";
}

// The contact table's fields in the dbf package's notation.
std::string pythonSpec() {
    std::string spec;
    for (const auto& f : dn::schema::contactFields()) {
        if (!spec.empty())
            spec += "; ";
        spec += f.name + (f.type == 'M'
                              ? std::string(" M")
                              : " " + std::string(1, f.type) + "(" + std::to_string(f.width) + ")");
    }
    return spec;
}

using AddressBookInterop = StartupTest;

TEST_F(AddressBookInterop, ABookWrittenElsewhereOpensHereAndOurContactsReadBackUnchanged) {
    t::guiApp();
    const std::vector<std::string> verdi = {"Verdi Giuseppe",
                                            "Via Larga 3",
                                            "20100",
                                            "Milano",
                                            "021",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "prima riga\r\nseconda riga con \xe0\xe8\xec\xf2\xf9"};
    const std::vector<std::string> bianchi = {"bianchi", "", "", "", "", "",
                                              "",        "", "", "", "", ""};
    const std::vector<std::string> gone = {"Cancellato", "", "", "", "", "",
                                           "",           "", "", "", "", "nota del cancellato"};
    const std::string written = row(false, verdi) + row(false, bianchi) + row(true, gone);
    writeFile(file("rows.txt"), written);
    EXPECT_EQ(dn::test::interopScript("write-rows", file("RUBRICA.DBF"),
                                      {pythonSpec(), file("rows.txt")}),
              written);
    fs::remove(file("rows.txt"));
    // Our memo file carries the ".DBT" name.
    fs::rename(file("RUBRICA.FPT"), file("RUBRICA.DBT"));
    ASSERT_FALSE(fs::exists(file("RUBRICA.NTX")));

    ASSERT_TRUE(dn::app::MAIN()) << (messages_.asked.empty() ? "" : messages_.asked[0].text);
    EXPECT_TRUE(fs::exists(file("RUBRICA.NTX")));

    const std::vector<std::string> added = {"Societ\xe0 Niccol\xf2",
                                            "Corso Italia 10",
                                            "30100",
                                            "Mestre",
                                            "0411",
                                            "",
                                            "",
                                            "0412",
                                            "",
                                            "0413",
                                            "info@esempio.it",
                                            "nota \xe8\r\naltra riga"};
    t::DialogDriver drive;
    drive.on("RUBRICA", [&](TDialog& d) {
        EXPECT_EQ(dn::tk::fromQt(d.hWnd()->windowTitle()), "Rubrica telefonica - 2 di 2");
        auto* list = dynamic_cast<dn::TWBrowse*>(t::control(d, 101));
        ASSERT_EQ(list->ShownRows().size(), 2u);
        EXPECT_EQ(dn::trimRight(list->ShownRows()[0][0]), "bianchi");
        // The other program's contact shows in the editor, memo included.
        list->GoDown();
        drive.on("RUBRICA2", [&](TDialog& e) {
            EXPECT_EQ(dn::trimRight(t::text(e, 104)), "Milano");
            EXPECT_EQ(t::text(e, 112), "prima riga\r\nseconda riga con \xe0\xe8\xec\xf2\xf9");
            t::press(e, 202);
        });
        t::press(d, 203);
        drive.on("RUBRICA2", [&](TDialog& e) {
            for (int i = 0; i < 11; ++i)
                t::type(e, 101 + i, added[static_cast<size_t>(i)]);
            t::type(e, 112, "nota \xe8\raltra riga");
            t::press(e, 201);
        });
        t::press(d, 202);
        EXPECT_EQ(dn::tk::fromQt(d.hWnd()->windowTitle()), "Rubrica telefonica - 3 di 3");
        t::press(d, 201);
    });
    dn::app::RUBRICA();
    EXPECT_EQ(dbfreadRows(file("RUBRICA.DBF")),
              row(false, verdi) + row(false, bianchi) + row(false, added) + row(true, gone));
}

} // namespace
