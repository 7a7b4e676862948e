#pragma once

// A fresh data folder with the contact table and its name index, a named instance
// (views go into its folder), a scripted message seam, and helpers that fill the
// table, read it back the way the address book sorts it and look at the list.

#include "app/tables.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/library.h"
#include "common/data/records.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/util/cp1252.h"
#include "common/util/trim.h"
#include "platform/file.h"
#include "tests/support/data_folder.h"
#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "toolkit/browse.h"
#include "toolkit/text.h"

#include <QAbstractScrollArea>
#include <QWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace booktest {

namespace fs = std::filesystem;

// Field values by field name; fields not named stay blank.
using Fields = std::map<std::string, std::string>;

class AddressBookFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dn::test::guiApp();
        ASSERT_TRUE(dn::app::ensureTable(dn::schema::kContacts, dn::schema::contactFields()));
        ASSERT_TRUE(dn::app::ensureIndex(dn::schema::kContacts, dn::schema::kContactKey,
                                         dn::app::contactKey()));
    }
    void TearDown() override { dn::platform::clearFaultHooks(); }

    std::string dataDir() const { return folder_.data(); }

    // Helpers open the table under an alias of their own, so that they work while
    // the address book has it open too.

    // Appends a contact as another part of the program would.
    static void addContact(const std::string& name, const Fields& fields = {}) {
        using namespace dn::data;
        AreaGuard guard;
        guard.open(dn::schema::kContacts, GETNEWALIAS());
        ORDADD(dn::schema::kContacts);
        DBAPP();
        FIELDPUT("NOMINATIVO", dn::Value(name));
        for (const auto& [field, value] : fields)
            FIELDPUT(field, dn::Value(value));
        DBCOMMIT();
        DBUNLOCK();
    }

    // The names of the live contacts in the name order, trailing blanks removed.
    static std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const Fields& f : contacts())
            out.push_back(f.at("NOMINATIVO"));
        return out;
    }

    // Every live contact in the name order, each field without trailing blanks.
    static std::vector<Fields> contacts() {
        using namespace dn::data;
        std::vector<Fields> out;
        AreaGuard guard;
        guard.open(dn::schema::kContacts, GETNEWALIAS());
        ORDADD(dn::schema::kContacts);
        for (DBGOTOP(); !DBEOF(); DBSKIP(1)) {
            Fields f;
            for (const auto& def : dn::schema::contactFields())
                f[def.name] = std::string(dn::trimRight(FIELDGET(def.name).text()));
            out.push_back(f);
        }
        return out;
    }

    // Records in the table file, deleted ones included.
    static uint32_t records() {
        using namespace dn::data;
        AreaGuard guard;
        guard.open(dn::schema::kContacts, GETNEWALIAS());
        return DBLASTREC();
    }

    dn::test::DataFolder folder_;
    dn::test::ScriptedMessages messages_;
};

// The title a window shows.
inline std::string title(dn::TDialog& d) {
    return dn::tk::fromQt(d.hWnd()->windowTitle());
}

// The list of the address book window.
inline dn::TWBrowse& listOf(dn::TDialog& d) {
    return *dynamic_cast<dn::TWBrowse*>(dn::test::control(d, 101));
}

// The list's rows, for mouse clicks.
inline QWidget* rowsOf(dn::TDialog& d) {
    return static_cast<QAbstractScrollArea*>(listOf(d).hWnd())->viewport();
}

// Pixel row of screen row n (1-based) of the list.
inline int rowY(dn::TDialog& d, int n) {
    return listOf(d).HeaderHeight() + (n - 1) * listOf(d).RowHeight() + 3;
}

// The names the list shows, top to bottom.
inline std::vector<std::string> shownNames(dn::TDialog& d) {
    std::vector<std::string> out;
    for (const auto& row : listOf(d).ShownRows())
        out.emplace_back(dn::trimRight(row.at(0)));
    return out;
}

// The name of the selected area's current record (the list's current row).
inline std::string currentName() {
    return std::string(dn::trimRight(dn::data::FIELDGET("NOMINATIVO").text()));
}

inline bool enabled(dn::TDialog& d, int id) {
    QWidget* w = dn::test::widget(d, id);
    return w && w->isEnabled();
}

// Texts of the questions and notices asked so far.
inline std::vector<std::string> askedTexts(const dn::test::ScriptedMessages& m) {
    std::vector<std::string> out;
    for (const auto& a : m.asked)
        out.push_back(a.text);
    return out;
}

} // namespace booktest
