#pragma once

#include "common/util/value.h"
#include "toolkit/font.h"
#include "toolkit/print/printer.h"
#include "toolkit/rowsource.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dn {

// A columnar listing of a row source from its first row to its last, one printed
// line per row, on the pages of its own print job:
//
//   header lines        (each page; SayHdr: text, today's date, "PAG.  n")
//   column titles       (in the title font)
//   ------------------  rule
//   data lines
//   ------------------  rule at the end of each page and after the last line
//
// Layout, in device units of the job, with h = the cell height of font 1 and B =
// the width of the letter "B" in font 1: top margin and line height 1.3 h; left
// margin 2 B; line width = printable width - 2 B. A column is as wide as its width
// in letters "B", never narrower than its title; one B separates columns; the
// column that would pass the end of the line is narrowed to end there (columns
// starting past it are not printed); text is clipped to its column. A line that
// would reach below the printable height less the top margin starts a new page.
class TReport {
public:
    // One header line: draws itself through the report (SayHdr) or returns a text
    // drawn at the left margin; "" draws nothing.
    using HeaderBlock = std::function<std::string(TReport&)>;
    // A column's value on the current row.
    using DataBlock = std::function<Value()>;

    enum class Align { Left, Center, Right };

    struct Options {
        std::string docName;
        bool preview = true;
        std::vector<HeaderBlock> header;
        // Font 1, font 2, ...; bound to the job when used. Font 1 sets the layout.
        std::vector<TFont> fonts;
        // Printer to lay out for; empty: the chosen or default one.
        std::string printerModel;
    };

    struct Column {
        std::vector<std::string> titles; // one entry per title line
        DataBlock data;
        // Width in letters "B" of font 1; 0: as many as the first row's value has.
        int width = 0;
        // Date values are centred whatever is asked.
        Align align = Align::Left;
        int font = 1;
    };

    // REQUIRES: rows outlives the report; at least one font.
    TReport(RowSource& rows, Options o);
    static std::unique_ptr<TReport> New(RowSource& rows, Options o) {
        return std::make_unique<TReport>(rows, std::move(o));
    }
    ~TReport();

    void AddColumn(Column c);
    // As AddColumn; align is "", "CENTER" or "RIGHT".
    void AddColumn(std::vector<std::string> titles, DataBlock data, int width,
                   const std::string& align = {}, int font = 1);
    // Font of the column titles (default 1).
    void SetColTitFont(int n) { titleFont_ = n; }

    // Lays out every row (Run), then opens the preview, or prints when the report
    // has no preview. False when printing failed.
    bool Activate();
    // Lays out every row on the job's pages and puts the row source back on the row
    // it stood on, also when a data block throws (the exception goes on). A report
    // that needs more than one page shows the page-counting wait box while it is
    // laid out (print::progressOpen, progressPage after each page, progressClose,
    // also on a throw); window events run at each page.
    void Run();

    // A header block that prints the header line with text.
    static HeaderBlock HdrLine(std::string text);

    // Header drawing for header blocks.
    class Header {
    public:
        // On the header row being printed: text at the left margin, today's date
        // (dd/mm/yyyy) centred on the line, "PAG.  " and the page number ending at
        // the right end of the line; in font 1.
        void SayHdr(const std::string& text);

    private:
        friend class TReport;
        TReport* r_ = nullptr;
    };
    Header oHeader;

    TPrinter& oDevice() { return *printer_; }
    int nPage() const { return page_; }

    // The layout, in device units (valid once Run has started).
    struct Metrics {
        double topMargin = 0, lineHeight = 0, leftMargin = 0, lineWidth = 0, charWidth = 0,
               fontHeight = 0;
    };
    const Metrics& Layout() const { return m_; }
    // Each column's left edge and width; width 0 for a column that is not printed.
    struct Placed {
        double x = 0, width = 0;
        bool date = false;
    };
    const std::vector<Placed>& Placement() const { return placed_; }

private:
    const TFont* font(int n) const;
    void measure();
    void placeColumns();
    void startPage();
    void rule();
    void printRow();
    std::string cellText(const Value& v) const;

    RowSource& rows_;
    Options o_;
    std::vector<Column> cols_;
    int titleFont_ = 1;
    std::unique_ptr<TPrinter> printer_;
    Metrics m_;
    std::vector<Placed> placed_;
    int page_ = 0;
    double row_ = 0;
};

} // namespace dn
