#pragma once

// An environment variable set (or removed) for a while.

#include <cstdlib>
#include <optional>
#include <string>

namespace dn::test {

// Sets name to value, or removes it when value is nothing, while it lives; the
// value before (or none) afterwards. On Windows this is the C runtime's copy of the
// environment, the one std::getenv reads.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str()))
            old_ = old;
        put(value);
    }
    ~ScopedEnv() { put(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void put(const std::optional<std::string>& value) {
#ifdef _WIN32
        _putenv_s(name_.c_str(), value ? value->c_str() : ""); // "" removes it
#else
        if (value)
            ::setenv(name_.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
#endif
    }

    std::string name_;
    std::optional<std::string> old_;
};

} // namespace dn::test
