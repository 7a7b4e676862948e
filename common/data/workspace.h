#pragma once

// The process-wide set of numbered work areas with one selected area, and the
// navigation and field operations on the selected area under their dBase names.

#include "common/data/area.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dn::data {

// Work areas are numbered 1 to kMaxArea. The start-up lock keeps its table in a
// reserved area far above those that procedures take (the lowest free one).
inline constexpr int kMaxArea = 65535;
inline constexpr int kStartupLockArea = 65534;

// The selected work area (area 1 at start).
WorkArea& area();
// Work area n (1..kMaxArea); created empty when first asked for.
WorkArea& area(int n);
// The area where alias is open (case-insensitive); nullptr when none is.
WorkArea* areaOf(std::string_view alias);
// The lowest work area with nothing open.
int lowestFreeArea();
// Numbers of the areas that have a table open, ascending.
std::vector<int> usedAreas();

// Number of the selected work area.
int SELECT();
// Selects area n; 0 selects the lowest free area. Returns the number selected.
int DBSELECTAREA(int n);
// Selects the area where alias is open; false (selection unchanged) when none is.
bool DBSELECTAREA(std::string_view alias);
// Alias of the selected area; empty when nothing is open there.
std::string ALIAS();
bool USED();

// Navigation in the selected area (see WorkArea).
void DBGOTOP();
void DBGOBOTTOM();
long DBSKIP(long n = 1);
void DBGOTO(uint32_t recno);
bool DBSEEK(const Value& value, bool soft = false);
bool DBEOF();
bool DBBOF();
bool DBFOUND();
uint32_t DBRECNO();
uint32_t DBLASTREC();
bool DBDELETED();

// Fields of the selected area's current record.
Value FIELDGET(std::string_view field);
void FIELDPUT(std::string_view field, const Value& value);

// Writes the pending change of the selected area and forces its files to disk.
void DBCOMMIT();
// Releases every lock of the selected area (writing a pending change first).
void DBUNLOCK();

} // namespace dn::data
