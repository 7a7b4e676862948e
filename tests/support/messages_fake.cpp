#include "tests/support/messages_fake.h"

#include <gtest/gtest.h>

namespace dn::test {

namespace {

std::function<void()>& eventPump() {
    static std::function<void()> pump;
    return pump;
}

} // namespace

ScriptedMessages::ScriptedMessages(Unanswered unanswered) : unanswered_(unanswered) {
    setMessages(this);
}

ScriptedMessages::~ScriptedMessages() {
    setMessages(nullptr);
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " risposte preparate e mai chieste";
}

ScriptedMessages& ScriptedMessages::answer(int a) {
    answers_.push_back(a);
    return *this;
}

std::vector<std::string> ScriptedMessages::askedTexts() const {
    std::vector<std::string> out;
    for (const Asked& a : asked)
        out.push_back(a.text);
    return out;
}

const ScriptedMessages::Event* ScriptedMessages::firstShown(const std::string& text) const {
    for (const Event& e : events)
        if (e.kind == Event::Show && e.text == text)
            return &e;
    return nullptr;
}

void ScriptedMessages::setEventPump(std::function<void()> pump) {
    eventPump() = std::move(pump);
}

int ScriptedMessages::ask(int kind, const std::string& text, const std::string& title) {
    closeWait();
    asked.push_back({kind, text, title});
    events.push_back({Event::Ask, text, title, std::chrono::steady_clock::now()});
    if (onAsk)
        onAsk(asked.back());
    if (kind == 1)
        return 0;
    if (answers_.empty()) {
        if (unanswered_ == Unanswered::Fail)
            ADD_FAILURE() << "domanda senza risposta preparata: " << text;
        return kind == 3 ? 2 : 0;
    }
    const int a = answers_.front();
    answers_.pop_front();
    return a;
}

void ScriptedMessages::showWait(const std::string& text, const std::string& title, bool update) {
    if (wait_ && !update)
        return;
    wait_ = text;
    waits.push_back(text);
    events.push_back({Event::Show, text, title, std::chrono::steady_clock::now()});
    if (onWait)
        onWait(text);
}

void ScriptedMessages::closeWait() {
    if (wait_)
        events.push_back({Event::Close, *wait_, {}, std::chrono::steady_clock::now()});
    wait_.reset();
}

std::optional<std::string> ScriptedMessages::currentWait() const {
    return wait_;
}

void ScriptedMessages::processEvents() {
    ++pumps;
    if (onPump)
        onPump();
    if (eventPump())
        eventPump()();
}

} // namespace dn::test
