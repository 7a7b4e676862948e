#include "common/data/records.h"

#include "common/data/wait.h"
#include "common/data/workspace.h"
#include "common/disk/checks.h"
#include "common/util/messages.h"
#include "platform/drive.h"
#include "platform/sound.h"

#include <thread>

namespace dn::data {

void DBLOCK(bool record) {
    WorkArea& a = area();
    dbf::Table& t = a.table();
    if (!a.used())
        throw dbf::TableError("DBLOCK: no table open in work area " + std::to_string(a.number()));
    const uint32_t recno = a.recno();
    retryUntil([&] { return record ? t.lockRecord(recno) : t.lockFile(); },
               messages().currentWait());
}

void DBAPP(bool keepTableLock) {
    const std::optional<std::string> remembered = messages().currentWait();
    WorkArea& a = area();
    DBLOCK(false);
    auto appended = [&] {
        a.goTo(a.table().recno());
        if (!keepTableLock)
            DBLOCK(true);
    };
    // The append cannot fail for another instance's lock while this one holds the
    // table lock; the loop covers systems that must release it to narrow it.
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < kQuietWait) {
        if (a.table().append(keepTableLock)) {
            appended();
            return;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
    WaitMessage busy(remembered, kBusyText);
    while (!a.table().append(keepTableLock))
        std::this_thread::sleep_for(kRetryPause);
    appended();
}

void DBDEL(bool commit) {
    WorkArea& a = area();
    if (!a.used() || a.eof())
        return;
    DBLOCK(false);
    const uint32_t current = a.recno();
    a.skip(1);
    const uint32_t next = a.eof() ? 0 : a.recno();
    // Back by number, not by a step back: the record deleted is the one that was
    // current, even when it lies outside the order or its scope.
    a.goTo(current);
    a.table().setDeleted(true);
    if (commit) {
        a.table().commit();
        a.skip(0);
    }
    a.goTo(next);
    a.table().unlockAll();
}

void DBRECALL() {
    WorkArea& a = area();
    if (a.used() && !a.eof())
        a.table().setDeleted(false);
}

uint32_t DBDELETEFOR(const CondBlock& cond) {
    return area().deleteWhere(cond);
}

void DBPACK() {
    WorkArea& a = area();
    if (!a.used())
        throw dbf::TableError("DBPACK: no table open in work area " + std::to_string(a.number()));
    a.table().pack();
    a.goTop();
}

bool DELREC() {
    WorkArea& a = area();
    if (!a.used() || a.eof()) {
        platform::TONE(440, 1);
        return false;
    }
    if (messages().ask(2, "Confermi la cancellazione?", "Attenzione") != 1)
        return false;
    if (disk::ISPROTECTED(platform::currentDrive()))
        return false;
    DBDEL();
    return true;
}

} // namespace dn::data
