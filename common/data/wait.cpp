#include "common/data/wait.h"

#include "common/util/messages.h"

#include <thread>

namespace dn::data {

WaitMessage::WaitMessage(std::optional<std::string> remembered, const std::string& text,
                         const std::string& title)
    : remembered_(std::move(remembered)) {
    if (remembered_)
        messages().closeWait();
    messages().showWait(text, title, false);
}

WaitMessage::~WaitMessage() {
    messages().closeWait();
    if (remembered_)
        messages().showWait(*remembered_, "Attendere", false);
}

void retryUntil(const std::function<bool()>& attempt,
                const std::optional<std::string>& remembered) {
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < kQuietWait) {
        if (attempt())
            return;
        std::this_thread::sleep_for(kRetryPause);
    }
    WaitMessage busy(remembered, kBusyText);
    while (!attempt())
        std::this_thread::sleep_for(kRetryPause);
}

} // namespace dn::data
