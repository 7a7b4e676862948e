#pragma once

// The main menu: a pop-up menu at the right-click position over the panel.

namespace dn {
class TDialog;
}

namespace dn::app {

// Builds the menu, shows it at row, col of the panel's client area, and runs the
// chosen item between ONBACK and ONTOP of the panel. clickRow picks the slot for
// "Calendario...". A confirmed names or position dialog sets n to 0 and closes
// the panel, which then rebuilds itself.
void CREAMENU(TDialog& panel, int row, int col, int clickRow, int& n);

} // namespace dn::app
