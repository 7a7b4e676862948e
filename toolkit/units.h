#pragma once

#include <QFont>
#include <QRect>
#include <QString>

namespace dn::tk {

// The face this machine has for a face the program names: "MS Sans Serif",
// "Arial", "Segoe UI" and "Helvetica" become Liberation Sans, "Courier New" and
// "Courier" Liberation Mono, "Times New Roman" Liberation Serif. Other faces pass
// through to the font system's own matching.
QString mapFace(const QString& face);

// Pixels of a size in points on the 96-dpi screen the templates were drawn for,
// rounded to the nearest pixel (8 pt is 11 px, 9 pt 12 px, 11 pt 15 px).
int pointsToPixels(double points);

// A screen font by the program's face name, sized in points.
QFont screenFont(const QString& face, double points, bool bold = false);
// A screen font by the program's face name and a pixel height: negative is the
// character height (the em size), positive the cell height (ascent + descent).
QFont pixelFont(const QString& face, int height, bool bold = false);

// Dialog units to pixels. One horizontal unit is a quarter of the font's average
// character width, one vertical unit an eighth of its height. Rectangles convert
// edge by edge, so controls that touch in units touch in pixels.
class DialogUnits {
public:
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}
    // The base units of a template font: 6 x 13 for 8-point "MS Sans Serif";
    // for any other face and size the average width of the letters A-Z a-z and
    // the cell height of the mapped font, which is how Windows defines the dialog
    // base units of a font.
    static DialogUnits forFont(const QString& face, double points, bool bold = false);

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }
    int x(int units) const;
    int y(int units) const;
    QRect rect(int x, int y, int width, int height) const;

private:
    int baseX_;
    int baseY_;
};

// Base units measured on a font, without the fixed 8-point "MS Sans Serif" values.
DialogUnits measureBaseUnits(const QFont& font);

} // namespace dn::tk
