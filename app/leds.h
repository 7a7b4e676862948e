#pragma once

// The lamps of the panel: lit while the slot has a deadline that is not done and
// falls due today or earlier.

#include "app/panel.h"
#include "common/util/date.h"

#include <array>
#include <optional>
#include <string>

namespace dn {
class TDialog;
class TTimer;
} // namespace dn

namespace dn::app {

// When the last full scan of the deadline table ended ("HH:MM:SS"); kept for the
// whole run, across rebuilds of the panel.
struct LampScan {
    Date date;
    std::string time;
};
std::optional<LampScan>& lastLampScan();

// Refreshes the lamps of slots 1 to n (the controls at positions 2i of the
// panel). Unless forced, the table is read only on a new day or when
// "SCADENZE.DBF" was written since the last scan (its modification time, so
// writes by other computers count); nothing happens when the file is missing.
// The scan opens the table under the alias "LEDS" in a free work area, walks each
// slot's deadlines up to today through the index, and selects the previous work
// area again. The timer is stopped while the scan runs. A failure (shown by the
// error handler) leaves the lamps and the last-scan stamp as they were.
void LEDS(TDialog& panel, TTimer* timer, int n, bool forced = false);

// The scan of LEDS without the panel: opens the deadline table under the alias
// "LEDS" in a free work area with its index, asks slotHasPending for slots 1 to n,
// closes the table and selects the previous work area again. Nothing when the scan
// failed (the error handler has shown why).
using Lamps = std::array<bool, kSlots>;
std::optional<Lamps> scanLamps(int n);

// Whether slot's lamp should be lit: a deadline of the slot that is not done and
// is dated today or earlier. REQUIRES: the selected area has the deadline table
// open on its index. Lets window events run while it steps over done deadlines.
bool slotHasPending(int slot);

} // namespace dn::app
