#include "toolkit/print/printer.h"

#include "toolkit/print/output.h"
#include "toolkit/print/preview.h"
#include "toolkit/print/setup.h"

#include "common/util/trim.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cctype>

namespace dn {

namespace print {
TFont defaultFont() {
    return TFont("Arial", 0, -10);
}
} // namespace print

TPrinter::TPrinter(std::string docName, bool preview, bool noPrint, const std::string& model)
    : lPreview(preview), lNoPrint(noPrint), rec_(std::make_shared<print::Recording>()) {
    const print::PageMetrics m = print::pageMetrics(model);
    rec_->docName = std::move(docName);
    rec_->printerName = m.printerName;
    rec_->pageSize = m.pageSize;
    rec_->orientation = m.orientation;
    rec_->dpiX = m.dpiX;
    rec_->dpiY = m.dpiY;
    rec_->paper = m.paper;
    rec_->printable = m.printable;
    rec_->noPrint = noPrint;
}

TPrinter::~TPrinter() = default;

double TPrinter::faceScale(const std::string& face) const {
    std::string f;
    for (char c : face)
        f += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return trimRight(f) == "courier new" ? print::kCourierScale : 1.0;
}

int TPrinter::nVertRes() const {
    return static_cast<int>(std::lround(rec_->printable.height()));
}

int TPrinter::nHorzRes() const {
    return static_cast<int>(std::lround(rec_->printable.width()));
}

void TPrinter::StartPage() {
    EndPage();
    rec_->pages.emplace_back();
    pageOpen_ = true;
    lastRow_ = lastCol_ = 0;
}

void TPrinter::EndPage() {
    pageOpen_ = false;
}

print::Page& TPrinter::page() {
    if (!pageOpen_)
        StartPage();
    return rec_->pages.back();
}

QFont TPrinter::BindFont(const TFont* font) const {
    const TFont f = font ? *font : print::defaultFont();
    QFont q = f.fontFor(*this);
    // Metrics measured here must match the replay on any device.
    q.setHintingPreference(QFont::PreferNoHinting);
    q.setKerning(false);
    return q;
}

double TPrinter::GetTextWidth(const std::string& text, const TFont* font) const {
    return QFontMetricsF(BindFont(font)).horizontalAdvance(tk::toQt(text));
}

double TPrinter::GetTextHeight(const TFont* font) const {
    return QFontMetricsF(BindFont(font)).height();
}

void TPrinter::Say(double row, double col, const std::string& text, const TFont* font, double width,
                   Color color, int bkMode, int align) {
    SayOptions o;
    o.width = width;
    o.color = color;
    o.opaque = bkMode == BK_OPAQUE;
    o.align = align;
    Say(row, col, text, font, o);
}

void TPrinter::Say(double row, double col, const std::string& text, const TFont* font,
                   const SayOptions& o) {
    print::Page& pg = page();
    const QFont qf = BindFont(font);
    const QFontMetricsF fm(qf);
    QString q = tk::toQt(text);
    double tw = fm.horizontalAdvance(q);

    double x = col;
    const bool overflows = o.clip && o.width > 0 && tw > o.width;
    if (!overflows) {
        if (o.align == print::AlignRight)
            x = o.width > 0 ? col + o.width - tw : col - tw;
        else if (o.align == print::AlignCenter)
            x = o.width > 0 ? col + (o.width - tw) / 2 : col - tw / 2;
    }
    if (overflows) {
        // Keep the characters that start inside the column; the clip cuts the last.
        int keep = 0;
        while (keep < q.size() && fm.horizontalAdvance(q.left(keep)) < o.width - 0.01)
            ++keep;
        q.truncate(keep);
        tw = fm.horizontalAdvance(q);
    }

    lastRow_ = row;
    lastCol_ = x + tw;
    if (q.isEmpty())
        return;

    print::DrawOp op;
    op.kind = print::DrawOp::Kind::Text;
    op.row = row;
    op.col = col;
    op.width = o.width;
    op.align = o.align;
    op.x = x;
    op.baseline = row + fm.ascent();
    op.textWidth = tw;
    op.textHeight = fm.height();
    op.text = tk::fromQt(q);
    const TFont f = font ? *font : print::defaultFont();
    op.face = f.cFaceName;
    op.height = f.nHeight;
    op.bold = f.lBold;
    op.font = qf;
    op.color = o.color;
    op.opaque = o.opaque;
    op.back = o.back;
    if (o.clip && o.width > 0) {
        op.clipLeft = col;
        op.clipRight = col + o.width;
    }
    pg.ops.push_back(std::move(op));
}

void TPrinter::Line(double top, double left, double bottom, double right, double pen, Color color) {
    addShape(print::DrawOp::Kind::Line, top, left, bottom, right, pen, color, std::nullopt);
}

void TPrinter::Box(double top, double left, double bottom, double right, double pen, Color color,
                   std::optional<Color> fill) {
    addShape(print::DrawOp::Kind::Rect, top, left, bottom, right, pen, color, fill);
}

void TPrinter::addShape(print::DrawOp::Kind kind, double top, double left, double bottom,
                        double right, double pen, Color color, std::optional<Color> fill) {
    print::DrawOp op;
    op.kind = kind;
    op.row = top;
    op.x = left;
    op.row2 = bottom;
    op.x2 = right;
    // A pen of 0 is the thinnest line the device draws: one point wide.
    op.pen = pen > 0 ? pen : std::max(1.0, rec_->dpiY / 72.0);
    op.color = color;
    op.opaque = fill.has_value();
    op.back = fill.value_or(0xFFFFFF);
    page().ops.push_back(std::move(op));
}

bool TPrinter::End() {
    if (ended_)
        return true;
    if (lPreview) {
        Preview();
        return true;
    }
    EndPage();
    ended_ = true;
    if (lNoPrint || rec_->pages.empty())
        return true;
    print::PrintRequest r;
    r.printerName = rec_->printerName;
    return print::printRecording(*rec_, r);
}

void TPrinter::Preview() {
    EndPage();
    ended_ = true;
    if (rec_->pages.empty())
        return;
    TPreview::Run(rec_);
}

} // namespace dn
