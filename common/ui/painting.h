#pragma once

// Colours, fonts and painting helpers for dialogs and windows.

#include "toolkit/text.h"
#include "toolkit/toolkit.h"

#include <QBrush>
#include <QRect>

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class QPainter;

namespace dn {
class TWindow;
}

namespace dn::ui {

// The background of browses and edit fields for a system colour index: the
// system's colour, or white on the maker's own workstations (see
// setMakerWorkstationCheck).
tk::Color GETSYSBGCOLOR(int index = tk::kColorWindow);
// Tells GETSYSBGCOLOR how to recognise the maker's workstation (the marker file
// of the start-up lock code); without a check no workstation is the maker's.
void setMakerWorkstationCheck(std::function<bool()> check);

// The interface font face: "Segoe UI".
std::string GETSYSFONT();

// One band of a gradient: its share of the whole area and its two colours.
struct GradientBand {
    double fraction = 1.0;
    tk::Color from = 0;
    tk::Color to = 0;
};
// A band list; `vertical`, when given, overrides the direction of the call.
struct GradientBands {
    std::vector<GradientBand> bands;
    std::optional<bool> vertical;
};

// What FILLRECTEX fills with:
// - nothing (std::monostate): the hollow brush, nothing is painted;
// - a brush;
// - a colour number: 24-bit 0x00BBGGRR (a negative number is negated first)
//   painted solid; a larger number carries an alpha byte above the colour
//   (0xAABBGGRR) and is painted blended and anti-aliased;
// - a band list: GRADIENTFILL.
using Fill = std::variant<std::monostate, QBrush, long long, GradientBands>;

void FILLRECTEX(QPainter& dc, const QRect& rect, const Fill& fill);

// Fills the area (top, left, bottom, right; bottom and right excluded) band after
// band, top to bottom (vertical) or left to right, each band as tall or wide as its
// fraction of the whole area and painted with a two-colour gradient in the same
// direction; the last band reaches the end, and bands past the end are not
// painted. A fill that is not a non-empty band list fills the area plainly
// through FILLRECTEX.
void GRADIENTFILL(QPainter& dc, int top, int left, int bottom, int right, const Fill& fill,
                  bool vertical = true);

// The area of window's client area between its button bar (a tool bar at the top,
// when present) and its message bar (TMsgBar, when present).
QRect backgroundArea(const TWindow& window);
// Paints the named bitmap over that area (centred, keeping its proportions).
void PAINTBGBMP(QPainter& dc, const TWindow& window, const std::string& bitmap);

} // namespace dn::ui
