#pragma once

// Per-person passwords: each slot's password guards its deadline list. The
// password lives scrambled (CRYPT) in the configuration variable CFG_PW01 ...
// CFG_PW10; a blank value means the slot has none. The dialogs share one field,
// id 101, variable "cPasswd": 10 characters shown as dots.

#include <string>

namespace dn::app {

inline constexpr int kPasswordLength = 10;

// "CFG_PW" + the slot number in two digits, for a slot given as its code (the
// number, right-aligned in 10 characters as CODICE holds it).
std::string passwordVar(const std::string& slotCode);

// Whether the person may open the slot's list: true at once when the slot has no
// password; otherwise asks for it (dialog "PASSWD"; a blank entry is refused with
// "Campo non valido.") and compares exactly, case and trailing blanks included.
// A wrong password shows "Password non corretta."; abandoning shows nothing; both
// give false. The password compared is the one in the configuration file now (a
// change saved by another computer counts at once), unless this run changed it
// without saving it or the file cannot be read: then the one in force here.
bool PASSWD(const std::string& slotCode);

// Sets, changes or removes the slot's password (dialog "PASSWD2"; "&Elimina" or a
// blank entry removes it). A new password must be typed again (PASSWD3); a
// different repetition shows "Password non confermata." and changes nothing. The
// new value is in force at once and saved with the configuration (saveConfig):
// when the file cannot be written its message shows, and the value stays in force
// for this run.
void PASSWD2(const std::string& slotCode);

// The repetition of a new password (dialog "PASSWD3"): the 10 characters typed
// (10 blanks when left empty), or the empty text when the dialog was abandoned.
std::string PASSWD3();

} // namespace dn::app
