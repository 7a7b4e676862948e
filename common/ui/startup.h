#pragma once

// What the program installs once its QApplication exists.

#include <functional>

namespace dn::ui {

// Installs the message helpers and the toolkit-wide settings, then prepares the
// toolkit (tk::init):
// - the Qt message boxes and the wait box as dn::messages(), so the layers below
//   the windows show their messages and waits through POPMSG's boxes;
// - GETSYSFONT as the interface font and GETSYSBGCOLOR as the background of
//   browses and edit fields;
// - the page-counting wait box (template "PRINTDLG") for printing, and the
//   instance's folder (ACS_TEMP, else the system's temporary folder) as the
//   folder where printing makes the PDFs it sends;
// - isMakerWorkstation (the start-up lock code's ISVELT), consulted by
//   GETSYSBGCOLOR.
// REQUIRES: a QApplication exists. Calling it again replaces the check.
void installUi(std::function<bool()> isMakerWorkstation = {});

// Takes the Qt messages out again (before the QApplication goes away).
void uninstallUi();

} // namespace dn::ui
