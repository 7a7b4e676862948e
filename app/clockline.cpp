#include "app/clockline.h"

#include "app/panel.h"
#include "common/util/calendar.h"
#include "common/util/clock.h"
#include "toolkit/dialog.h"

#include <algorithm>
#include <cstdio>

namespace dn::app {

std::string clockText(Date day, const std::string& time) {
    return " " + CDAY(day).substr(0, 3) + " " + day.toShortText() + " " + time + " ";
}

int clockRow(const TDialog& panel) {
    return panelOuterHeight(panel) - 46 - 10;
}

int clockColumn(const TDialog& panel, const std::string& text) {
    return std::max(0, (panel.nWidth() - panel.GetWidth(text)) / 2);
}

void SHOWTIME(TDialog& panel) {
    const clock::Moment now = clock::now();
    const int secs = now.msecs / 1000;
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", secs / 3600, secs / 60 % 60, secs % 60);
    const std::string text = clockText(now.date, time);
    const int row = clockRow(panel);
    const int col = clockColumn(panel, text);
    panel.Say(row, col, text);
    if (ISFEST(now.date, false))
        panel.Say(row, col, text.substr(0, 4), kHolidayWeekday);
}

} // namespace dn::app
