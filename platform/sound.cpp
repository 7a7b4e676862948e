#include "platform/sound.h"

#include "platform/sound_system.h"

#include <mutex>
#include <utility>

namespace dn::platform {

namespace {
std::mutex g_mutex;
ToneSink g_sink;
} // namespace

int toneMillis(int ticks) {
    return ticks * 1000 / 18;
}

bool TONE(int frequency, int ticks) {
    if (frequency < 37 || frequency > 32767 || ticks < 0)
        return false;
    ToneSink sink;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        sink = g_sink;
    }
    if (sink) {
        sink(frequency, toneMillis(ticks));
        return true;
    }
    return systemTone(frequency, toneMillis(ticks));
}

void setToneSink(ToneSink sink) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_sink = std::move(sink);
}

} // namespace dn::platform
