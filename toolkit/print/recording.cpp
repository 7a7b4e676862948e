#include "toolkit/print/recording.h"

#include <QPainter>

namespace dn::print {

std::vector<const DrawOp*> Page::texts() const {
    std::vector<const DrawOp*> out;
    for (const auto& op : ops)
        if (op.kind == DrawOp::Kind::Text)
            out.push_back(&op);
    return out;
}

void mapToDevice(QPainter& p, const Recording& rec, double dpiX, double dpiY) {
    p.scale(dpiX / rec.dpiX, dpiY / rec.dpiY);
}

namespace {

void paintText(QPainter& p, const DrawOp& op) {
    const double top = op.row;
    if (op.clipped()) {
        p.save();
        p.setClipRect(
            QRectF(op.clipLeft, top - op.textHeight, op.clipRight - op.clipLeft, op.textHeight * 3),
            Qt::IntersectClip);
    }
    if (op.opaque)
        p.fillRect(QRectF(op.x, top, op.textWidth, op.textHeight), tk::toQColor(op.back));
    p.setFont(op.font);
    p.setPen(tk::toQColor(op.color));
    p.drawText(QPointF(op.x, op.baseline), tk::toQt(op.text));
    if (op.clipped())
        p.restore();
}

void paintLine(QPainter& p, const DrawOp& op) {
    QPen pen(tk::toQColor(op.color));
    pen.setWidthF(op.pen);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.drawLine(QPointF(op.x, op.row), QPointF(op.x2, op.row2));
}

void paintRect(QPainter& p, const DrawOp& op) {
    const QRectF r(QPointF(op.x, op.row), QPointF(op.x2, op.row2));
    if (op.opaque)
        p.fillRect(r, tk::toQColor(op.back));
    QPen pen(tk::toQColor(op.color));
    pen.setWidthF(op.pen);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

} // namespace

void paintPage(QPainter& p, const Recording& rec, int n) {
    if (n < 0 || n >= static_cast<int>(rec.pages.size()))
        return;
    p.save();
    p.translate(rec.printable.topLeft());
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::Antialiasing);
    for (const auto& op : rec.pages[static_cast<size_t>(n)].ops) {
        switch (op.kind) {
        case DrawOp::Kind::Text:
            paintText(p, op);
            break;
        case DrawOp::Kind::Line:
            paintLine(p, op);
            break;
        case DrawOp::Kind::Rect:
            paintRect(p, op);
            break;
        }
    }
    p.restore();
}

} // namespace dn::print
