#pragma once

// Procedures that the panel, its menu and the deadline windows call and that other
// parts of the application supply: the deadline list, the address book, the
// generation and search of deadlines and their printouts. Maintenance, backup and
// restore are in maintenance.h and backup.h.

#include "common/util/date.h"

#include <optional>
#include <string>
#include <vector>

namespace dn {
class TDialog;
}

namespace dn::app {

// The deadline list of the slot under clickRow (see slotFromRow) as of date
// (default today); nothing when that slot is beyond the n shown slots.
void SCADENZE(TDialog& panel, int clickRow, int n, std::optional<Date> date = std::nullopt);
// The address book.
void RUBRICA();

// The procedures below work on the deadline table that the deadline list has open
// in the selected work area, with its scope (the slot) and view.

// Generation of a series of recurring deadlines for the slot with that code.
void GENERA(const std::string& code);
// Search: may replace the list's view.
void RICERCA();
// Printout of the rows now in the list, headed with the slot's name.
void STAMPA(const std::string& name);
// Printout of the deadline as it stands in the editor dialog (its controls named
// as deadline_editor.h says), headed with the slot's name.
void STAMPA2(TDialog& editor, const std::string& name);

// The address book's printouts.
// The list of the contacts in the selected work area's order and view.
void STAMPA3();
// The card of the contact shown in the contact editor dlg, read from its controls.
void STAMPA4(TDialog& dlg);
// An envelope addressed to the contact shown in the contact editor dlg.
void BUSTA(TDialog& dlg);

} // namespace dn::app
