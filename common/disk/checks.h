#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace dn::disk {

// Checks made before writing to a drive, so that a missing, full or
// write-protected medium gives a clear message instead of a failed write. Drive
// designations are those of platform/drive.h: callers pass
// dn::platform::currentDrive() (or driveOf(path)); the empty text means "no drive
// letter" (a network folder on Windows). Every check that fails releases the
// start-up lock (data::SUNLOCK) before it shows its notice (data::showNotice);
// none throws.

// True when drive + "." can be made the current folder; otherwise shows "Disco non
// pronto." when showMessage is true and gives false.
bool ISREADY(const std::string& drive, bool showMessage = true);

// True when the drive is not ready or has fewer than minFree bytes free ("Spazio su
// disco insufficiente."). The empty drive is never full and is not looked at.
bool ISFULL(const std::string& drive, uint64_t minFree = 8192);

// True when the drive is not ready or no file can be created on it ("Disco protetto
// da scrittura."). Creates and deletes the probe file probeName(drive).
bool ISPROTECTED(const std::string& drive);

// True when file exists but may not be opened for writing ("File non accessibile.").
// A missing file is not read-only. The file is not changed.
bool ISREADONLY(const std::string& file);

// Deletes the files of folder, hidden ones included (not its subfolders, not the
// folder), in listing order, stopping at the first that cannot be deleted.
void DELDIR(const std::string& folder);

// Raised by DELFILE when it refuses to delete: its check has shown its message,
// and the caller's operation is abandoned without a further message.
class DiskAbort : public std::runtime_error {
public:
    explicit DiskAbort(const std::string& what) : std::runtime_error(what) {}
};

// Deletes a file. Throws DiskAbort when the file's drive is write-protected or the
// file is read-only (each check shows its own message), and
// dn::platform::FileError when the system refuses the deletion. A missing file is
// not an error.
void DELFILE(const std::string& path);

// The probe file of a drive: drive + eight 0x7F + "." + three 0x7F.
std::string probeName(const std::string& drive);

} // namespace dn::disk
