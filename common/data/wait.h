#pragma once

// The waits of opening, locking and appending: quiet retries first, then a
// message of their own while the retries go on, and afterwards the message that
// was on screen before.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace dn::data {

// How long lock and append attempts are retried before the busy message shows.
inline constexpr std::chrono::milliseconds kQuietWait{3000};
// Pause between two attempts, so that a wait does not keep a processor busy.
inline constexpr std::chrono::milliseconds kRetryPause{2};

// Shows text in place of the wait box that was open (remembered), for as long as
// it lives; then closes it and opens the remembered text again.
class WaitMessage {
public:
    WaitMessage(std::optional<std::string> remembered, const std::string& text,
                const std::string& title = "Attendere");
    ~WaitMessage();
    WaitMessage(const WaitMessage&) = delete;
    WaitMessage& operator=(const WaitMessage&) = delete;

private:
    std::optional<std::string> remembered_;
};

// The busy message of lock and append waits.
inline constexpr const char* kBusyText = "Il sistema \xE8 momentaneamente occupato...";

// Tries attempt for kQuietWait (with kRetryPause between tries),
// then shows the busy message in place of the remembered one and keeps trying
// until it succeeds. Returns when attempt has returned true.
void retryUntil(const std::function<bool()>& attempt, const std::optional<std::string>& remembered);

} // namespace dn::data
