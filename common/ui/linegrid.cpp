#include "common/ui/linegrid.h"

#include "common/util/format.h"
#include "common/util/trim.h"

#include <algorithm>

namespace dn::ui {

namespace {

double currentRow = 0;
double lineFeed = 1;

// Draws text from x on row, its blanks widened so that it ends at right.
void sayJustified(TPrinter& prn, double row, double x, double right, const std::string& text,
                  const TFont* font, const TPrinter::SayOptions& o) {
    const long blanks = std::count(text.begin(), text.end(), ' ');
    const double extra = std::max(0.0, (right - x - prn.GetTextWidth(text, font)) / blanks);
    const double blank = prn.GetTextWidth(" ", font) + extra;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(' ', pos);
        if (end == std::string::npos)
            end = text.size();
        if (end > pos) {
            const std::string word = text.substr(pos, end - pos);
            prn.Say(row, x, word, font, o);
            x += prn.GetTextWidth(word, font);
        }
        if (end < text.size())
            x += blank;
        pos = end + 1;
    }
}

// True when the texts hold something to draw (not only blanks or paragraph marks).
bool hasInk(const std::vector<std::string>& texts) {
    for (const std::string& t : texts)
        if (t.find_first_not_of(std::string(" ") + kParagraphMark) != std::string::npos)
            return true;
    return false;
}

} // namespace

double SETPROW(std::optional<double> row) {
    if (row)
        currentRow = *row;
    return currentRow;
}

double PFEED(std::optional<double> lines) {
    if (lines)
        lineFeed = *lines;
    return lineFeed;
}

void PRINTTXT(const std::vector<std::string>& texts, std::optional<int> col, bool right,
              std::optional<int> length, bool centred, TPrinter& prn, const TFont* font,
              std::optional<int> width, bool justified, std::optional<Color> color,
              std::optional<Color> back) {
    const bool sameLine = col && *col == 0;
    const double lineHeight = prn.nVertRes() / double(kGridLines);
    const double colWidth = prn.nHorzRes() / double(kGridColumns);
    const int column = col.value_or(0) + kGridMargin;
    if (currentRow == 0)
        currentRow = 2 * lineHeight;
    if (!col)
        currentRow += lineFeed * lineHeight;
    if (texts.empty())
        return;
    // A line that would reach below the page goes on a new page, where it stands as
    // the first line printed after SETPROW(0) does; line feeds alone never open a
    // page, so empty lines at the end of a layout print nothing.
    if (currentRow + lineHeight > prn.nVertRes() && hasInk(texts)) {
        prn.EndPage();
        prn.StartPage();
        currentRow = (2 + (col ? 0 : lineFeed)) * lineHeight;
    }

    std::string joined;
    for (const std::string& t : texts) {
        if (!joined.empty())
            joined += ' ';
        joined += t;
    }
    std::string text = O2A(joined);

    TPrinter::SayOptions o;
    o.color = color.value_or(0);
    o.opaque = back.has_value();
    if (back)
        o.back = *back;
    double x = column * colWidth;

    if (sameLine) {
        x = prn.nLastCol();
    } else if (right) {
        o.align = print::AlignRight;
        o.width = length.value_or(static_cast<int>(text.size())) * colWidth;
    } else if (centred) {
        o.align = print::AlignCenter;
        if (length) {
            o.width = *length * colWidth;
        } else {
            x = 0;
            o.width = prn.nHorzRes();
        }
    } else if (justified) {
        text = std::string(trimBlanks(text));
        if (!text.empty() && text.back() == kParagraphMark) {
            text.pop_back();
        } else if (text.find(' ') != std::string::npos) {
            const double end =
                width ? x + *width * colWidth : (kGridColumns - kGridMargin) * colWidth;
            sayJustified(prn, currentRow, x, end, text, font, o);
            return;
        }
    }
    if (width) {
        // Drawn from the column, clipped to the width.
        o.align = print::AlignLeft;
        o.width = *width * colWidth;
        o.clip = true;
        if (!sameLine && (right || centred))
            x = column * colWidth;
    }
    if (text.empty())
        return;
    prn.Say(currentRow, x, text, font, o);
}

void PRINTMEMO(std::string_view text, int lines, TPrinter& prn, const TFont* font) {
    const auto wrapped = wrapLines(MEMOADJ(text), kMemoLineWidth);
    for (size_t i = 0; i < static_cast<size_t>(std::max(lines, 0)); ++i)
        PRINTTXT({i < wrapped.size() ? wrapped[i] : std::string()}, std::nullopt, false,
                 std::nullopt, false, prn, font, std::nullopt, true);
}

std::string MEMOADJ(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            out += kParagraphMark;
        out += text[i];
    }
    if (out.empty() || out.back() != kParagraphMark)
        out += kParagraphMark;
    return out;
}

} // namespace dn::ui
