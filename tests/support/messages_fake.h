#pragma once

#include "common/util/messages.h"

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dn::test {

// The message seam for tests: records every question, notice and wait text, with
// the moment it showed, and answers questions from a queue filled in advance.
// Installs itself while it lives. A question with no answer queued fails the test
// and gets the negative choice; a fixture whose procedures ask questions the test
// does not look at can choose the negative choice without a failure instead.
// Notices (kind 1) need no answer.
class ScriptedMessages : public Messages {
public:
    enum class Unanswered { Fail, Negative };

    struct Asked {
        int kind;
        std::string text;
        std::string title;
    };
    // What showed, in order: questions and notices, and wait boxes opened and closed.
    struct Event {
        enum Kind { Ask, Show, Close } kind;
        std::string text;
        std::string title;
        std::chrono::steady_clock::time_point at;
    };

    explicit ScriptedMessages(Unanswered unanswered = Unanswered::Fail);
    // Fails the test when answers queued were never asked for.
    ~ScriptedMessages() override;
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    // Queues the answer to the next question (as ask returns it).
    ScriptedMessages& answer(int a);
    // Runs while a question shows, before it is answered (to look at the screen).
    std::function<void(const Asked&)> onAsk;
    // Runs when a wait box opens or takes a new text.
    std::function<void(const std::string&)> onWait;
    // Runs each time the code under test lets window events run.
    std::function<void()> onPump;

    std::vector<Asked> asked;       // every ask, in order
    std::vector<std::string> waits; // every text a wait box opened or took
    std::vector<Event> events;
    int pumps = 0; // times window events were let run
    size_t pendingAnswers() const { return answers_.size(); }
    // The texts of every ask, in order.
    std::vector<std::string> askedTexts() const;
    // The first time a wait box showed text; nullptr when it never did.
    const Event* firstShown(const std::string& text) const;

    // How tests that have windows let their events run (set by guiApp()); without
    // one, processEvents only counts.
    static void setEventPump(std::function<void()> pump);

    int ask(int kind, const std::string& text, const std::string& title) override;
    void showWait(const std::string& text, const std::string& title, bool update) override;
    void closeWait() override;
    std::optional<std::string> currentWait() const override;
    void processEvents() override;

private:
    Unanswered unanswered_;
    std::deque<int> answers_;
    std::optional<std::string> wait_;
};

} // namespace dn::test
