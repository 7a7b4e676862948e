#pragma once

// How a worker process tells its test what happened and when: one line per event
// on its standard output, "WHAT MS" or "WHAT MS TEXT", where MS is the moment on
// the monotonic clock that every process of the machine shares. A test compares
// those moments with each other and with its own, so that what it checks is the
// order of events, however slowly a loaded machine runs them. Header only: the
// workers use it without the test framework.

#include <chrono>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>

namespace dn::test {

// Now on the shared monotonic clock, in milliseconds.
inline long long monotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Prints one event line for the test, at once.
inline void reportEvent(const std::string& what, const std::string& text = {},
                        long long ms = monotonicMs()) {
    std::printf("%s %lld%s%s\n", what.c_str(), ms, text.empty() ? "" : " ", text.c_str());
    std::fflush(stdout);
}

struct Event {
    std::string what;
    long long ms = 0;
    std::string text;
};

// The event of one line; nothing when the line is no event.
inline std::optional<Event> parseEvent(const std::string& line) {
    std::istringstream in(line);
    Event e;
    if (!(in >> e.what >> e.ms))
        return std::nullopt;
    std::getline(in >> std::ws, e.text);
    return e;
}

} // namespace dn::test
