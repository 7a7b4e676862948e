#pragma once

// Data folders for the benchmarks of the program's own paths: deadline tables from
// the generator of bench/dbf, with and without their index and purge, and the
// configuration file that names every person slot.

#include <cstdint>
#include <string>

namespace dnbench {

// Makes this process able to use the data layer: an instance with its own folder
// under dataDir(). Call once, before the first table is opened.
void startDataLayer();

// Writes DELTRA.CFG into folder with names in all ten slots ("Persona 1" ...), as
// the program's names dialog saves them.
void writeConfig(const std::string& folder);

// Builds SCADENZE.NTX in folder as the start-up builds it when it is missing.
void buildDeadlineIndex(const std::string& folder);

// Runs the start-up purge of the program on the deadline table of folder.
void purgeDeadlines(const std::string& folder);

// Copies the deadline table (table and memo file, and the index when withIndex)
// from one folder into another, replacing what is there.
void copyDeadlines(const std::string& from, const std::string& to, bool withIndex);

// A folder under dataDir() holding a copy of the generated table of `records`
// deadlines (dnbench::deadlineTable) with its index: as it is (purged false) or as
// the start-up purge leaves it (purged true). Made once and reused.
std::string deadlineFolder(uint32_t records, bool purged);

} // namespace dnbench
