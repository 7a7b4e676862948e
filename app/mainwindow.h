#pragma once

// The hidden main window that owns the panel's timers.

namespace dn::app {

// Creates the main window "Deltranota" far outside the screen and runs it: its
// start-up action hides it and runs the panel (DELTRANOTA); when the panel has
// closed for good the window closes and this returns the exit code 0. The caller
// then runs the library's shut-down.
int runMainWindow();

} // namespace dn::app
