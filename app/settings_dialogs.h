#pragma once

// The two settings dialogs of the panel: person names and screen position. Both
// edit the configuration variables directly and save the whole group
// (SAVEINI("CFG_*", "DELTRA.CFG")) when confirmed; cancelled, they put back the
// values the variables had before.

namespace dn {
class TDialog;
}

namespace dn::app {

// "Gestione nomi": names of slots 1 to 10, 20 characters each, the first one
// required. True when confirmed and saved; the names are kept without trailing
// blanks. A failed save shows its message and returns false, keeping the names
// entered.
bool NOMI();

// "Posizione iniziale": the panel's vertical and horizontal margins and the edges
// they are measured from. A margin larger than the screen size minus the panel's
// size is refused. True when confirmed and saved.
bool POSINIZ(TDialog& panel);

} // namespace dn::app
