#pragma once

namespace dn::platform {

// The system's own sound for a tone of frequency Hz lasting millis ms; defined
// once per system.
bool systemTone(int frequency, int millis);

} // namespace dn::platform
