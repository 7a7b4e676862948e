#pragma once

// The application's configuration variables and its configuration file.
//
// Several computers share the file. Each instance loads it at start and saves on
// top of what the file holds when it saves: only what this run changed is
// written, under the start-up lock, so a change saved elsewhere meanwhile is
// neither undone nor lost (it is taken into this run's variables).

#include "common/util/value.h"

#include <string>

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

// Saves the group on top of the file as other instances left it. Under the
// start-up lock (taken here unless it is held already, so that two saves, or a
// save and another instance's start, never interleave) the file is read; every
// variable of the group that this run changed since it last loaded or saved it,
// or that the file lacks, is written; every other one takes the file's value. The
// file's other lines stay as they are. False (after the handler's message) when
// the file could not be written: the variables keep their values, and those not
// written count as changed at the next save.
bool saveConfig();

// The variable as it stands now: the configuration file's value, kept in the
// variable too; the variable's own value when this run changed it and has not
// saved it yet, or when the file holds no readable value for it.
Value configValueNow(const std::string& name);

} // namespace dn::app
