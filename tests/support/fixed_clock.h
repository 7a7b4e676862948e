#pragma once

// The program's clock (dn::clock) fixed at a moment while a test runs.

#include "common/util/clock.h"

namespace dn::test {

// Fixes the clock at date d, msecs after midnight, while it lives; the system's
// clock again afterwards, however the test ends.
class FixedClock {
public:
    explicit FixedClock(Date d, int msecs = 0) { clock::setFixed(d, msecs); }
    ~FixedClock() { clock::useSystem(); }
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;

    // Moves the clock to another moment.
    void set(Date d, int msecs = 0) { clock::setFixed(d, msecs); }
};

} // namespace dn::test
