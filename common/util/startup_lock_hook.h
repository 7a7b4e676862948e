#pragma once

#include <functional>

namespace dn {

// Releases the start-up lock when this process holds it, so that a message left
// open on screen does not hold up the start-up of other instances. Every disk or
// file check calls it before showing its message. Until the start-up lock code
// installs its releaser this does nothing.
void releaseStartupLock();

// Installs the function that releases the start-up lock (an empty function
// removes it). The releaser must be harmless when the lock is not held.
void setStartupLockReleaser(std::function<void()> releaser);

} // namespace dn
