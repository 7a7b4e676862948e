#include "common/util/messages.h"

#include <cstdio>

namespace dn {

namespace {

class HeadlessMessages final : public Messages {
public:
    int ask(int kind, const std::string& text, const std::string& title) override {
        std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
        closeWait();
        switch (kind) {
        case 3:
            return 2;
        default:
            return 0;
        }
    }
    void showWait(const std::string& text, const std::string&, bool update) override {
        if (!wait_ || update)
            wait_ = text;
    }
    void closeWait() override { wait_.reset(); }
    std::optional<std::string> currentWait() const override { return wait_; }
    void processEvents() override {}

private:
    std::optional<std::string> wait_;
};

HeadlessMessages g_headless;
Messages* g_current = &g_headless;

} // namespace

Messages& messages() {
    return *g_current;
}

void setMessages(Messages* m) {
    g_current = m ? m : &g_headless;
}

} // namespace dn
