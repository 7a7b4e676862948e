#include "platform/find.h"

namespace dn::platform {

namespace {
// Seconds from 1 January 1601 to 1 January 1970.
constexpr int64_t kEpochDelta = 11644473600LL;
constexpr int64_t kTicksPerSecond = 10000000LL;
} // namespace

uint64_t toFileTime(int64_t unixSeconds, uint32_t nanoseconds) {
    const int64_t s = unixSeconds + kEpochDelta;
    if (s < 0)
        return 0;
    return static_cast<uint64_t>(s) * kTicksPerSecond + nanoseconds / 100;
}

int64_t fileTimeToUnixSeconds(uint64_t fileTime) {
    return static_cast<int64_t>(fileTime / kTicksPerSecond) - kEpochDelta;
}

} // namespace dn::platform
