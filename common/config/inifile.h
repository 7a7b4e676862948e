#pragma once

#include "common/util/value.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dn::config {

// The configuration file: section "Vars" of a profile file, one line per variable,
// NAME=letter+text with the letters C (text), N (number), L (logical), D (date).
inline constexpr const char* kSection = "Vars";

// The file's form of a value: "C" + text without trailing blanks, "N" + plain
// decimal, "L.T."/"L.F.", "D" + "dd/mm/yyyy" without trailing blanks ("D  /  /" for
// the empty date). Nothing for an absent value.
std::optional<std::string> iniValue(const Value& v);
// The value of a file line's text; nothing when it is empty or its letter unknown.
// N reads the leading number (0 when there is none), L is true only for ".T." at the
// start, D gives the empty date for text that is no date.
std::optional<Value> parseIniValue(const std::string& text);

// Writes every variable whose name begins with the prefix (mask without its last
// character, "CFG_*" -> "CFG_"; case-sensitive) into section "Vars" of file, in
// name order. A line already in the file is replaced where it stands, new names go
// to the end of the section, every other line is kept. Variables without a value
// are not written. The file name is made a full path first.
// Throws platform::FileError (read-only file or medium, full disk, no access) when
// a write is refused; the variables keep their values and the lines written before
// the failure stay written. Throws std::invalid_argument for a text value holding a
// line break, which the file cannot keep.
void SAVEINI(const std::string& mask, const std::string& file);

// Writes the named variables into section "Vars" of file as SAVEINI does (names
// without a variable, or whose variable has no value, are skipped), leaving every
// other line of the file as it is. Throws as SAVEINI does.
void SAVEINI(const std::vector<std::string>& names, const std::string& file);

// Assigns every line of section "Vars" of file (made a full path first) to the
// variable of its name, in file order, creating missing variables. Lines with an
// empty value or an unknown letter are skipped. A missing file changes nothing.
// With declareAll every name of the section is made a variable first (declared
// without a value when its line is skipped), as the start-up sequence needs. The
// file is read once, however many lines it has.
void RESTOREINI(const std::string& file, bool declareAll = false);

// What RESTOREINI would assign, without assigning it: the names of section "Vars"
// of file (made a full path first) in file order, each with its value; lines with
// an empty value or an unknown letter are left out. A missing or unreadable file
// gives none.
std::vector<std::pair<std::string, Value>> readIni(const std::string& file);

} // namespace dn::config
