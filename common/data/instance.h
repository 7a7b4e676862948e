#pragma once

// The identity of this instance: its name, its private folder under the system's
// temporary folder with the marker file that keeps other instances' start-up
// sweeps away from it, and the access globals ACS_USER and ACS_TEMP.

#include <string>

namespace dn::data {

// The lock table shared by every instance of this computer, when it exists:
// "C:\VELT\NET" on Windows, "/VELT/NET" on POSIX (docs/startup.md).
std::string veltLockTable();
// Puts the machine-wide lock table elsewhere (tests); empty restores the default.
void setVeltLockTable(const std::string& path);
// True when the machine-wide lock table exists.
bool ISVELT();

// Names this instance (GETNEWFNAME), creates its folder under tempFolder() and
// holds its marker file "USER" open exclusively, sets ACS_TEMP to the folder with
// a trailing separator and, unless a file "USER.USR" is in the working directory,
// ACS_USER to the name. From then on every disk or file message of the shared
// library first releases the start-up lock (SUNLOCK). Throws platform::FileError
// when the folder or its marker cannot be made; no instance is named then.
void USER();

} // namespace dn::data
