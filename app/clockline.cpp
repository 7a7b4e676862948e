#include "app/clockline.h"

#include "app/panel.h"
#include "common/util/calendar.h"
#include "common/util/clock.h"
#include "toolkit/dialog.h"

#include <algorithm>

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
    const std::string text = clockText(now.date, clock::timeText(now));
    const int row = clockRow(panel);
    const int col = clockColumn(panel, text);
    panel.Say(row, col, text);
    if (ISFEST(now.date, false))
        panel.Say(row, col, text.substr(0, 4), kHolidayWeekday);
}

} // namespace dn::app
