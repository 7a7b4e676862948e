#include "common/ui/painting.h"

#include "toolkit/bitmaps.h"
#include "toolkit/toolkit.h"
#include "toolkit/tray.h"
#include "toolkit/window.h"

#include <QLinearGradient>
#include <QPainter>
#include <QToolBar>

#include <algorithm>
#include <cmath>

namespace dn::ui {

namespace {

std::function<bool()>& makerCheck() {
    static std::function<bool()> check;
    return check;
}

QColor colorOf(tk::Color c) {
    return tk::toQColor(c);
}

} // namespace

tk::Color GETSYSBGCOLOR(int index) {
    if (makerCheck() && makerCheck()())
        return tk::rgb(255, 255, 255);
    return tk::getSysColor(index);
}

void setMakerWorkstationCheck(std::function<bool()> check) {
    makerCheck() = std::move(check);
}

std::string GETSYSFONT() {
    return "Segoe UI";
}

void FILLRECTEX(QPainter& dc, const QRect& rect, const Fill& fill) {
    if (const auto* brush = std::get_if<QBrush>(&fill)) {
        dc.fillRect(rect, *brush);
    } else if (const auto* number = std::get_if<long long>(&fill)) {
        long long n = *number < 0 ? -*number : *number;
        if (n <= 0xFFFFFF) {
            dc.fillRect(rect, colorOf(static_cast<tk::Color>(n)));
        } else {
            QColor c = colorOf(static_cast<tk::Color>(n & 0xFFFFFF));
            c.setAlpha(static_cast<int>((n >> 24) & 0xFF));
            dc.save();
            dc.setRenderHint(QPainter::Antialiasing);
            dc.setPen(Qt::NoPen);
            dc.setBrush(c);
            dc.drawRect(QRectF(rect));
            dc.restore();
        }
    } else if (std::holds_alternative<GradientBands>(fill)) {
        GRADIENTFILL(dc, rect.top(), rect.left(), rect.top() + rect.height(),
                     rect.left() + rect.width(), fill);
    }
    // std::monostate: the hollow brush paints nothing.
}

void GRADIENTFILL(QPainter& dc, int top, int left, int bottom, int right, const Fill& fill,
                  bool vertical) {
    const auto* list = std::get_if<GradientBands>(&fill);
    if (!list || list->bands.empty()) {
        if (!list)
            FILLRECTEX(dc, QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), fill);
        return;
    }
    const bool down = list->vertical.value_or(vertical);
    const int start = down ? top : left;
    const int end = down ? bottom : right;
    const int total = end - start;
    if (total <= 0 || right <= left || bottom <= top)
        return;
    int at = start;
    for (size_t i = 0; i < list->bands.size() && at < end; ++i) {
        const GradientBand& b = list->bands[i];
        const bool last = i + 1 == list->bands.size();
        int size = static_cast<int>(std::lround(b.fraction * total));
        int stop = last ? end : std::min(end, at + std::max(0, size));
        if (stop <= at)
            continue;
        const QRect r = down ? QRect(left, at, right - left, stop - at)
                             : QRect(at, top, stop - at, bottom - top);
        QLinearGradient g =
            down ? QLinearGradient(0, at, 0, stop) : QLinearGradient(at, 0, stop, 0);
        g.setColorAt(0, colorOf(b.from));
        g.setColorAt(1, colorOf(b.to));
        dc.fillRect(r, g);
        at = stop;
    }
}

QRect backgroundArea(const TWindow& window) {
    QWidget* w = window.hWnd();
    if (!w)
        return {};
    QRect area = w->rect();
    for (QToolBar* bar : w->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly))
        if (bar->isVisible() && bar->y() <= area.top() + 1)
            area.setTop(bar->geometry().bottom() + 1);
    for (TWindow* c : window.aControls)
        if (auto* msg = dynamic_cast<TMsgBar*>(c); msg && msg->hWnd() && msg->IsVisible())
            area.setBottom(std::min(area.bottom(), msg->hWnd()->geometry().top() - 1));
    return area;
}

void PAINTBGBMP(QPainter& dc, const TWindow& window, const std::string& bitmap) {
    const QRect area = backgroundArea(window);
    if (area.isEmpty())
        return;
    dc.save();
    dc.setRenderHint(QPainter::Antialiasing);
    dc.setClipRect(area);
    tk::paintBitmap(dc, QRectF(area), tk::toQt(bitmap));
    dc.restore();
}

} // namespace dn::ui
