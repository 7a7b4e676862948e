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

Moment now() {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_fixed)
            return g_moment;
    }
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count() % 1000;
    const std::time_t secs = std::chrono::duration_cast<std::chrono::seconds>(since).count();
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &secs);
#else
    localtime_r(&secs, &tm);
#endif
    Moment m;
    m.date = Date::fromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    m.msecs = ((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000 + static_cast<int>(ms);
    return m;
}

Date today() {
    return now().date;
}

std::string timeText() {
    const int s = now().msecs / 1000;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return buf;
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
