#include "toolkit/units.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace dn::tk {

namespace {

// Rounds a * b / c to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    const long long q = p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c);
    return static_cast<int>(q);
}

} // namespace

QString mapFace(const QString& face) {
    const QString f = face.trimmed().toLower();
    if (f == "ms sans serif" || f == "microsoft sans serif" || f == "arial" || f == "segoe ui" ||
        f == "helvetica" || f == "tahoma" || f == "ms shell dlg" || f == "ms shell dlg 2")
        return QStringLiteral("Liberation Sans");
    if (f == "courier new" || f == "courier")
        return QStringLiteral("Liberation Mono");
    if (f == "times new roman" || f == "times")
        return QStringLiteral("Liberation Serif");
    return face;
}

int pointsToPixels(double points) {
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

QFont screenFont(const QString& face, double points, bool bold) {
    return pixelFont(face, -pointsToPixels(points), bold);
}

// "MS Sans Serif" has no scalable twin; the sans that stands in for it runs about
// 8 % wider at the same pixel size, which would cut the texts that the templates
// fit to it. Narrowing it keeps their widths.
namespace {
bool isMsSansSerif(const QString& face) {
    const QString f = face.trimmed().toLower();
    return f == "ms sans serif" || f == "microsoft sans serif" || f == "ms shell dlg" ||
           f == "ms shell dlg 2";
}
} // namespace

QFont pixelFont(const QString& face, int height, bool bold) {
    QFont f(mapFace(face));
    f.setStyleHint(QFont::SansSerif);
    f.setBold(bold);
    if (isMsSansSerif(face))
        f.setStretch(92);
    if (height < 0) {
        f.setPixelSize(-height);
    } else if (height > 0) {
        // A cell height: find the em size whose ascent + descent gives it.
        f.setPixelSize(height);
        const int cell = QFontMetrics(f).height();
        if (cell > height)
            f.setPixelSize(std::max(1, mulDiv(height, height, cell)));
    } else {
        f.setPixelSize(pointsToPixels(8));
    }
    return f;
}

DialogUnits measureBaseUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int alpha = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits((alpha / 26 + 1) / 2, fm.height());
}

DialogUnits DialogUnits::forFont(const QString& face, double points, bool bold) {
    if (isMsSansSerif(face) && points == 8 && !bold)
        return DialogUnits(6, 13);
    return measureBaseUnits(screenFont(face, points, bold));
}

int DialogUnits::x(int units) const {
    return mulDiv(units, baseX_, 4);
}
int DialogUnits::y(int units) const {
    return mulDiv(units, baseY_, 8);
}

QRect DialogUnits::rect(int ux, int uy, int uw, int uh) const {
    const int left = x(ux);
    const int top = y(uy);
    return QRect(left, top, x(ux + uw) - left, y(uy + uh) - top);
}

} // namespace dn::tk
