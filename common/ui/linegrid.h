#pragma once

// Printing on a fixed grid of text lines and columns: a page is 66 lines of
// printable height / 66 and 80 columns of printable width / 80 (device units of
// the job), with a left margin of 5 columns added to every column given. The
// deadline sheet, the contact card and the envelope are laid out with these.
//
// Two values are kept for the whole program, across print jobs: the current line
// (device units from the top of the printable area; 0 is the top of a fresh page)
// and the line feed (in grid lines, 1 at program start). A printout that ends its
// page resets the current line with SETPROW(0); the line feed stays as the last
// printout set it.

#include "toolkit/print/printer.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dn::ui {

// Grid size and the left margin in columns.
inline constexpr int kGridLines = 66;
inline constexpr int kGridColumns = 80;
inline constexpr int kGridMargin = 5;
// Characters per line of a memo printed justified on the grid (the deadline
// sheet's task, the contact card's notes).
inline constexpr int kMemoLineWidth = 70;
// Ends a paragraph in a text printed justified: the line holding it is not stretched.
inline constexpr char kParagraphMark = '\x7F';

// The current line; with a value, sets it first. Returns the current line.
double SETPROW(std::optional<double> row = std::nullopt);
// The line feed in grid lines; with a value, sets it first. Returns the line feed.
double PFEED(std::optional<double> lines = std::nullopt);

// Prints texts (joined with single blanks, DOS accented letters repaired) on the
// grid of prn:
// - col absent: on a new line (the current line moves down one line feed), at
//   the margin; col > 0: on the current line at grid column col + 5; col == 0:
//   continuing the current line where the last print ended. The first print after
//   SETPROW(0) lands on grid line 2 (plus its line feed when on a new line).
// - right: the text ends at column + length (length default: the text's length);
//   centred: centred on column + length / 2, or on the middle of the page without
//   a length; justified: from the column, trimmed, stretched over its blanks to
//   end at grid column 75 (or to be width columns wide), unless it ends with the
//   paragraph mark (removed, the line is not stretched) or holds no blank.
// - width: the text is drawn from the column, clipped to width columns.
// - back: the text's cell is filled with that colour first (else transparent).
// An empty list of texts only moves the line. A text that would reach below the
// page (its line past the page's last grid line) goes on a new page of prn, on the
// line where the first print after SETPROW(0) would land; line feeds alone and
// texts of blanks open no page.
void PRINTTXT(const std::vector<std::string>& texts, std::optional<int> col, bool right,
              std::optional<int> length, bool centred, TPrinter& prn, const TFont* font,
              std::optional<int> width = std::nullopt, bool justified = false,
              std::optional<Color> color = std::nullopt, std::optional<Color> back = std::nullopt);

// A memo prepared for justified printing: the paragraph mark before every CR LF
// and at the end (unless already there), so that the last line of each paragraph
// is printed unstretched.
std::string MEMOADJ(std::string_view text);

// Prints exactly `lines` new lines in font: the memo text prepared with MEMOADJ,
// word-wrapped at kMemoLineWidth characters and printed justified; lines past
// its end are empty, text past the last line is not printed.
void PRINTMEMO(std::string_view text, int lines, TPrinter& prn, const TFont* font);

} // namespace dn::ui
