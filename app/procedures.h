#pragma once

// Procedures that the panel and its menu call and that other parts of the
// application supply: the deadline list and the address book. Until a procedure
// is supplied, its definition in procedures.cpp only tells the user "Funzione non
// ancora disponibile."; the code that supplies one removes that definition.

#include "common/util/date.h"

#include <optional>
#include <string>
#include <vector>

namespace dn {
class TDialog;
}

namespace dn::app {

// The notice shown by a procedure that is not available yet.
inline constexpr const char* kNotYetAvailable = "Funzione non ancora disponibile.";

// The deadline list of the slot under clickRow (see slotFromRow) as of date
// (default today); nothing when that slot is beyond the n shown slots.
void SCADENZE(TDialog& panel, int clickRow, int n, std::optional<Date> date = std::nullopt);
// The address book.
void RUBRICA();

} // namespace dn::app
