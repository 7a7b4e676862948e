#pragma once

// Backup of the data folder into a ZIP archive chosen by the user, and restore
// from one.

#include "common/archive/archive.h"
#include "common/util/date.h"

#include <string>
#include <vector>

namespace dn::app {

// "Salvataggio archivi " + the program's name (its executable's name without
// folder and extension) + " del " + the date as DDMMYYYY + ".zip".
std::string defaultArchiveName(const Date& day);

// The name chosen in a file dialog, with ".zip" added when its last part has no
// extension.
std::string withZipExtension(const std::string& chosen);

// The files of the data folder (the current folder) that match "*.DB?", tables
// and memo files, hidden and read-only ones included, in directory order.
std::vector<std::string> dataFiles();

// Backs up dataFiles() and then extraFiles into an archive chosen in the save
// dialog "Salvataggio dati" (filter "File ZIP (*.zip)|*.zip", opening in the data
// folder, proposing defaultArchiveName of today), under the wait message
// "Compressione in corso...". True, after "Salvataggio completato.", when the
// archive was written; false when the user cancelled (nothing shown) or ZIP
// failed (it has said why).
bool SALVA(const std::vector<std::string>& extraFiles);

// Asks "Spegnere tutti i terminali.;;Continuo l'operazione?", lets the user choose
// an archive in the open dialog "Ripristina dati da" and extracts it into the data
// folder under "Decompressione in corso..." (all or nothing, see UNZIP; an archive
// must hold a table of this program, with its layout). Then the index files are
// rebuilt by the maintenance hook, the library's user table "USERS" gets its index
// again when it exists (if that fails the program ends), and the configuration
// file is loaded again, so that the restored settings are those in force. True,
// after "Ripristino completato.", when an archive was extracted.
bool RICARICA();

// The check of a restore: the archive holds the deadline or the address book
// table, and every table of this program in it has the program's layout.
bool isArchiveOfThisProgram(const std::vector<archive::StagedFile>& files);

} // namespace dn::app
