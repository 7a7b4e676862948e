#pragma once

// The library's start-up and shut-down procedures, the access globals and the
// state of this instance (name, private folder, marker file).

#include "platform/file.h"

#include <string>

namespace dn::data {

// The access globals ACS_USER, ACS_TEMP, ACS_PASSWD and ACS_LEVEL.
struct AccessGlobals {
    std::string user = "USER";
    std::string temp; // the instance folder with a trailing separator, once set
    std::string passwd;
    int level = 1;
};
AccessGlobals& access();

// This instance: its name (empty until set), its folder (no trailing separator)
// and the open marker file inside it, which tells other instances' start-up
// sweeps that the folder is alive.
struct Instance {
    std::string name;
    std::string folder;
    platform::File marker;
};
Instance& instance();
// Names the instance and sets ACS_TEMP to folder + separator. REQUIRES: marker is
// the open marker file of folder (see holdMarker).
void setInstance(const std::string& name, const std::string& folder, platform::File marker);

// The name of the marker file inside an instance folder.
inline constexpr const char* kMarkerName = "USER";
// Creates folder's marker file when missing and opens it the way that marks the
// folder alive: exclusive sharing (on POSIX an exclusive lock, docs/locking.md),
// so that other instances can neither open it nor sweep the folder. Throws
// platform::FileError.
platform::File holdMarker(const std::string& folder);
// True when a running instance holds folder's marker file.
bool isLiveInstanceFolder(const std::string& folder);

// The system's temporary folder: TEMP, else TMPDIR, else /tmp (on Windows TEMP,
// else TMP, else the current folder). A folder named by a variable that does not
// exist is created; when that fails the next one is taken. No trailing separator.
std::string tempFolder();

// Deletes the files of dataFolder whose names begin with 0x7F, and every folder of
// tempDir whose name begins with 0x7F together with its files, except the folders
// of running instances (and any that cannot be emptied). Returns the number of
// folders removed.
int sweepLeftovers(const std::string& dataFolder, const std::string& tempDir);

// The start-up procedure: error handler for uncaught errors, store-wide settings
// (deleted records hidden), access globals with their defaults, the sweep of the
// working directory and of the temporary folder, critical-error dialogs off.
void startupLibrary();
// The shut-down procedure: closes every table, then, when the instance has a
// name, closes its marker file, deletes the instance folder with its files and the
// file name + ".USR" in the working directory when it is empty.
void shutdownLibrary();

} // namespace dn::data
