#pragma once

// How files are named inside an archive and where an entry may be extracted to.

#include <string>
#include <string_view>

namespace dn::archive {

// The name a listed file is stored under: its part after the last "\" or "/"; with
// folders, the whole name with "/" between folders, without a drive, a leading
// separator, or "." and ".." parts.
std::string entryNameOf(const std::string& listed, bool withFolders);

// Where an entry goes, relative to the target folder.
struct EntryTarget {
    enum Kind {
        File,    // extract to path
        Folder,  // a folder entry (its name ends in a separator): nothing to write
        Refused, // a name that could write outside the target folder or where it should not
    } kind = Refused;
    // File: the last part of the stored name, or with folders the stored path with
    // "/" between its parts. Folder (with folders only): the folder's path.
    std::string path;
};

// Reads a stored name ("\" counts as "/"). Refused: an empty name, a name that
// begins with a separator (absolute) or holds a drive or stream (":"), a ".."
// part, a control character (below 0x20, or 0x7F, which marks the library's own
// temporary files), one of the characters < > " | ? * that Windows does not allow
// in names, a last part that is "." or ends in a dot or blank (Windows drops
// those, so it would name another file), or a device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, with or without extension). The checks cover every part of the
// name, also when only its last part is used.
EntryTarget entryTarget(std::string_view stored, bool withFolders);

// The part of a path after its last "\" or "/".
std::string_view lastPart(std::string_view path);

} // namespace dn::archive
