#include "app/contact_editor.h"

#include "app/procedures.h"
#include "app/record_check.h"
#include "common/data/records.h"
#include "common/data/workspace.h"
#include "common/disk/checks.h"
#include "common/schema/tables.h"
#include "common/ui/valid.h"
#include "common/util/trim.h"
#include "platform/drive.h"
#include "toolkit/binding.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/get.h"

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace dn::app {

namespace {

// What the editor edits: the eleven text fields blank-padded to their width, then
// the notes (line breaks CR LF), in the order of kContactControls.
using ContactValues = std::array<std::string, kContactControls.size()>;
constexpr size_t kNotes = kContactControls.size() - 1;

// Width in the contact table of the field that control i edits.
size_t widthOf(size_t i) {
    for (const dbf::FieldDef& f : schema::contactFields())
        if (f.name == kContactControls[i].field)
            return f.width;
    throw std::logic_error(std::string("no field ") + kContactControls[i].field);
}

std::string padded(std::string text, size_t width) {
    text.resize(width, ' ');
    return text;
}

// Stores what the focused field shows, so that a printout started from the
// keyboard sees it too.
void finishEditing(TDialog& dlg) {
    if (TWindow* c = dlg.FocusedControl())
        c->FinishEdit();
}

// Shows the editor on values; true when it was confirmed (values then hold what
// was typed), false when it was abandoned.
bool editContact(ContactValues& values, bool isNew) {
    TDialog dlg("RUBRICA2");
    dlg.SetText(isNew ? "Aggiungi" : "Modifica");
    const Block modified = [&dlg] { dlg.lModify = true; };
    for (size_t i = 0; i < kNotes; ++i) {
        GetOptions o;
        o.change = modified;
        o.varName = kContactControls[i].name;
        if (kContactControls[i].digitsOnly)
            o.picture = std::string(widthOf(i), '9');
        TGet* get = TGet::Redefine(101 + static_cast<int>(i), bindVar(values[i]), dlg, o);
        if (i == 0)
            get->Cargo = ui::validRule([&values] { return !trimRight(values[0]).empty(); });
    }
    DataOptions notes;
    notes.change = modified;
    notes.varName = kContactControls[kNotes].name;
    TMultiGet::Redefine(112, bindVar(values[kNotes]), dlg, notes);
    ui::bindConfirmCancel(dlg);
    TButton::Redefine(
        203,
        [&dlg] {
            finishEditing(dlg);
            STAMPA4(dlg);
        },
        dlg);
    TButton::Redefine(
        204,
        [&dlg] {
            finishEditing(dlg);
            BUSTA(dlg);
        },
        dlg);
    TDialog::ActivateOptions opts;
    opts.centered = true;
    opts.valid = ui::validBlock(dlg, true);
    return dlg.Activate(opts) == 1;
}

// The twelve values as get(field) gives them, the text fields padded.
ContactValues contactFrom(const std::function<Value(const char*)>& get) {
    ContactValues values;
    for (size_t i = 0; i < values.size(); ++i) {
        const Value v = get(kContactControls[i].field);
        values[i] = v.isText() ? v.text() : std::string();
        if (i < kNotes)
            values[i] = padded(values[i], widthOf(i));
    }
    return values;
}

std::vector<std::string> contactFieldNames() {
    std::vector<std::string> names;
    for (const ContactControl& c : kContactControls)
        names.push_back(c.field);
    return names;
}

// Writes the twelve values into the locked current record, in field order.
void putContact(const ContactValues& values) {
    for (size_t i = 0; i < values.size(); ++i)
        data::FIELDPUT(kContactControls[i].field, Value(values[i]));
}

// Every text field blank, the notes empty.
ContactValues blankContact() {
    ContactValues values;
    for (size_t i = 0; i < kNotes; ++i)
        values[i] = std::string(widthOf(i), ' ');
    return values;
}

// The values of the selected area's current record.
ContactValues currentContact() {
    return contactFrom([](const char* field) { return data::FIELDGET(field); });
}

} // namespace

void RUBRICA2(bool isNew) {
    if (!isNew && data::DBEOF())
        return;
    std::optional<LoadedRecord> loaded;
    if (!isNew) {
        // The record as it is now on disk: what the editor shows and, when it comes
        // to write, what another computer may have changed meanwhile.
        data::DBSKIP(0);
        loaded.emplace(contactFieldNames());
    }
    ContactValues values = isNew ? blankContact() : currentContact();
    for (;;) {
        if (!editContact(values, isNew))
            return;
        // A drive that cannot take the write shows its message and the editor
        // comes back with what was typed.
        const std::string drive = platform::currentDrive();
        if (disk::ISPROTECTED(drive) || disk::ISFULL(drive))
            continue;
        if (isNew) {
            data::DBAPP();
        } else {
            if (!lockForOverwrite(*loaded)) {
                // Not over the other computer's change: the editor shows it.
                values = contactFrom([&loaded](const char* field) { return loaded->value(field); });
                continue;
            }
            // A contact deleted meanwhile at another computer comes back live.
            data::area().table().setDeleted(false);
        }
        putContact(values);
        data::DBCOMMIT();
        data::DBSKIP(0);
        data::DBUNLOCK();
        return;
    }
}

} // namespace dn::app
