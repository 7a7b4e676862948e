#pragma once

#include "common/util/messages.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dn::test {

// The message seam for tests: records every question, notice and wait text, and
// answers questions from a queue filled in advance. Installs itself while it lives.
// A question with no answer queued fails the test and gets the negative choice.
class ScriptedMessages : public Messages {
public:
    struct Asked {
        int kind;
        std::string text;
        std::string title;
    };

    ScriptedMessages();
    ~ScriptedMessages() override;
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    // Queues the answer to the next question (as ask returns it).
    ScriptedMessages& answer(int a);
    // Runs while a question shows, before it is answered (to look at the screen).
    std::function<void(const Asked&)> onAsk;
    // Runs when a wait text shows (to play another computer that lets go then).
    std::function<void(const std::string&)> onWait;

    std::vector<Asked> asked;       // every ask, in order
    std::vector<std::string> waits; // every text a wait box opened or took
    size_t pendingAnswers() const { return answers_.size(); }

    int ask(int kind, const std::string& text, const std::string& title) override;
    void showWait(const std::string& text, const std::string& title, bool update) override;
    void closeWait() override;
    std::optional<std::string> currentWait() const override;
    void processEvents() override;

private:
    std::deque<int> answers_;
    std::optional<std::string> wait_;
};

} // namespace dn::test
