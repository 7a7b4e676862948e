#pragma once

// Watches the program's wait box: seen(text) runs each time it starts showing
// another text. It looks on every write to a file (through the platform's fault
// hook, so a wait box shown only while tables are copied or written is caught) and
// at every pass of the event loop, every everyMs. The fault hooks are cleared when
// it goes.

#include "common/ui/popmsg.h"
#include "platform/file.h"

#include <QTimer>
#include <functional>
#include <optional>
#include <string>

namespace dn::test {

class WaitWatch {
public:
    explicit WaitWatch(std::function<void(const std::string&)> seen, int everyMs = 2)
        : seen_(std::move(seen)) {
        dn::platform::FaultHooks hooks;
        hooks.onWrite = [this](const std::string&, uint64_t, size_t) -> long long {
            look();
            return -1;
        };
        dn::platform::setFaultHooks(hooks);
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start(everyMs);
    }
    ~WaitWatch() { dn::platform::clearFaultHooks(); }
    WaitWatch(const WaitWatch&) = delete;
    WaitWatch& operator=(const WaitWatch&) = delete;

private:
    void look() {
        const std::optional<std::string> t = dn::ui::CURMSG();
        if (t && t != last_)
            seen_(*t);
        last_ = t;
    }
    std::function<void(const std::string&)> seen_;
    std::optional<std::string> last_;
    QTimer timer_;
};

} // namespace dn::test
