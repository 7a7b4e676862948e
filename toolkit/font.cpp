#include "toolkit/font.h"

#include "toolkit/text.h"
#include "toolkit/units.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace dn {

TFont::TFont(std::string face, int width, int height, bool bold, bool italic, bool underline,
             bool strikeOut, const FontDevice* device)
    : cFaceName(std::move(face)), nWidth(width), nHeight(height), lBold(bold), lItalic(italic),
      lUnderline(underline), lStrikeOut(strikeOut), oDevice(device) {}

namespace {

void applyStyle(QFont& f, const TFont& t) {
    f.setItalic(t.lItalic);
    f.setUnderline(t.lUnderline);
    f.setStrikeOut(t.lStrikeOut);
}

// Stretches the face so that its average character is `width` pixels wide.
void applyWidth(QFont& f, double width) {
    if (width <= 0)
        return;
    const double avg = QFontMetricsF(f).averageCharWidth();
    if (avg > 0)
        f.setStretch(std::clamp(static_cast<int>(std::lround(100.0 * width / avg)), 1, 4000));
}

} // namespace

QFont TFont::hFont() const {
    if (oDevice)
        return fontFor(*oDevice);
    QFont f = tk::pixelFont(tk::toQt(cFaceName), nHeight, lBold);
    applyStyle(f, *this);
    applyWidth(f, std::abs(nWidth));
    return f;
}

QFont TFont::fontFor(const FontDevice& device) const {
    const double scale = device.faceScale(cFaceName);
    const double h = (nHeight == 0 ? 8 : std::abs(nHeight)) * device.dpiY() / 72.0 * scale;
    QFont f = tk::pixelFont(
        tk::toQt(cFaceName),
        nHeight > 0 ? static_cast<int>(std::lround(h)) : -static_cast<int>(std::lround(h)), lBold);
    applyStyle(f, *this);
    applyWidth(f, std::abs(nWidth) * device.dpiX() / 72.0 * scale);
    return f;
}

} // namespace dn
