#pragma once

#include <functional>

namespace dn::platform {

// Sounds a tone of frequency Hz for ticks of 1/18 second: ticks * 1000 / 18 ms
// (integer division). False for a frequency outside 37..32767 Hz. On Windows it
// beeps for the whole duration; on POSIX it rings the terminal bell when the
// process has a terminal and returns at once (docs/platform.md).
bool TONE(int frequency, int ticks);

// Length of a tone of ticks in milliseconds.
int toneMillis(int ticks);

// Replaces the system sound with sink (the toolkit may plug in its own sound,
// tests record the calls); an empty sink restores the system sound.
using ToneSink = std::function<void(int frequency, int millis)>;
void setToneSink(ToneSink sink);

} // namespace dn::platform
