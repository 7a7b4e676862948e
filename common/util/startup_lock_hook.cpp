#include "common/util/startup_lock_hook.h"

#include <utility>

namespace dn {

namespace {
std::function<void()>& releaser() {
    static std::function<void()> fn;
    return fn;
}
} // namespace

void releaseStartupLock() {
    if (releaser())
        releaser()();
}

void setStartupLockReleaser(std::function<void()> fn) {
    releaser() = std::move(fn);
}

} // namespace dn
