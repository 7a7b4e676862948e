#pragma once

// The address book's printouts: the list of contacts (landscape), the card of one
// contact and an envelope addressed to it, each shown in the print preview.

#include "toolkit/dialog.h"

namespace dn::app {

// The list of the contacts in the selected work area (the contact table) in its
// order and view, one line per contact; the record pointer is put back. The
// printer is back in portrait afterwards, also when the report failed (the error
// handler has shown why).
void STAMPA3();
// The card of the contact shown in the contact editor dlg, read from its controls
// whether confirmed or not.
void STAMPA4(TDialog& dlg);
// An envelope (landscape) addressed to the contact shown in the editor dlg.
void BUSTA(TDialog& dlg);

} // namespace dn::app
