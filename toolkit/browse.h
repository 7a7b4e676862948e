#pragma once

#include "toolkit/rowsource.h"
#include "toolkit/window.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dn {

class TDialog;

// One cell of a browse row: a text, or a bitmap by resource name.
struct BrowseCell {
    BrowseCell() = default;
    BrowseCell(std::string t) : text(std::move(t)) {}
    BrowseCell(const char* t) : text(t) {}
    static BrowseCell Bitmap(std::string name) {
        BrowseCell c;
        c.bitmap = std::move(name);
        return c;
    }
    std::string text;
    std::string bitmap;
};

// A scrolling list over a RowSource. The current row is the source's current row:
// the browse moves the source and the program may move it too (then Refresh shows
// where it stands). The row block and the colour blocks are evaluated with the
// source standing on the row being drawn, only for the rows on screen.
class TWBrowse : public TWindow {
public:
    using RowBlock = std::function<std::vector<BrowseCell>()>;
    using ColorBlock = std::function<Color()>;
    enum Justify { Left = 0, Right = 1, Center = 2 };
    struct Options {
        std::vector<std::string> headers{};
        std::vector<int> colSizes{}; // pixels; a column without one is as wide as its header
        std::vector<int> justify{};  // Justify per column
        ClickBlock dblClick{};
        Block change{}; // the current row changed
        std::shared_ptr<RowSource> source{};
    };
    static TWBrowse* Redefine(int id, RowBlock line, TDialog& dlg, Options o);
    static TWBrowse* New(int row, int col, int width, int height, RowBlock line, TWindow& parent,
                         Options o);

    void SetSource(std::shared_ptr<RowSource> source);
    RowSource* Source() const { return src_.get(); }

    // Re-reads the rows on screen around the source's current row and repaints.
    void Refresh(bool erase = true) override;
    // Keeps the current row in view without emptying rows at the bottom, re-reads
    // the rows on screen and repaints; the number of rows is not asked again (for
    // moves of the program that add or remove no row, such as a key search).
    void Stabilize();
    void GoUp();
    void GoDown();
    void PageUp();
    void PageDown();
    void GoTop();
    void GoBottom();
    // Moves to the row shown at screen row n (1-based); false when there is none.
    bool GoToRow(int n);

    // Column (1-based) at pixel x of the browse; 0 outside the columns.
    int nAtCol(int x) const;
    // Screen row (1-based) at pixel y; 0 on the header or below the last row.
    int nAtRow(int y) const;
    // Number of rows that fit on screen.
    int nRowCount() const { return rowCount_; }
    // Pixels across that the columns can take: the list inside its frame and its
    // vertical scroll bar.
    int nClientWidth() const;
    // Number of rows in the source (read on Refresh).
    long nLen() const { return len_; }
    // Texts of the rows read for the screen, top to bottom (what it shows).
    std::vector<std::vector<std::string>> ShownRows() const;

    // Edits one cell of the current row in place; returns the text entered, or
    // nothing when the edit was cancelled (Esc) or the row is not on screen.
    std::optional<std::string> EditColumn(int col, const std::string& text, int maxLength = 0);

    // Screen row (1-based) of the current row.
    int nRowPos = 1;
    std::vector<std::string> aHeaders;
    std::vector<int> aColSizes;
    std::vector<int> aJustify;
    // Header click per column.
    std::vector<Block> aActions;
    RowBlock bLine;
    ColorBlock nClrText;      // text of a row
    ColorBlock nClrPane;      // background of a row
    ColorBlock nClrForeFocus; // text of the current row
    ColorBlock nClrBackFocus; // background of the current row
    Block bChange;

    // For the browse's widget.
    struct Row {
        long pos = 0;
        std::vector<BrowseCell> cells;
        Color text = 0, pane = 0, focusText = 0, focusPane = 0;
    };
    const std::vector<Row>& Rows() const { return rows_; }
    int FirstCol() const { return firstCol_; }
    void SetFirstCol(int c);
    int HeaderHeight() const;
    int RowHeight() const;
    void Layout();
    void ClickAt(int x, int y, int flags, bool right, bool dbl);
    void KeyDown(int vk, int flags, const std::string& ch);
    void ScrollTo(long ordinal);
    void ColumnClicked(int col);

protected:
    void onKey(int vk, int flags, const std::string& ch) override;
    bool onClick(QMouseEvent* e) override;

private:
    void setup(RowBlock line, Options o);
    void stabilize();
    void fill();
    Row readRow() const;
    void redraw();
    void moved(long before);
    void updateScroll();

    std::shared_ptr<RowSource> src_;
    std::vector<Row> rows_;
    int rowCount_ = 1;
    int firstCol_ = 0;
    long len_ = 0;
};

} // namespace dn
