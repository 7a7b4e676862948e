#include "tests/support/messages_fake.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace dn::test {

ScriptedMessages::ScriptedMessages() {
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

int ScriptedMessages::ask(int kind, const std::string& text, const std::string& title) {
    closeWait();
    asked.push_back({kind, text, title});
    if (onAsk)
        onAsk(asked.back());
    if (kind == 1)
        return 0;
    if (answers_.empty()) {
        ADD_FAILURE() << "domanda senza risposta preparata: " << text;
        return kind == 3 ? 2 : 0;
    }
    const int a = answers_.front();
    answers_.pop_front();
    return a;
}

void ScriptedMessages::showWait(const std::string& text, const std::string&, bool update) {
    if (!wait_ || update) {
        wait_ = text;
        waits.push_back(text);
        if (onWait)
            onWait(text);
    }
}

void ScriptedMessages::closeWait() {
    wait_.reset();
}

std::optional<std::string> ScriptedMessages::currentWait() const {
    return wait_;
}

void ScriptedMessages::processEvents() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace dn::test
