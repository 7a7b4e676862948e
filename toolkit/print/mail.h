#pragma once

// Handing a file to a new message of the desktop's mail program.

#include <string>

namespace dn::print {

enum class MailStatus {
    Opened,        // a new message with the attachment was handed to the mail program
    NoMailProgram, // the system has no mail program to hand it to
    Failed         // the mail program was there but refused or failed
};

struct MailResult {
    MailStatus status = MailStatus::Failed;
    // The mail program may still read the attachment after the call returned (it
    // was started and left running), so the file must not be deleted yet.
    bool fileInUse = false;
};

// Opens a new message with `path` attached and `subject` (Windows-1252). On
// Windows through the system's mail interface, which returns once the user has
// sent or discarded the message; on POSIX through xdg-email, for the mail program
// the desktop has for "mailto:" links, which is left running.
MailResult mailAttachment(const std::string& path, const std::string& subject);

} // namespace dn::print
