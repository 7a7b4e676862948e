#pragma once

// Copying and deleting whole folder trees, with a notice for the first failure.
// Each notice goes through data::showNotice, which releases the start-up lock first.

#include <string>

namespace dn::disk {

// Copies the folder tree source into target (creating target first when create
// is true): files of every kind, hidden and read-only ones included, keep their
// attributes and times, and every target folder gets its source's last-write
// time. Reports the first failure in a notice ("Impossibile creare la cartella
// ...", "Impossibile impostare data e ora della cartella ...", "Impossibile
// copiare il file ...") and stops; true when the whole tree was copied.
bool COPYDIR(const std::string& source, const std::string& target, bool create = true);

// Deletes everything inside folder, and folder itself when removeItself is true;
// read-only and hidden files included. A link is removed, never followed. Reports
// the first failure in a notice ("Impossibile cancellare il file ...",
// "Impossibile cancellare la cartella ...") and stops; true when everything was
// deleted. Pending window events run after each file.
bool DELETEDIR(const std::string& folder, bool removeItself = true);

} // namespace dn::disk
