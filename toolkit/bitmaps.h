#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace dn::tk {

// Bitmaps and icons are drawings (resources/bitmaps/NAME.svg) rendered at the
// size they are shown, so they stay crisp at any scale. Names are case-insensitive.

bool hasBitmap(const QString& name);
// Draws the bitmap into rect, keeping its proportions and centred; nothing when
// there is no such bitmap.
void paintBitmap(QPainter& p, const QRectF& rect, const QString& name);
// The bitmap rendered to a pixmap of size (logical pixels) at the given device
// pixel ratio; a null pixmap when there is no such bitmap.
QPixmap bitmapPixmap(const QString& name, QSize size, qreal dpr = 1.0);
// An icon holding the bitmap at the usual icon sizes.
QIcon bitmapIcon(const QString& name);
// Natural size of the drawing (its view box); empty when missing.
QSize bitmapSize(const QString& name);

} // namespace dn::tk
