#pragma once

#include "toolkit/font.h"
#include "toolkit/print/recording.h"
#include "toolkit/text.h"

#include <memory>
#include <optional>
#include <string>

namespace dn {

using tk::Color;

// Background modes of Say (the numbers callers pass).
inline constexpr int BK_TRANSPARENT = 1;
inline constexpr int BK_OPAQUE = 2;

// A print job: pages recorded as draw operations in the device units of the
// printer it was opened on (see print/recording.h), then previewed, printed or
// saved. Fonts handed to it are bound to it: sized for its resolution, with
// "Courier New" at 0.779 of its height.
//
// Positions are (row, column) in device units from the top-left corner of the
// printable area; nHorzRes x nVertRes is that area.
class TPrinter : public FontDevice {
public:
    // A job named docName on printer `model` (empty: the printer chosen in the
    // set-up, else the default one; without printers a default A4 page), in the
    // orientation chosen for the jobs that follow. noPrint: the job is never sent
    // to a printer (End discards it, the preview offers no printing).
    explicit TPrinter(std::string docName, bool preview = true, bool noPrint = false,
                      const std::string& model = {});
    static std::unique_ptr<TPrinter> New(std::string docName, bool preview = true,
                                         bool noPrint = false, const std::string& model = {}) {
        return std::make_unique<TPrinter>(std::move(docName), preview, noPrint, model);
    }
    ~TPrinter() override;
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Starts a new page (ending an open one first).
    void StartPage();
    // Ends the open page; nothing when none is open.
    void EndPage();
    // Ends the job: with preview on, opens the preview (see Preview); otherwise
    // prints every page on the job's printer unless the job is no-print. Returns
    // false when printing failed (its message was shown). Later calls do nothing.
    bool End();
    // Ends an open page and opens the preview window of the recorded pages,
    // returning when the user closes it. A job without pages shows nothing.
    void Preview();

    // Draws text with its top-left corner at (row, col), in font (default: "Arial"
    // 10) and colour (0x00BBGGRR). Alignment 0: from col; 1: ending at col + width;
    // 2: centred on col + width / 2. Without a width, 1 and 2 shift the text left by
    // its whole or half width. bkMode BK_OPAQUE fills the text's cell with white first.
    // A page is started when none is open.
    void Say(double row, double col, const std::string& text, const TFont* font = nullptr,
             double width = 0, Color color = 0, int bkMode = BK_TRANSPARENT, int align = 0);

    // Say with every option.
    struct SayOptions {
        double width = 0;
        Color color = 0;
        int align = 0;
        bool opaque = false;
        Color back = 0xFFFFFF;
        // Clip the text to [col, col + width): characters that start past the end
        // are not drawn; a text wider than the width starts at col whatever the
        // alignment, so that its beginning shows.
        bool clip = false;
    };
    void Say(double row, double col, const std::string& text, const TFont* font,
             const SayOptions& o);

    // A line from (top, left) to (bottom, right), pen width in device units.
    void Line(double top, double left, double bottom, double right, double pen = 0,
              Color color = 0);
    // A rectangle; filled with `fill` when given.
    void Box(double top, double left, double bottom, double right, double pen = 0, Color color = 0,
             std::optional<Color> fill = std::nullopt);

    // Advance width and cell height (ascent + descent) of text in a font bound to
    // this printer, in device units.
    double GetTextWidth(const std::string& text, const TFont* font = nullptr) const;
    double GetTextHeight(const TFont* font = nullptr) const;
    // The font resolved for this printer.
    QFont BindFont(const TFont* font) const;
    // Where the last text drawn ended: its row and the column just after it.
    double nLastRow() const { return lastRow_; }
    double nLastCol() const { return lastCol_; }

    // Printable height and width in device units.
    int nVertRes() const;
    int nHorzRes() const;
    // Pages recorded so far.
    int nPages() const { return static_cast<int>(rec_->pages.size()); }
    bool IsPageOpen() const { return pageOpen_; }
    bool IsEnded() const { return ended_; }

    const std::string& cDocument() const { return rec_->docName; }
    const print::Recording& Recording() const { return *rec_; }
    std::shared_ptr<const print::Recording> SharedRecording() const { return rec_; }

    bool lPreview = true;
    bool lNoPrint = false;

    // FontDevice: fonts handed to this job are sized for its resolution.
    double dpiX() const override { return rec_->dpiX; }
    double dpiY() const override { return rec_->dpiY; }
    double faceScale(const std::string& face) const override;

private:
    print::Page& page();
    void addShape(print::DrawOp::Kind kind, double top, double left, double bottom, double right,
                  double pen, Color color, std::optional<Color> fill);

    std::shared_ptr<print::Recording> rec_;
    bool pageOpen_ = false;
    bool ended_ = false;
    double lastRow_ = 0, lastCol_ = 0;
};

namespace print {
// The height scale of "Courier New" on a printer.
inline constexpr double kCourierScale = 0.779;
// The font a job uses when none is given.
TFont defaultFont();
} // namespace print

} // namespace dn
