#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dn {

// For each pattern in order, the names (without folder) of the files that match it,
// all in one list; a name that matches two patterns appears twice. A pattern is an
// optional folder ("/" or "\" separated, relative to the working directory) and a
// name with "*" (any run of characters) and "?" (one character), matched without
// regard to case as on Windows; a trailing ".*" also matches a name without
// extension, so "*.*" matches every file. Hidden and read-only files are included,
// folders are not. Names of one pattern come in case-insensitive name order.
// A missing or unreadable folder contributes nothing. Paths are native bytes, as
// the file layer passes them to the system.
std::vector<std::string> WILDEXP(const std::vector<std::string>& patterns);

// Whether name matches the wildcard pattern under the rules above.
bool wildMatch(std::string_view pattern, std::string_view name);

} // namespace dn
