#pragma once

// The printer, paper and orientation that new print jobs use, and the page a job
// is laid out on.

#include <QPageLayout>
#include <QPageSize>
#include <QRectF>

#include <functional>
#include <optional>
#include <string>

namespace dn {
class TWindow;
}

namespace dn::print {

// Chosen in the printer set-up and by the orientation switches; read by every
// job when it opens. Empty printer: the system's default printer; no page size:
// the printer's own default paper (A4 without a printer).
struct PrinterChoice {
    std::string printerName;
    std::optional<QPageSize> pageSize;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
};
PrinterChoice& printerChoice();

// The page a job is laid out on, in device units.
struct PageMetrics {
    std::string printerName; // empty: no printer, the default page below
    QPageSize pageSize{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    double dpiX = 600, dpiY = 600;
    QSizeF paper;
    QRectF printable;
};

// Resolution and unprintable border of the page used when there is no printer: an
// A4 sheet at 600 dpi with 100 device units (4.2 mm) lost on every side, as on a
// common laser printer.
inline constexpr double kDefaultDpi = 600;
inline constexpr double kDefaultBorder = 100;

// The page for a job on printer `model` (empty: the chosen printer, else the
// default one) in the chosen orientation. A model that is not an installed printer
// falls back to the chosen or default one; without printers, the default page.
PageMetrics pageMetrics(const std::string& model = {});
// The default page (A4 or the chosen paper) at kDefaultDpi in an orientation.
PageMetrics defaultPageMetrics(QPageLayout::Orientation o,
                               const std::optional<QPageSize>& size = std::nullopt);

// Test hook for the printer set-up: called instead of the system's dialog with the
// current choice to edit; returns false when cancelled.
using SetupDialogHook = std::function<bool(PrinterChoice&)>;
SetupDialogHook setSetupDialogHook(SetupDialogHook hook);

} // namespace dn::print

namespace dn {

// Landscape (or portrait) pages for the jobs that follow.
void PRNLANDSCAPE();
void PRNPORTRAIT();

// The system's printer set-up dialog (printer, paper, orientation); its choice is
// kept for the jobs that follow. Returns false when cancelled. On a machine
// without printers it still offers paper and orientation (for the preview and
// PDF files).
bool PRINTERSETUP(TWindow* owner = nullptr);

} // namespace dn
