#include "platform/sound_system.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

namespace dn::platform {

bool systemTone(int frequency, int millis) {
    return Beep(static_cast<DWORD>(frequency), static_cast<DWORD>(millis)) != 0;
}

} // namespace dn::platform
