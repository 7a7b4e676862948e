#pragma once

// A fresh data folder (the working directory) with the deadline table and its
// index, the configuration variables with their defaults, the clock fixed at
// kToday 10:00 and a scripted message seam; and helpers that run the panel under a
// dialog driver.

#include "app/leds.h"
#include "app/panel.h"
#include "app/settings.h"
#include "app/tables.h"
#include "common/config/variables.h"
#include "common/data/guard.h"
#include "common/data/indexes.h"
#include "common/data/records.h"
#include "common/data/tables.h"
#include "common/data/workspace.h"
#include "common/schema/tables.h"
#include "common/util/clock.h"
#include "platform/file.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "tests/support/temp_folder.h"
#include "toolkit/widgets.h"

#include <QImage>
#include <QVariant>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace paneltest {

namespace fs = std::filesystem;
using dn::Date;

// Wednesday 23 April 2025, 10:00.
inline Date day(int y, int m, int d) {
    return Date::fromYmd(y, m, d);
}
inline const Date kToday = day(2025, 4, 23);

class PanelFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dn::test::guiApp();
        ASSERT_TRUE(dn::app::ensureTable(dn::schema::kDeadlines, dn::schema::deadlineFields()));
        ASSERT_TRUE(dn::app::ensureIndex(dn::schema::kDeadlines, dn::schema::kDeadlineKey,
                                         dn::app::deadlineKey()));
        dn::config::variables().clear();
        dn::app::createConfigVariables();
        dn::app::lastLampScan().reset();
    }
    void TearDown() override {
        dn::data::CLOSEALL();
        dn::platform::clearFaultHooks();
    }

    static void setName(int slot, const std::string& name) {
        char var[16];
        std::snprintf(var, sizeof var, "CFG_NM%02d", slot);
        dn::config::variables().set(var, dn::Value(name));
    }

    // Appends a deadline through the index; returns its record number. series: the
    // number of a generated series (blank when the deadline belongs to none).
    static uint32_t addDeadline(int slot, Date due, bool done, const std::string& time = "",
                                const std::string& text = "", const std::string& series = "") {
        using namespace dn::data;
        AreaGuard guard;
        guard.open(dn::schema::kDeadlines);
        ORDADD(dn::schema::kDeadlines);
        DBAPP();
        FIELDPUT("CODICE", dn::Value(dn::schema::slotCode(slot)));
        FIELDPUT("DATA", dn::Value(due));
        FIELDPUT("ORA", dn::Value(time));
        FIELDPUT("INCOMBENZA", dn::Value(text));
        FIELDPUT("EVASA", dn::Value(done));
        FIELDPUT("GENERAZIO", dn::Value(series));
        DBCOMMIT();
        const uint32_t recno = DBRECNO();
        DBUNLOCK();
        return recno;
    }

    // Runs DELTRANOTA under a hidden main window; the driver must hold a script
    // for every dialog that opens, the panel first among them.
    static void runPanel() {
        auto main = dn::TWindow::New(0, 0, 0, 0, "Deltranota");
        dn::app::DELTRANOTA(*main);
    }

    dn::test::TempFolder folder_;
    dn::test::InFolder in_{folder_.path()};
    dn::test::FixedClock clock_{kToday, 10 * 3600 * 1000};
    dn::test::ScriptedMessages messages_;
};

// The bitmap that slot i's lamp (control 2i of the panel) shows.
inline std::string lamp(dn::TDialog& panel, int slot) {
    auto* b = dynamic_cast<dn::TBtnBmp*>(panel.aControls.at(static_cast<size_t>(2 * slot - 1)));
    return b ? b->cBitmap() : "?";
}

// Pixels of img inside r that are strongly red (the holiday weekday), and dark
// ones (ordinary text).
inline int countPixels(const QImage& img, const QRect& r, bool (*match)(const QColor&)) {
    int count = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            count += match(img.pixelColor(x, y)) ? 1 : 0;
    return count;
}
inline int redPixels(const QImage& img, const QRect& r) {
    return countPixels(
        img, r, [](const QColor& c) { return c.red() >= 110 && c.green() < 60 && c.blue() < 60; });
}
inline int darkPixels(const QImage& img, const QRect& r) {
    return countPixels(
        img, r, [](const QColor& c) { return c.red() < 90 && c.green() < 90 && c.blue() < 90; });
}

// The clock line as the panel drew it in img (a grab of its client area), found
// from the pixels alone: the box of the ink between the row line under the last of
// the n shown slots and the next one, and its words (weekday, date, time), split at
// the two widest gaps between columns of ink.
struct DrawnText {
    QRect box;
    std::vector<QRect> words;
};
inline DrawnText drawnClock(dn::TDialog& panel, int n, const QImage& img) {
    std::vector<QRect> lines;
    for (QWidget* w : panel.hWnd()->findChildren<QWidget*>())
        if (w->property(dn::tk::kKindProperty).toString() == "line" && w->isVisible())
            lines.push_back(w->geometry());
    std::sort(lines.begin(), lines.end(),
              [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
    DrawnText out;
    if (static_cast<int>(lines.size()) < n)
        return out;
    const int top = lines[static_cast<size_t>(n - 1)].bottom() + 1;
    const int bottom = static_cast<int>(lines.size()) > n ? lines[static_cast<size_t>(n)].top() - 1
                                                          : img.height() - 1;
    // Ink: clearly darker than the light panel, or clearly red.
    auto ink = [&](int x, int y) {
        const QColor c = img.pixelColor(x, y);
        return qGray(c.rgb()) < 180 || c.red() - c.green() > 40;
    };
    // Columns of ink, then the runs of them.
    std::vector<QRect> runs;
    int lastInk = -2;
    for (int x = 0; x < img.width(); ++x) {
        QRect column;
        for (int y = top; y <= bottom; ++y)
            if (ink(x, y))
                column |= QRect(x, y, 1, 1);
        if (column.isNull())
            continue;
        if (x == lastInk + 1)
            runs.back() |= column;
        else
            runs.push_back(column);
        lastInk = x;
        out.box |= column;
    }
    // The two widest gaps separate the three words.
    std::vector<size_t> gaps; // gap i lies after run i
    for (size_t i = 0; i + 1 < runs.size(); ++i)
        gaps.push_back(i);
    std::stable_sort(gaps.begin(), gaps.end(), [&](size_t a, size_t b) {
        return runs[a + 1].left() - runs[a].right() > runs[b + 1].left() - runs[b].right();
    });
    gaps.resize(std::min<size_t>(gaps.size(), 2));
    std::sort(gaps.begin(), gaps.end());
    size_t g = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (i == 0 || (g < gaps.size() && gaps[g] == i - 1)) {
            out.words.push_back(runs[i]);
            if (i > 0)
                ++g;
        } else {
            out.words.back() |= runs[i];
        }
    }
    return out;
}

} // namespace paneltest
