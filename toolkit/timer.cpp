#include "toolkit/timer.h"

#include <QTimer>

namespace dn {

TTimer::TTimer(int intervalMs, Block action, TWindow* owner)
    : nInterval(intervalMs), bAction(std::move(action)) {
    timer_ = new QTimer(owner && owner->hWnd() ? owner->hWnd() : nullptr);
    timer_->setInterval(nInterval);
    QObject::connect(timer_, &QTimer::timeout, timer_, [this] {
        if (running_ || !bAction)
            return;
        running_ = true;
        Block b = bAction;
        b();
        running_ = false;
    });
}

TTimer::~TTimer() {
    End();
}

void TTimer::Activate() {
    if (timer_)
        timer_->start(nInterval);
}

void TTimer::DeActivate() {
    if (timer_)
        timer_->stop();
}

void TTimer::End() {
    if (timer_) {
        timer_->stop();
        delete timer_.data();
    }
}

bool TTimer::lActive() const {
    return timer_ && timer_->isActive();
}

void TTimer::SetInterval(int ms) {
    nInterval = ms;
    if (timer_)
        timer_->setInterval(ms);
}

} // namespace dn
