#include "toolkit/bitmaps.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <memory>

namespace dn::tk {

namespace {

// One renderer per drawing, loaded on first use; nullptr remembered for missing ones.
QSvgRenderer* renderer(const QString& name) {
    static QHash<QString, std::shared_ptr<QSvgRenderer>> cache;
    const QString key = name.trimmed().toUpper();
    if (key.isEmpty())
        return nullptr;
    auto it = cache.find(key);
    if (it == cache.end()) {
        auto r = std::make_shared<QSvgRenderer>(QStringLiteral(":/bitmaps/%1.svg").arg(key));
        it = cache.insert(key, r->isValid() ? r : nullptr);
    }
    return it->get();
}

QRectF fitted(const QRectF& box, QSizeF natural) {
    if (natural.isEmpty())
        return box;
    const QSizeF s = natural.scaled(box.size(), Qt::KeepAspectRatio);
    return QRectF(box.x() + (box.width() - s.width()) / 2,
                  box.y() + (box.height() - s.height()) / 2, s.width(), s.height());
}

} // namespace

bool hasBitmap(const QString& name) {
    return renderer(name) != nullptr;
}

QSize bitmapSize(const QString& name) {
    QSvgRenderer* r = renderer(name);
    return r ? r->defaultSize() : QSize();
}

void paintBitmap(QPainter& p, const QRectF& rect, const QString& name) {
    QSvgRenderer* r = renderer(name);
    if (!r)
        return;
    r->render(&p, fitted(rect, r->viewBoxF().size()));
}

QPixmap bitmapPixmap(const QString& name, QSize size, qreal dpr) {
    QSvgRenderer* r = renderer(name);
    if (!r || size.isEmpty())
        return QPixmap();
    QPixmap pm(size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    r->render(&p, fitted(QRectF(QPointF(0, 0), QSizeF(size)), r->viewBoxF().size()));
    return pm;
}

QIcon bitmapIcon(const QString& name) {
    QIcon icon;
    if (!hasBitmap(name))
        return icon;
    for (int s : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(bitmapPixmap(name, QSize(s, s)));
    return icon;
}

} // namespace dn::tk
