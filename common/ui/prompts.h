#pragma once

// Small modal dialogs of the message helpers: ask for one value, the about box.

#include "common/util/date.h"
#include "common/util/value.h"

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

// The maker's own lines of the about box.
struct MakerInfo {
    static constexpr const char* name = "Velt Informatica s.n.c.";
    static constexpr const char* address = "Via dei Tigli 12 - 35010 Vigonza (PD)";
    static constexpr const char* phone = "Tel. 049 880 1138";
    static constexpr const char* mail = "E-mail: assistenza@veltinformatica.it";
};

// Shows the about box (dialog "INFOS", modal, centred): the maker's logo, the
// product name, "Versione: " + version, the year and the maker's name, and the
// address, telephone and e-mail lines (each empty one replaced by the maker's).
void INFOS(std::string_view product, std::string_view version, std::string_view year,
           std::string_view address = {}, std::string_view phone = {}, std::string_view mail = {});

} // namespace dn::ui
