#pragma once

#include <optional>
#include <string>

namespace dn {

// How code below the toolkit shows messages and waits: the one seam between the
// plain C++ layers and the windows. The toolkit installs a Qt implementation at
// start-up; tests install a scripted fake. Texts are Windows-1252 bytes and use
// ";" as a line break, as every message of the program does.
class Messages {
public:
    virtual ~Messages() = default;

    // Modal message of the given kind (1 notice; 2 OK/Cancel; 3 Yes/No/Cancel;
    // 4 Yes/No; 5 Yes/No with No default; 6 OK/Cancel with a stop icon). Closes any
    // open wait box first. Returns 0 for kind 1, 1 or 0 for kinds 2, 4, 5 and 6
    // (true/false), and 6 (Yes), 7 (No) or 2 (Cancel) for kind 3.
    virtual int ask(int kind, const std::string& text, const std::string& title) = 0;
    // Opens the single wait box with text, or, when one is open, replaces its text
    // only if update is true.
    virtual void showWait(const std::string& text, const std::string& title, bool update) = 0;
    // Closes the wait box if one is open.
    virtual void closeWait() = 0;
    // The open wait box's text; nothing when no box is open.
    virtual std::optional<std::string> currentWait() const = 0;
    // Lets pending window events run (timers, repaints, clicks elsewhere).
    virtual void processEvents() = 0;
};

// The installed implementation; without one, a headless default that writes
// messages to standard error and answers every question with its negative choice.
Messages& messages();
// Installs m (not owned; nullptr restores the headless default).
void setMessages(Messages* m);

} // namespace dn
