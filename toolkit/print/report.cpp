#include "toolkit/print/report.h"

#include "common/util/clock.h"
#include "common/util/format.h"
#include "common/util/trim.h"
#include "toolkit/print/settings.h"

#include <algorithm>
#include <stdexcept>

namespace dn {

namespace {

int alignCode(TReport::Align a) {
    switch (a) {
    case TReport::Align::Right:
        return print::AlignRight;
    case TReport::Align::Center:
        return print::AlignCenter;
    default:
        return print::AlignLeft;
    }
}

} // namespace

TReport::TReport(RowSource& rows, Options o) : rows_(rows), o_(std::move(o)) {
    if (o_.fonts.empty())
        throw std::invalid_argument("TReport needs at least one font");
    printer_ = std::make_unique<TPrinter>(o_.docName, o_.preview, false, o_.printerModel);
    oHeader.r_ = this;
}

TReport::~TReport() = default;

void TReport::AddColumn(Column c) {
    cols_.push_back(std::move(c));
}

void TReport::AddColumn(std::vector<std::string> titles, DataBlock data, int width,
                        const std::string& align, int font) {
    Column c;
    c.titles = std::move(titles);
    c.data = std::move(data);
    c.width = width;
    c.align = align == "CENTER" ? Align::Center : align == "RIGHT" ? Align::Right : Align::Left;
    c.font = font;
    AddColumn(std::move(c));
}

TReport::HeaderBlock TReport::HdrLine(std::string text) {
    return [text = std::move(text)](TReport& r) {
        r.oHeader.SayHdr(text);
        return std::string();
    };
}

const TFont* TReport::font(int n) const {
    const int i = std::clamp(n, 1, static_cast<int>(o_.fonts.size())) - 1;
    return &o_.fonts[static_cast<size_t>(i)];
}

std::string TReport::cellText(const Value& v) const {
    if (v.isAbsent() || (v.isDate() && v.date().isEmpty()))
        return {};
    return std::string(trimRight(CVALTOCHAR(v)));
}

void TReport::measure() {
    const TFont* f1 = font(1);
    m_.fontHeight = printer_->GetTextHeight(f1);
    m_.charWidth = printer_->GetTextWidth("B", f1);
    m_.topMargin = 1.3 * m_.fontHeight;
    m_.lineHeight = m_.topMargin;
    m_.leftMargin = 2 * m_.charWidth;
    m_.lineWidth = printer_->nHorzRes() - 2 * m_.leftMargin;
}

void TReport::placeColumns() {
    // The source stands on its first row: width-0 columns and date columns are
    // decided by it.
    const bool any = !rows_.eof();
    const double lineEnd = m_.leftMargin + m_.lineWidth;
    double x = m_.leftMargin;
    placed_.clear();
    for (const auto& c : cols_) {
        Placed p;
        const Value first = any && c.data ? c.data() : Value();
        p.date = first.isDate();
        const int chars = c.width > 0 ? c.width : static_cast<int>(cellText(first).size());
        double w = chars * m_.charWidth;
        for (const auto& t : c.titles)
            w = std::max(w, printer_->GetTextWidth(std::string(trimRight(t)), font(titleFont_)));
        if (x >= lineEnd)
            w = 0;
        else if (x + w > lineEnd)
            w = lineEnd - x;
        p.x = x;
        p.width = w;
        placed_.push_back(p);
        if (w > 0)
            x += w + m_.charWidth;
        else
            x = lineEnd;
    }
}

void TReport::Header::SayHdr(const std::string& text) {
    TReport& r = *r_;
    TPrinter& prn = *r.printer_;
    const TFont* f1 = r.font(1);
    const double row = r.row_;
    const double left = r.m_.leftMargin;
    const double width = r.m_.lineWidth;
    prn.Say(row, left, text, f1);
    prn.Say(row, left, clock::today().toText(), f1, width, 0, BK_TRANSPARENT, print::AlignCenter);
    prn.Say(row, left, "PAG.  " + std::to_string(r.page_), f1, width, 0, BK_TRANSPARENT,
            print::AlignRight);
}

void TReport::rule() {
    const double y = row_ + m_.lineHeight / 4;
    printer_->Line(y, m_.leftMargin, y, m_.leftMargin + m_.lineWidth);
    row_ += m_.lineHeight / 2;
}

void TReport::startPage() {
    printer_->StartPage();
    ++page_;
    row_ = m_.topMargin;
    for (const auto& h : o_.header) {
        const std::string text = h ? h(*this) : std::string();
        if (!text.empty())
            printer_->Say(row_, m_.leftMargin, text, font(1));
        row_ += m_.lineHeight;
    }
    size_t lines = 0;
    for (const auto& c : cols_)
        lines = std::max(lines, c.titles.size());
    for (size_t i = 0; i < lines; ++i) {
        for (size_t k = 0; k < cols_.size(); ++k) {
            const Placed& p = placed_[k];
            if (p.width <= 0 || i >= cols_[k].titles.size())
                continue;
            TPrinter::SayOptions so;
            so.width = p.width;
            so.align = p.date ? print::AlignCenter : alignCode(cols_[k].align);
            so.clip = true;
            printer_->Say(row_, p.x, std::string(trimRight(cols_[k].titles[i])), font(titleFont_),
                          so);
        }
        row_ += m_.lineHeight;
    }
    rule();
}

void TReport::printRow() {
    for (size_t k = 0; k < cols_.size(); ++k) {
        const Placed& p = placed_[k];
        if (p.width <= 0 || !cols_[k].data)
            continue;
        const Value v = cols_[k].data();
        TPrinter::SayOptions so;
        so.width = p.width;
        so.align = v.isDate() ? print::AlignCenter : alignCode(cols_[k].align);
        so.clip = true;
        printer_->Say(row_, p.x, cellText(v), font(cols_[k].font), so);
    }
    row_ += m_.lineHeight;
}

void TReport::Run() {
    // Puts the source back on its row when a data block or the source throws; the
    // first exception is the one that goes on.
    struct Restore {
        RowSource& rows;
        long pos;
        bool done = false;
        ~Restore() {
            if (done)
                return;
            try {
                rows.goTo(pos);
            } catch (...) {
            }
        }
    } restore{rows_, rows_.position()};

    // A report that runs past its first page counts its pages in the wait box while
    // it is laid out; the box closes however the run ends.
    struct PageCount {
        bool open = false;
        void pageDone(int n) {
            if (!open) {
                print::progressOpen();
                open = true;
            }
            print::progressPage(n);
        }
        ~PageCount() {
            if (open)
                print::progressClose();
        }
    } pages;

    measure();
    rows_.goTop();
    placeColumns();
    startPage();
    const double limit = printer_->nVertRes() - m_.topMargin;
    int onPage = 0;
    if (!rows_.eof()) {
        for (;;) {
            // A page always takes at least one line, however large the font.
            if (onPage > 0 && row_ + m_.fontHeight > limit) {
                rule();
                printer_->EndPage();
                pages.pageDone(page_);
                startPage();
                onPage = 0;
            }
            printRow();
            ++onPage;
            if (rows_.skip(1) != 1)
                break;
        }
    }
    rule();
    printer_->EndPage();
    if (pages.open)
        pages.pageDone(page_);
    restore.done = true;
    rows_.goTo(restore.pos);
}

bool TReport::Activate() {
    Run();
    if (o_.preview) {
        printer_->Preview();
        return true;
    }
    return printer_->End();
}

} // namespace dn
