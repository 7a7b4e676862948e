// Which stored entry names are extracted, and where.

#include "common/archive/entry_names.h"

#include <gtest/gtest.h>
#include <string>

using dn::archive::EntryTarget;
using dn::archive::entryTarget;

TEST(EntryNames, OnlyNamesThatStayInTheTargetFolderAreExtracted) {
    struct Case {
        const char* stored;
        EntryTarget::Kind kind;
        const char* flat;    // path without folders
        const char* folders; // path with folders
    };
    const EntryTarget::Kind F = EntryTarget::File, D = EntryTarget::Folder,
                            R = EntryTarget::Refused;
    const Case cases[] = {
        {"SCADENZE.DBF", F, "SCADENZE.DBF", "SCADENZE.DBF"},
        {"dati/sub/SCADENZE.DBF", F, "SCADENZE.DBF", "dati/sub/SCADENZE.DBF"},
        {"dati\\SCADENZE.DBF", F, "SCADENZE.DBF", "dati/SCADENZE.DBF"},
        {"./dati//X.TXT", F, "X.TXT", "dati/X.TXT"},
        {"dati/", D, "", "dati"},
        {"../x", R, "", ""},
        {"dati/../../x", R, "", ""},
        {"..\\x", R, "", ""},
        {"/tmp/x", R, "", ""},
        {"\\x", R, "", ""},
        {"C:x", R, "", ""},
        {"dati/x:stream", R, "", ""},
        {"a\x01"
         "b",
         R, "", ""},
        {"\x7f"
         "TMP",
         R, "", ""},
        {"x?.txt", R, "", ""},
        {".", R, "", ""},
        {"dati/x.", R, "", ""},
        {"x ", R, "", ""},
        {"NUL", R, "", ""},
        {"dati/com1.txt", R, "", ""},
        {"CONSOLE.TXT", F, "CONSOLE.TXT", "CONSOLE.TXT"},
        {"", R, "", ""},
    };
    for (const Case& c : cases) {
        const EntryTarget flat = entryTarget(c.stored, false);
        const EntryTarget deep = entryTarget(c.stored, true);
        EXPECT_EQ(flat.kind, c.kind) << c.stored;
        EXPECT_EQ(deep.kind, c.kind) << c.stored;
        if (c.kind != R) {
            EXPECT_EQ(flat.path, c.flat) << c.stored;
            EXPECT_EQ(deep.path, c.folders) << c.stored;
        }
    }
    // A NUL inside a stored name is a control character.
    EXPECT_EQ(entryTarget(std::string("a\0b", 3), false).kind, R);
}
