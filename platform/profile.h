#pragma once

#include <string>
#include <utility>
#include <vector>

namespace dn::platform {

// Profile (INI) files: "[section]" lines, "key=value" lines, ";" comments.
// Texts are Windows-1252 bytes, kept as they are; section and key names match
// without regard to letter case (Windows-1252 letters included). On POSIX these
// behave like the Windows profile functions (docs/platform.md): a key's line is
// replaced where it stands, a new key goes at the end of its section, a missing
// file or section is created, every other line (comments, blank and unknown
// lines, other sections) is kept, and lines end with CR LF.

// The value of key in section, blanks around it removed (and one pair of matching
// quotes around it); fallback when the file, section or key is missing.
std::string GETPVPROFSTRING(const std::string& section, const std::string& key,
                            const std::string& fallback, const std::string& file);

// Writes key=value into section; false when the file cannot be written, in which
// case it is left as it was.
bool WRITEPVPROFSTRING(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file);

// Key names of section in file order, each once (its first spelling), trailing
// blanks removed; empty when the file or section is missing.
std::vector<std::string> GETPVPROFSECTION(const std::string& section, const std::string& file);

// Every key of section with its value (as GETPVPROFSTRING gives it), in file
// order, each key once (its first line); the file is read once. Empty when the file
// or section is missing.
std::vector<std::pair<std::string, std::string>> GETPVPROFSECTIONENTRIES(const std::string& section,
                                                                         const std::string& file);

// Section names in file order, each once; empty when the file is missing.
std::vector<std::string> GETPVPROFSECTIONNAMES(const std::string& file);

} // namespace dn::platform
