#pragma once

#include <cstdint>
#include <string>

namespace dnbench {

// An address book table (the layout of RUBRICA) of `records` contacts in
// dataDir(), generated once and reused afterwards: names made of a common Italian
// surname, a first name and the record's number, a town, a telephone number and
// an e-mail address at example.it. Deterministic. Returns the table file's path.
std::string contactTable(uint32_t records);

} // namespace dnbench
