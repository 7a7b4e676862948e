#include "platform/sound_system.h"

#include "platform/posix/posix_util.h"

#include <fcntl.h>
#include <unistd.h>

namespace dn::platform {

// There is no portable tone generator: the terminal bell is the nearest sound,
// rung without waiting. A process without a terminal stays silent.
bool systemTone(int, int) {
    const Fd tty(::open("/dev/tty", O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (tty.ok() && ::write(tty.get(), "\a", 1) != 1) {
    }
    return true;
}

} // namespace dn::platform
