#pragma once

namespace dn::app {

// Runs the whole program: the library's start-up, MAIN, the hidden main window
// with the panel, the library's shut-down. Returns the process exit code: 0 after
// a normal end, 1 when the start-up failed.
int run(int argc, char** argv);

// The start-up sequence, run with the working directory as the data folder:
// lock table, instance identity and start-up lock; the tables and index files
// that are missing; the configuration variables and file; the purge of done
// deadlines of past days; then the start-up lock is released. True when all of it
// succeeded and the main window may open. False on the first failure, after the
// error handler's message: no window opens, the start-up lock stays held until
// the process ends (the library's shut-down frees it).
// REQUIRES: the library's start-up procedure (data::startupLibrary) has run.
bool MAIN();

} // namespace dn::app
