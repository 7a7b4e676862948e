#pragma once

namespace dn::app {

// Runs the whole program: start-up, the hidden main window and the panel, shut-down.
// Returns the process exit code.
int run(int argc, char** argv);

} // namespace dn::app
