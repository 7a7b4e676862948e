#pragma once

// The application's configuration variables and its configuration file.

namespace dn::app {

inline constexpr const char* kConfigFile = "DELTRA.CFG";
// The group of variables that the configuration file holds.
inline constexpr const char* kConfigMask = "CFG_*";

// Creates the 24 variables with their defaults, in this order: CFG_NM01, CFG_PW01,
// ... CFG_NM10, CFG_PW10 (names and scrambled passwords of the person slots, ""),
// CFG_SUP (0), CFG_SOT (false), CFG_SIN (0), CFG_DES (false): the panel's margins
// from the top or bottom and the left or right edge of the screen.
void createConfigVariables();

// Writes the configuration file with every CFG_ variable when it is missing;
// otherwise makes every name of its section a variable of the run (so that names
// this program does not know are written back by the next save) and loads the
// values. False when that failed; the error handler has shown why.
bool loadOrWriteConfig();

// Saves the whole group; false (after the handler's message) when the file could
// not be written. The variables keep their values either way.
bool saveConfig();

} // namespace dn::app
