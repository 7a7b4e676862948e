#pragma once

#include "generated.h"

#include <cstdint>
#include <string>

namespace dnbench {

// A deadline table (the layout of SCADENZE) of `records` records in dataDir(),
// generated once and reused afterwards: slots 1 to `owners` at random, due dates
// spread uniformly over the ten years 2021-2030, a time on about half of them, a
// task text of 20 to 120 characters each, and about 1% not done. Deterministic.
// Returns the table file's path.
std::string deadlineTable(uint32_t records, int owners = 10);

// A deadline table as an office leaves it that has done everything due so far:
// `records` deadlines as above but due after today (the real date), and before them
// 100 done deadlines of each slot due today. Generated once a day.
std::string doneTodayTable(uint32_t records);

} // namespace dnbench
