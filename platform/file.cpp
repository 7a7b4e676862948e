// The part of the file layer that is the same on every system: errors and the
// fault hooks that tests set.
#include "platform/file.h"

#include <mutex>

namespace dn::platform {

namespace {
std::mutex g_hooksMutex;
FaultHooks g_hooks;
} // namespace

FileError::FileError(FileErrorKind kind, std::string path, int sysError, const std::string& what)
    : std::runtime_error(what), kind_(kind), path_(std::move(path)), sysError_(sysError) {}

FaultHooks currentFaultHooks() {
    std::lock_guard<std::mutex> lock(g_hooksMutex);
    return g_hooks;
}

void setFaultHooks(FaultHooks hooks) {
    std::lock_guard<std::mutex> lock(g_hooksMutex);
    g_hooks = std::move(hooks);
}

void clearFaultHooks() {
    std::lock_guard<std::mutex> lock(g_hooksMutex);
    g_hooks = FaultHooks{};
}

} // namespace dn::platform
