#pragma once

#include <string>

namespace dn::platform {

// Hands url (for example a "mailto:" link) to the desktop's handler for its kind:
// xdg-open on POSIX, the shell's "open" verb on Windows. Returns at once; false when
// the handler could not be started. The url is passed as one argument, never
// through a shell.
bool openUrl(const std::string& url);

// The full path of the running program; empty when the system cannot tell.
std::string programPath();

} // namespace dn::platform
