#include "common/util/clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace dn::clock {

namespace {
std::mutex g_mutex;
bool g_fixed = false;
Moment g_moment;
constexpr int kDay = 24 * 60 * 60 * 1000;
} // namespace

Moment localMoment(int64_t unixSeconds, int nanoseconds) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm); // the reentrant form does not look at the zone file again
#endif
    Moment m;
    m.date = Date::fromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    m.msecs = ((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000 + nanoseconds / 1000000;
    return m;
}

Moment now() {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_fixed)
            return g_moment;
    }
    // The system clock rather than timespec_get, which MinGW's runtime lacks.
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() %
                    1'000'000'000;
    return localMoment(std::chrono::duration_cast<std::chrono::seconds>(since).count(),
                       static_cast<int>(ns));
}

Date today() {
    return now().date;
}

std::string timeText(const Moment& m) {
    const int s = m.msecs / 1000;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

std::string timeText() {
    return timeText(now());
}

void setFixed(Date d, int msecs) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_fixed = true;
    g_moment = Moment{d, msecs};
}

void advance(int msecs) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_fixed)
        return;
    long long total = static_cast<long long>(g_moment.msecs) + msecs;
    const long long days = total / kDay;
    g_moment.date = g_moment.date.addDays(static_cast<int>(days));
    g_moment.msecs = static_cast<int>(total % kDay);
}

void useSystem() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_fixed = false;
}

bool isFixed() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_fixed;
}

} // namespace dn::clock
