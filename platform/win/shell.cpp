#include "platform/shell.h"

#include "platform/win/win32.h"

#include <shellapi.h>

namespace dn::platform {

bool openUrl(const std::string& url) {
    const HINSTANCE h =
        ::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(h) > 32;
}

std::string programPath() {
    char buf[MAX_PATH * 4];
    const DWORD n = ::GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf)
        return std::string();
    return std::string(buf, n);
}

} // namespace dn::platform
