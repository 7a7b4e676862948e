#pragma once

// Creating, opening and closing tables, and the names the library makes up.

#include "common/dbf/structure.h"
#include "platform/file.h"

#include <string>
#include <vector>

namespace dn::data {

// Creates a table (and its memo file when a field is a memo), replacing any file of
// that name. Checks the drive first (disk::ISFULL): when it is not ready or has
// fewer than minFree bytes free, the check shows its message and Abort is thrown;
// nothing is created. The driver is always the one store of this system.
void DBGEN(const std::string& file, const std::vector<dbf::FieldDef>& fields,
           const std::string& driver = {}, uint64_t minFree = 8192);

// Opens a table in the selected area (first selecting the lowest free one when
// newArea is true), closing what was open there. Returns only when the table is
// open: while another instance's open excludes this one it waits, processing
// window events, with "E' in corso un'operazione di sistema..." (shared open) or
// "Spegnere tutti i terminali..." titled "Attenzione" (exclusive open) in place of
// the message that was shown before, which comes back afterwards. Any other
// failure is thrown. alias: default the file's base name.
void DBOPEN(bool newArea, const std::string& driver, const std::string& file,
            const std::string& alias = {}, bool shared = true, bool readOnly = false);

// Opens a file of the store (a table file) exclusively, as an exclusive DBOPEN
// does, without reading it, so that a damaged table can be held as well: while
// other instances have it open it waits the same way, with "Spegnere tutti i
// terminali..." titled "Attenzione". Throws platform::FileError for any other
// failure (kind NotFound when the file is missing).
platform::File holdExclusive(const std::string& path);

// Closes the table open under alias (default: the selected area's) and deletes that
// area's view file; the selected area stays selected. Nothing happens when the
// alias is not open.
void DBCLOSE(const std::string& alias = {});

// Closes every table, selects area 1 and deletes every view file of this instance.
void CLOSEALL();

// True when file (".DBF" added without extension) exists and another open of it
// exists anywhere (another process, or another open in this one).
bool NETUSED(const std::string& file);

// "ALIAS" + the number of the lowest free work area in three digits ("ALIAS003").
std::string GETNEWALIAS();

// A new temporary name: 0x7F + today as YYYYMMDD + the hundredths of a second since
// midnight (at most 7 digits). Waits for the next hundredth before it returns, so
// no two calls in a process give the same name. With a fixed clock the clock is
// moved on by one hundredth instead.
std::string GETNEWFNAME();

// Sets the table password handed to the store by later DBOPENs of the named tables
// (any table when the list is empty); an empty password clears it. The store of
// this system keeps it with the work area and does not encrypt.
void SETPASSWORD(const std::string& password, const std::vector<std::string>& tables = {});

// The view file of work area n in the instance folder.
std::string viewFileName(int area);

} // namespace dn::data
