#pragma once

// Small modal dialogs of the message helpers: ask for one value, the about box.

#include "common/util/date.h"
#include "common/util/value.h"

#include <array>
#include <string>
#include <string_view>

namespace dn::ui {

// Asks for one value in the dialog "MSGGET": caption title, the prompt above a
// field editing a copy of value with the edit mask. Returns true when the user
// confirmed ("&Conferma" or Enter); only then is value set to what was edited.
// "&Annulla", Esc and the close box leave value unchanged and return false.
bool MSGGET(std::string_view title, std::string_view prompt, Value& value,
            std::string_view mask = {});
bool MSGGET(std::string_view title, std::string_view prompt, std::string& value,
            std::string_view mask = {});
bool MSGGET(std::string_view title, std::string_view prompt, Date& value,
            std::string_view mask = {});
bool MSGGET(std::string_view title, std::string_view prompt, double& value,
            std::string_view mask = {});

// The three lines the about box shows below its separator when the caller gives
// none: what someone helping the user needs to know about this copy of the program.
//   "Cartella dati: " + the data folder in use (the working directory),
//   "Programma: " + the program file,
//   "Qt " + the Qt version in use + " su " + the operating system's name.
std::array<std::string, 3> aboutLines();

// Shows the about box (dialog "INFOS", modal, centred): the logo "VELT", the
// product name, "Versione: " + version, "(c) " + year + " " + product, and below
// the separator line1 to line3, each empty one replaced by its line of aboutLines().
void INFOS(std::string_view product, std::string_view version, std::string_view year,
           std::string_view line1 = {}, std::string_view line2 = {}, std::string_view line3 = {});

} // namespace dn::ui
