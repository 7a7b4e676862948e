#include "app/passwords.h"

#include "app/settings.h"
#include "common/config/variables.h"
#include "common/ui/popmsg.h"
#include "common/ui/valid.h"
#include "common/util/scramble.h"
#include "toolkit/binding.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/get.h"

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace dn::app {

namespace {

bool isBlank(const std::string& s) {
    return s.find_first_not_of(' ') == std::string::npos;
}

// Runs one of the password dialogs with its field bound to entry; true when
// confirmed. extra: binds further controls before it shows.
bool runPasswordDialog(const char* name, std::string& entry, bool required,
                       const std::function<void(TDialog&, TGet&)>& extra = {}) {
    entry.assign(kPasswordLength, ' ');
    TDialog dlg(name);
    GetOptions o;
    o.varName = "cPasswd";
    TGet* field = TGet::Redefine(101, bindVar(entry), dlg, o);
    if (required)
        field->Cargo = ui::validRule([&entry] { return !isBlank(entry); });
    ui::bindConfirmCancel(dlg);
    if (extra)
        extra(dlg, *field);
    TDialog::ActivateOptions opts;
    opts.centered = true;
    opts.valid = ui::validBlock(dlg, false);
    return dlg.Activate(opts) == 1;
}

} // namespace

std::string passwordVar(const std::string& slotCode) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "CFG_PW%02d", std::atoi(slotCode.c_str()));
    return buf;
}

bool PASSWD(const std::string& slotCode) {
    const Value stored = configValueNow(passwordVar(slotCode));
    const std::string scrambled = stored.isText() ? stored.text() : std::string();
    if (isBlank(scrambled))
        return true;
    std::string entry;
    if (!runPasswordDialog("PASSWD", entry, true))
        return false;
    if (entry == CRYPT(scrambled))
        return true;
    ui::POPMSG("Password non corretta.", 1);
    return false;
}

void PASSWD2(const std::string& slotCode) {
    std::string entry;
    // "&Elimina" blanks the field and confirms.
    const bool confirmed =
        runPasswordDialog("PASSWD2", entry, false, [&entry](TDialog& dlg, TGet& field) {
            ui::bindEndButton(dlg, 203, true, 1, [&field, &entry] {
                entry.assign(kPasswordLength, ' ');
                field.Refresh();
            });
        });
    if (!confirmed)
        return;
    if (!isBlank(entry)) {
        const std::string again = PASSWD3();
        if (again.empty())
            return;
        if (again != entry) {
            ui::POPMSG("Password non confermata.", 1);
            return;
        }
    }
    config::variables().set(passwordVar(slotCode), Value(CRYPT(entry)));
    // A failed save has shown its message; the password stays in force for the run.
    saveConfig();
}

std::string PASSWD3() {
    std::string entry;
    if (!runPasswordDialog("PASSWD3", entry, false))
        return {};
    return entry;
}

} // namespace dn::app
