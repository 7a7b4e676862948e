#pragma once

// Where the generated benchmark tables live, and how a benchmark takes a copy.

#include <cstdint>
#include <string>

namespace dnbench {

// The folder for generated benchmark data: $DN_BENCH_DIR, else a folder under the
// system's temporary folder. Created when missing.
std::string dataDir();

// True when the table at path was generated before with that many records and
// opens as a sound table (an interrupted run leaves one that does not).
bool generatedAlready(const std::string& path, uint32_t records);

// Copies a generated table and its memo file to toTable (a table file's path; the
// memo file goes beside it), replacing what is there.
void copyTable(const std::string& from, const std::string& toTable);

} // namespace dnbench
