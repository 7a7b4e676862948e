#pragma once

#include "toolkit/window.h"

#include <QPointer>

#include <memory>

class QTimer;

namespace dn {

// A periodic action on the interface thread, every nInterval milliseconds while
// active. Owned by a window, it keeps firing while modal dialogs run their loops.
// The action does not run again from inside itself.
class TTimer {
public:
    TTimer(int intervalMs, Block action, TWindow* owner = nullptr);
    static std::unique_ptr<TTimer> New(int intervalMs, Block action, TWindow* owner = nullptr) {
        return std::make_unique<TTimer>(intervalMs, std::move(action), owner);
    }
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    void Activate();
    void DeActivate();
    // Stops the timer for good.
    void End();
    bool lActive() const;
    void SetInterval(int ms);

    int nInterval;
    Block bAction;

private:
    QPointer<QTimer> timer_;
    bool running_ = false;
};

} // namespace dn
