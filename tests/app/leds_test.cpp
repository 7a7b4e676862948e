#include "app/tables.h"
#include "panel_fixture.h"
#include "platform/lock_layout.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "toolkit/timer.h"

#include <QDateTime>

#include <chrono>

using namespace paneltest;
using dn::TDialog;
namespace t = dn::test;

namespace {

// Counts the opens of the deadline table file: every open that joins the sharing
// convention asks for the share lock, which the fault hook sees.
class OpenCounter {
public:
    OpenCounter() {
        dn::platform::FaultHooks hooks;
        hooks.refuseLock = [this](const std::string& path, uint64_t offset, uint64_t) {
            if (offset == dn::platform::kShareLockOffset && path.size() >= 12 &&
                path.compare(path.size() - 12, 12, "SCADENZE.DBF") == 0)
                ++opens;
            return false;
        };
        dn::platform::setFaultHooks(hooks);
    }
    ~OpenCounter() { dn::platform::clearFaultHooks(); }
    int opens = 0;
};

// Runs the worker that appends a deadline as another computer would.
int runWorker(const std::string& folder, int slot, Date due, bool done) {
    dn::test::ChildProcess worker(DN_PANEL_WORKER,
                                  {folder, std::to_string(slot), due.dtos(), done ? "1" : "0"});
    return worker.wait();
}

// The lamp timer's tick.
void tick() {
    auto* run = dn::app::runningPanel();
    ASSERT_NE(run, nullptr);
    run->lampTimer->bAction();
}

} // namespace

TEST_F(PanelFixture, LampLitByAPastDeadlineNotDoneOnly) {
    setName(1, "Anna");
    setName(2, "Bruno");
    setName(3, "Carlo");
    setName(10, "Zeno");
    addDeadline(1, kToday.addDays(-1), false); // lit
    addDeadline(1, kToday, true);
    addDeadline(2, kToday.addDays(1), false); // due tomorrow: dark
    addDeadline(2, kToday.addDays(-3), true);
    addDeadline(10, kToday, false); // slot 10 lit, slot 1's code is no prefix of it
    addDeadline(3, kToday.addDays(-400), true);
    // Another table open and selected in area 1 stays so.
    dn::data::DBSELECTAREA(1);
    dn::data::DBOPEN(false, "", "SCADENZE", "MINE");
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [](TDialog& d) {
        EXPECT_EQ(lamp(d, 1), "ACCESO");
        EXPECT_EQ(lamp(d, 2), "SPENTO");
        EXPECT_EQ(lamp(d, 3), "SPENTO");
        for (int i = 4; i <= 9; ++i)
            EXPECT_EQ(lamp(d, i), "SPENTO") << i;
        EXPECT_EQ(lamp(d, 10), "ACCESO");
        t::closeBox(d);
    });
    runPanel();
    EXPECT_EQ(dn::data::SELECT(), 1);
    EXPECT_EQ(dn::data::ALIAS(), "MINE");
    EXPECT_EQ(dn::data::areaOf("LEDS"), nullptr);
    ASSERT_TRUE(dn::app::lastLampScan());
    EXPECT_EQ(dn::app::lastLampScan()->date, kToday);
    EXPECT_EQ(dn::app::lastLampScan()->time, "10:00:00");
}

TEST_F(PanelFixture, TomorrowsDeadlineLightsTheLampOnTheNewDay) {
    setName(1, "Anna");
    addDeadline(1, kToday.addDays(1), false);
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [&](TDialog& d) {
        EXPECT_EQ(lamp(d, 1), "SPENTO");
        clock_.set(kToday.addDays(1), 0);
        tick();
        EXPECT_EQ(lamp(d, 1), "ACCESO");
        t::closeBox(d);
    });
    runPanel();
}

TEST_F(PanelFixture, WriteByAnotherProcessReachesTheLampAtTheNextTick) {
    setName(1, "Anna");
    // The clock runs at the real time here, so that the table file's times and the
    // scan's stamp compare as they do in use; the table was written a minute ago.
    const QDateTime now = QDateTime::currentDateTime();
    const Date today = day(now.date().year(), now.date().month(), now.date().day());
    clock_.set(today, now.time().msecsSinceStartOfDay());
    const fs::path table = fs::path(folder_.path()) / "SCADENZE.DBF";
    fs::last_write_time(table, fs::last_write_time(table) - std::chrono::minutes(1));

    OpenCounter counter;
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [&](TDialog& d) {
        EXPECT_EQ(counter.opens, 1); // the forced scan when the panel showed
        EXPECT_EQ(lamp(d, 1), "SPENTO");
        tick();
        tick();
        EXPECT_EQ(counter.opens, 1) << "no write, no open";
        ASSERT_EQ(runWorker(folder_.path(), 1, today.addDays(-1), false), 0);
        EXPECT_EQ(lamp(d, 1), "SPENTO");
        tick();
        EXPECT_EQ(counter.opens, 2);
        EXPECT_EQ(lamp(d, 1), "ACCESO");
        EXPECT_TRUE(dn::app::runningPanel()->lampTimer->lActive());
        t::closeBox(d);
    });
    runPanel();
}

TEST_F(PanelFixture, FailedScanKeepsLampsAndStamp) {
    setName(1, "Anna");
    addDeadline(1, kToday, false);
    t::DialogDriver drive;
    drive.on("DELTRANOTA", [&](TDialog& d) {
        ASSERT_EQ(lamp(d, 1), "ACCESO");
        const auto stamp = *dn::app::lastLampScan();
        // A damaged index and a new day: the scan is due and fails.
        t::writeFile(folder_ / "SCADENZE.NTX", "rotto");
        clock_.set(kToday.addDays(1), 0);
        tick();
        EXPECT_EQ(messages_.asked.size(), 1u);
        EXPECT_EQ(lamp(d, 1), "ACCESO");
        EXPECT_EQ(dn::app::lastLampScan()->date, stamp.date);
        EXPECT_EQ(dn::app::lastLampScan()->time, stamp.time);
        EXPECT_TRUE(dn::app::runningPanel()->lampTimer->lActive());
        EXPECT_EQ(dn::data::areaOf("LEDS"), nullptr);
        t::closeBox(d);
    });
    runPanel();
}
