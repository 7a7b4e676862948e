#pragma once

// The contact editor: adds a contact to the address book or changes the current
// one, and is where a contact's card or envelope is printed from.

#include <array>
#include <string_view>

namespace dn::app {

// The twelve fields of a contact in table order, with the name of the editor
// control that shows each (the printouts find the values on screen by these
// names) and whether the field takes digits only.
struct ContactControl {
    const char* field;
    const char* name;
    bool digitsOnly;
};
inline constexpr std::array<ContactControl, 12> kContactControls{{
    {"NOMINATIVO", "nomi", false},
    {"INDIRIZZO", "indi", false},
    {"CAP", "cap", true},
    {"CITTA", "citt", false},
    {"TELEFONO1", "tel1", true},
    {"TELEFONO2", "tel2", true},
    {"TELEFONO3", "tel3", true},
    {"CASA", "casa", true},
    {"CELLULARE", "cell", true},
    {"FAX", "fax", true},
    {"E_MAIL", "mail", false},
    {"NOTE", "note_", false},
}};

// The name of the editor control that shows field (a field of kContactControls);
// a field that is not there does not compile.
consteval const char* contactControl(std::string_view field) {
    for (const ContactControl& c : kContactControls)
        if (field == c.field)
            return c.name;
    throw "not a contact field";
}

// The contact editor on the selected area, which holds the contact table. With
// isNew it adds a contact; otherwise it changes the current record, and does
// nothing at end of file. Nothing reaches the table unless the editor is confirmed
// and the drive passes its checks; the record is then written whole under its
// lock, and the pointer stays on it. Before overwriting a contact that another
// computer changed while the editor was open, it asks (app/record_check.h); on No
// the editor shows the other computer's values. A contact deleted elsewhere comes
// back live with the values written. Table failures are thrown to the caller's
// protected block.
void RUBRICA2(bool isNew);

} // namespace dn::app
