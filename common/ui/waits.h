#pragma once

// Waiting inside application code while the windows stay alive. Other window
// events (timer ticks, clicks on other windows) run during these calls.

#include <functional>

namespace dn::ui {

// Waits the given time while processing window events; returns true.
bool SYSWAIT(double seconds = 0.1);

// Until condition() is true: waits for the next window event, then processes all
// pending ones. How a caller waits for a non-modal window to close. condition is
// tested before the first wait, so a condition already true returns at once.
void STOPUNTIL(const std::function<bool()>& condition);

} // namespace dn::ui
