#pragma once

// ZIP archives of data files: ZIP writes the backup of a list of files, UNZIP puts
// an archive's files back. Standard archives (deflate, one entry per file) through
// minizip. docs/archive.md describes what each step guarantees when something
// fails, and how tables are read and replaced while other instances run.

#include "common/dbf/structure.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dn::archive {

// Message texts; the file's name follows each of them (";" is a line break).
inline constexpr const char* kMsgNotFound = "Impossibile trovare il file;;";
inline constexpr const char* kMsgCreateFailed =
    "Si \xE8 verificato un errore durante la creazione del file;;";
inline constexpr const char* kMsgExtractFailed =
    "Si \xE8 verificato un errore durante la decompressione del file;;";

// Archives are written and read without a password: the ZIP library of the
// system reads no encrypted entry, and an encrypted entry makes UNZIP fail.

struct ZipOptions {
    bool withFolders = false; // store each name with its folders (see entryNameOf)
    bool showMessages = true; // show why the archive was not written
};

// Writes the files of the list, in list order, into a new archive of that name,
// each under its name without folder (entryNameOf). Returns true when the archive
// is complete and in place.
//
// The drives of the current folder and of the archive must be ready
// (disk::ISREADY) and every listed file must exist ("Impossibile trovare il
// file;;" + its name). The archive is written under a temporary name beside it and
// replaces a file of the same name only once complete: on every failure an old
// archive of that name is left as it was, and the temporary file is removed.
// A table of the store (".DBF", with its memo file when that is listed too) is
// copied as it is at one moment, under the table's file lock (the lock every
// writer needs), so that it is archived consistent with its memo; the lock is held
// only while the two files are copied to the instance's temporary folder, and
// taking it waits as record locks do. A failure while the archive is written
// shows "Si è verificato un errore durante la creazione del file;;" + the
// archive's name; a table that cannot be read (damaged, or its folder full) shows
// the error handler's message. Messages only when options.showMessages is true.
bool ZIP(const std::string& archive, const std::vector<std::string>& files,
         const ZipOptions& options = {});

// A file of the archive, extracted under a temporary name beside its place.
struct StagedFile {
    std::string entry;  // the name stored in the archive
    std::string target; // the file it replaces or creates
    uint64_t size = 0;
    // For a table (".DBF"): its structure, read from the extracted file.
    std::optional<dbf::Structure> structure;
};

// Looks at the extracted files before any file is replaced; false refuses the
// archive.
using StagedCheck = std::function<bool(const std::vector<StagedFile>&)>;

struct UnzipOptions {
    bool withFolders = false; // extract each entry to its stored path below targetFolder
    bool showMessages = true; // show why nothing was extracted
    std::string onlyEntry;    // only entries of this name (last part, any letter case)
    std::string targetFolder; // where entries go; empty: the current folder
    StagedCheck check;        // the caller's own check of the extracted files
};

// Puts the entries of an archive into the target folder, each under its name
// without folders (entryTarget), replacing files of the same name. All or
// nothing: every entry is first extracted under a temporary name beside its place,
// and the live files are replaced only when all entries are sound: the archive
// reads without error, no entry is encrypted and every checksum matches, the
// entries fit on the disk,
// every table (".DBF") opens in the store with all its records and memos readable
// (its memo file must be in the archive too, and a memo file needs its table), and
// options.check accepts them. Otherwise nothing in the target folder changes and
// "Si è verificato un errore durante la decompressione del file;;" + the archive's
// name is shown (a missing archive: "Impossibile trovare il file;;" + its name).
// A name that could write outside the target folder refuses the whole archive.
//
// Tables are replaced while held exclusively, waiting like an exclusive DBOPEN
// ("Spegnere tutti i terminali...") while other instances have them open; the
// index file of the same name (name + ".NTX"), which described the old table, is
// deleted with it, for the caller to build again. Table and memo files get the
// store's upper-case names; another file replaces a file whose name differs only
// in letter case, and otherwise keeps the case stored in the archive.
bool UNZIP(const std::string& archive, const UnzipOptions& options = {});

} // namespace dn::archive
