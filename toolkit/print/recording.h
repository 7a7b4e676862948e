#pragma once

// What a print job draws, page by page, as a list of draw operations in the
// job's device units. The preview, the printer and the PDF writer all replay the
// same recording, so what the user sees is what gets printed and saved.

#include "toolkit/text.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>

#include <string>
#include <vector>

class QPainter;

namespace dn::print {

// Alignment of a text against its column and width (the numbers callers pass).
enum Align { AlignLeft = 0, AlignRight = 1, AlignCenter = 2 };

struct DrawOp {
    enum class Kind { Text, Line, Rect };
    Kind kind = Kind::Text;

    // Text: the position asked for (row = top of the text cell, col) with its width
    // and alignment, and where the text was placed (x, after alignment; the
    // baseline). Text is Windows-1252 and holds only what is drawn (a text clipped
    // to a column has lost the characters that start past its end).
    double row = 0, col = 0, width = 0;
    int align = AlignLeft;
    double x = 0, baseline = 0;
    // Advance width and cell height of the drawn text in device units.
    double textWidth = 0, textHeight = 0;
    std::string text;
    // The face the program asked for ("Courier New"), its size (the TFont's
    // height) and the font resolved for the device.
    std::string face;
    int height = 0;
    bool bold = false;
    QFont font;
    tk::Color color = 0;
    // Opaque background: the text cell is filled with back first.
    bool opaque = false;
    tk::Color back = 0xFFFFFF;
    // Clipping band [clipLeft, clipRight) along x; none when clipRight <= clipLeft.
    double clipLeft = 0, clipRight = 0;
    bool clipped() const { return clipRight > clipLeft; }

    // Line: from (x, row) to (x2, row2); Rect: the box (x, row)-(x2, row2), filled
    // with back when opaque. Pen width in device units.
    double x2 = 0, row2 = 0, pen = 1;
};

struct Page {
    std::vector<DrawOp> ops;
    // The texts of the page in drawing order (for tests and searching).
    std::vector<const DrawOp*> texts() const;
};

struct Recording {
    std::string docName;
    // The printer the job was laid out for; empty when it was laid out for the
    // default page of a machine without printers.
    std::string printerName;
    QPageSize pageSize{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    // Resolution in device units per inch.
    double dpiX = 600, dpiY = 600;
    // The sheet and its printable area, in device units from the sheet's top-left
    // corner. Every op is relative to the printable area's top-left corner.
    QSizeF paper;
    QRectF printable;
    // The preview offers no printing (the job was opened with no-print).
    bool noPrint = false;
    std::vector<Page> pages;
};

// Draws page n (0-based) of rec. The painter's coordinates must be device units of
// the recording with the origin at the sheet's top-left corner; the caller scales
// the painter to its own device. Nothing happens for a page that does not exist.
void paintPage(QPainter& p, const Recording& rec, int n);

// Scales and translates p so that the recording's device units map onto a device
// of resolution dpiX x dpiY whose origin is the sheet's top-left corner.
void mapToDevice(QPainter& p, const Recording& rec, double dpiX, double dpiY);

} // namespace dn::print
