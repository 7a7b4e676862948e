#include "app/leds.h"

#include "app/panel.h"
#include "common/data/errors.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/util/clock.h"
#include "platform/find.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/timer.h"
#include "toolkit/toolkit.h"

namespace dn::app {

namespace {

// Modification date and time ("HH:MM:SS", local) of the deadline table file;
// nothing when the file is not there. One status call while the file keeps its name.
std::optional<LampScan> tableWritten() {
    const auto written = platform::lastWriteTime(std::string(schema::kDeadlines) + ".DBF");
    if (!written)
        return std::nullopt;
    const clock::Moment m = clock::localMoment(platform::fileTimeToUnixSeconds(*written));
    return LampScan{m.date, clock::timeText(m)};
}

// Whether the table may have changed since the last scan (or the day is new).
bool scanDue() {
    const auto& last = lastLampScan();
    if (!last || last->date != clock::today())
        return true;
    const auto written = tableWritten();
    if (!written)
        return false;
    if (last->date > written->date)
        return false;
    if (last->date == written->date && last->time > written->time)
        return false;
    return true;
}

} // namespace

std::optional<LampScan>& lastLampScan() {
    static std::optional<LampScan> scan;
    return scan;
}

bool slotHasPending(int slot) {
    const std::string code = schema::slotCode(slot);
    const Date today = clock::today();
    if (!data::DBSEEK(Value(code)))
        return false;
    while (!data::DBEOF()) {
        const Value owner = data::FIELDGET("CODICE");
        if (!owner.isText() || owner.text() != code)
            break;
        const Value due = data::FIELDGET("DATA");
        if (!due.isDate() || due.date() > today)
            break;
        const Value done = data::FIELDGET("EVASA");
        if (!done.isLogical() || !done.logical())
            return true;
        tk::processEvents();
        data::DBSKIP(1);
    }
    return false;
}

std::optional<Lamps> scanLamps(int n) {
    Lamps lit{};
    data::AreaGuard guard;
    const bool scanned = data::protect([&] {
        guard.open(schema::kDeadlines, "LEDS");
        data::ORDADD(schema::kDeadlines);
        for (int i = 1; i <= n && i <= kSlots; ++i)
            lit[static_cast<size_t>(i - 1)] = slotHasPending(i);
    });
    if (!scanned)
        return std::nullopt;
    return lit;
}

void LEDS(TDialog& panel, TTimer* timer, int n, bool forced) {
    if (!forced && !scanDue())
        return;
    if (timer)
        timer->DeActivate();
    // Lamps change only after a complete scan, so a failure leaves them as they were.
    if (const std::optional<Lamps> lit = scanLamps(n)) {
        for (int i = 1; i <= n && i <= kSlots; ++i) {
            const size_t pos = static_cast<size_t>(2 * i - 1);
            if (pos >= panel.aControls.size())
                break;
            if (auto* lamp = dynamic_cast<TBtnBmp*>(panel.aControls[pos]))
                lamp->SetBitmap((*lit)[static_cast<size_t>(i - 1)] ? "ACCESO" : "SPENTO");
        }
        lastLampScan() = LampScan{clock::today(), clock::timeText()};
    }
    if (timer)
        timer->Activate();
}

} // namespace dn::app
