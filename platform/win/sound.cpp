#include "platform/sound_system.h"

#include "platform/win/win32.h"

namespace dn::platform {

bool systemTone(int frequency, int millis) {
    return Beep(static_cast<DWORD>(frequency), static_cast<DWORD>(millis)) != 0;
}

} // namespace dn::platform
