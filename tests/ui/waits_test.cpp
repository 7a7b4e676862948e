// Waiting inside application code while window events keep running.

#include "common/ui/waits.h"

#include "tests/support/gui.h"
#include "tests/ui/uitest.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace dn::test {
namespace {

TEST(Waits, SysWaitRunsEventsWhileItWaits) {
    guiApp();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    EXPECT_TRUE(ui::SYSWAIT(0.05));
    EXPECT_GT(ticks, 0);
    // A zero wait still lets events that are already due run.
    bool posted = false;
    QTimer::singleShot(0, [&] { posted = true; });
    EXPECT_TRUE(ui::SYSWAIT(0));
    EXPECT_TRUE(posted);
}

TEST(Waits, StopUntilReturnsWhenANonModalDialogHasClosed) {
    PlainDialog p;
    TDialog::ActivateOptions o;
    o.modal = false;
    p.dlg->Activate(o);
    // Something else closes it later, from the event loop.
    QTimer::singleShot(20, [&] { p.dlg->End(0); });
    ui::STOPUNTIL([&] { return !p.dlg->IsActive(); });
    EXPECT_FALSE(p.dlg->IsActive());
    // A condition that holds already returns at once.
    int asked = 0;
    ui::STOPUNTIL([&] { return ++asked > 0; });
    EXPECT_EQ(asked, 1);
}

} // namespace
} // namespace dn::test
