#pragma once

// A fresh data folder with the deadline table and its index, the configuration
// variables with their defaults, a fixed clock and a scripted message seam; and
// helpers that run the panel under a dialog driver.

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
#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "util/temp_folder.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

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
        home_ = fs::current_path();
        fs::current_path(folder_.path());
        ASSERT_TRUE(dn::app::ensureTable(dn::schema::kDeadlines, dn::schema::deadlineFields()));
        ASSERT_TRUE(dn::app::ensureIndex(dn::schema::kDeadlines, dn::schema::kDeadlineKey,
                                         dn::app::deadlineKey()));
        dn::config::variables().clear();
        dn::app::createConfigVariables();
        dn::clock::setFixed(kToday, 10 * 3600 * 1000);
        dn::app::lastLampScan().reset();
    }
    void TearDown() override {
        dn::data::CLOSEALL();
        dn::platform::clearFaultHooks();
        dn::clock::useSystem();
        fs::current_path(home_);
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

    TempFolder folder_;
    dn::test::ScriptedMessages messages_;
    fs::path home_;
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

} // namespace paneltest
