#pragma once

#include "generated.h"

#include <cstdint>
#include <string>

namespace dnbench {

// An address book table (the layout of RUBRICA) of `records` contacts in
// dataDir(), generated once and reused afterwards: names of two to four syllables,
// a first name and the record's number (every name distinct), a street, postcode
// and town, a telephone number, a mobile number on every third, an e-mail address
// under a reserved test domain, and a two-line note (a memo) on every tenth.
// Deterministic. Returns the table file's path.
std::string contactTable(uint32_t records);

} // namespace dnbench
