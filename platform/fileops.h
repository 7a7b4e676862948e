#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace dn::platform {

class File;
enum class FileErrorKind;

// Separator of folder names in paths on this system.
#ifdef _WIN32
inline constexpr char kPathSep = '\\';
#else
inline constexpr char kPathSep = '/';
#endif

// Attribute bits, with the values that Windows gives them. On POSIX (see
// docs/platform.md): read-only = the owner has no write permission; hidden = the
// name begins with "." (other than "." and ".."); a symbolic link carries
// kAttrReparsePoint; kAttrNormal is reported when no other bit applies.
inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;
inline constexpr uint32_t kAttrNormal = 0x80;
inline constexpr uint32_t kAttrReparsePoint = 0x400;

// Copies a file over any existing target, keeping the source's permissions
// (attributes) and last-write time. Pending window events run after each chunk.
// A target that exists but may not be written is left alone and gives false; on
// POSIX a failed copy leaves an existing target as it was.
bool COPYFILE(const std::string& source, const std::string& target);

// Creates one folder; false when it exists already or cannot be created.
bool CREATEDIR(const std::string& folder);

// The absolute, normalised form of path ("." and ".." resolved by name, symbolic
// links not followed); the path need not exist. Empty for an empty path.
std::string FULLNAME(const std::string& path);

// Attribute bits of path, or -1 when the path does not exist.
int64_t GETFILEATTRIBUTES(const std::string& path);
// Applies the read-only bit; on POSIX the hidden bit cannot be changed without
// renaming, so a request that differs from the name's hidden state gives false.
// Bits with no meaning on the system are ignored.
bool SETFILEATTRIBUTES(const std::string& path, uint32_t bits);
// Clear the read-only / hidden attribute, or set the hidden one, when needed.
// True when the attribute is as asked afterwards.
bool CLEARREADONLY(const std::string& path);
bool CLEARHIDDEN(const std::string& path);
bool SETHIDDEN(const std::string& path);

// Gives target (file or folder) the last-write time of source (file or folder).
bool SETFILEDATETIME(const std::string& source, const std::string& target);

// True when folder exists and can be made the current folder. The current folder
// is not changed on POSIX; on Windows it is changed and restored.
bool DIR(const std::string& folder);

// The folder part of FULLNAME(file), without its trailing separator except at a
// root ("C:\" on Windows, "/" on POSIX).
std::string FULLPATH(const std::string& file);

// Reads the next line of f starting at pos, reading at most max bytes. LF, CR and
// CR LF all end a line; pos moves past the line and its own terminator. A line
// longer than max is returned in pieces of max bytes. Nothing at end of file.
// Throws FileError on a device error.
std::optional<std::string> FREADLINE(const File& f, uint64_t& pos, size_t max = 128);

// Deletes a file or a link (never a folder's contents). False when it failed;
// sysError receives the system's error code.
bool removeFile(const std::string& path, int* sysError = nullptr);
// Removes an empty folder.
bool removeDir(const std::string& path, int* sysError = nullptr);

// The kind of failure that a system error code (errno, or GetLastError on
// Windows) stands for.
FileErrorKind fileErrorKind(int sysError);

// Whether a file may be opened for writing, asked by opening it for writing with
// full sharing (without creating or truncating it).
enum class WriteAccess {
    Writable, // opened and closed again
    Missing,  // no such file
    Denied,   // refused: a read-only file, file system or medium, or a folder
    Failed,   // any other failure (a sharing conflict, a device error)
};
WriteAccess probeWriteAccess(const std::string& path);

// Creates path when missing (an existing file is kept as it is, a symbolic link is
// never followed) and closes it; false when it cannot be created.
bool createAndClose(const std::string& path);

} // namespace dn::platform
