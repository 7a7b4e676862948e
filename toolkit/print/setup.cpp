#include "toolkit/print/setup.h"

#include "toolkit/print/settings.h"
#include "toolkit/text.h"
#include "toolkit/window.h"

#include <QApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace dn::print {

PrinterChoice& printerChoice() {
    static PrinterChoice c;
    return c;
}

PageMetrics defaultPageMetrics(QPageLayout::Orientation o, const std::optional<QPageSize>& size) {
    PageMetrics m;
    m.pageSize = size.value_or(QPageSize(QPageSize::A4));
    m.orientation = o;
    m.dpiX = m.dpiY = kDefaultDpi;
    const QSizeF mm = m.pageSize.size(QPageSize::Millimeter);
    QSizeF px(std::round(mm.width() / 25.4 * kDefaultDpi),
              std::round(mm.height() / 25.4 * kDefaultDpi));
    if (o == QPageLayout::Landscape)
        px.transpose();
    m.paper = px;
    m.printable = QRectF(kDefaultBorder, kDefaultBorder, px.width() - 2 * kDefaultBorder,
                         px.height() - 2 * kDefaultBorder);
    return m;
}

namespace {

bool installed(const std::vector<std::string>& names, const std::string& n) {
    return !n.empty() && std::find(names.begin(), names.end(), n) != names.end();
}

SetupDialogHook& setupHook() {
    static SetupDialogHook h;
    return h;
}

} // namespace

PageMetrics pageMetrics(const std::string& model) {
    const PrinterChoice& choice = printerChoice();
    const auto names = printerNames();
    std::string name;
    if (installed(names, model))
        name = model;
    else if (installed(names, choice.printerName))
        name = choice.printerName;
    else
        name = defaultPrinterName();
    if (name.empty())
        return defaultPageMetrics(choice.orientation, choice.pageSize);

    const QPrinterInfo info = QPrinterInfo::printerInfo(tk::toQt(name));
    if (info.isNull()) {
        // Known by name only (not a system printer): laid out on the default page.
        PageMetrics m = defaultPageMetrics(choice.orientation, choice.pageSize);
        m.printerName = name;
        return m;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    if (choice.pageSize)
        printer.setPageSize(*choice.pageSize);
    printer.setPageOrientation(choice.orientation);
    const QPageLayout layout = printer.pageLayout();
    const int res = printer.resolution();
    PageMetrics m;
    m.printerName = name;
    m.pageSize = layout.pageSize();
    m.orientation = layout.orientation();
    m.dpiX = m.dpiY = res;
    m.paper = layout.fullRectPixels(res).size();
    m.printable = layout.paintRectPixels(res);
    if (m.printable.isEmpty())
        return defaultPageMetrics(choice.orientation, choice.pageSize);
    return m;
}

SetupDialogHook setSetupDialogHook(SetupDialogHook hook) {
    std::swap(setupHook(), hook);
    return hook;
}

} // namespace dn::print

namespace dn {

void PRNLANDSCAPE() {
    print::printerChoice().orientation = QPageLayout::Landscape;
}

void PRNPORTRAIT() {
    print::printerChoice().orientation = QPageLayout::Portrait;
}

bool PRINTERSETUP(TWindow* owner) {
    print::PrinterChoice& choice = print::printerChoice();
    if (print::setupHook()) {
        print::PrinterChoice edited = choice;
        if (!print::setupHook()(edited))
            return false;
        choice = edited;
        return true;
    }

    QWidget* parent = owner ? owner->hWnd() : QApplication::activeWindow();
    const auto names = print::printerNames();
    std::string current = choice.printerName;
    if (std::find(names.begin(), names.end(), current) == names.end())
        current = print::defaultPrinterName();
    const QPrinterInfo info = QPrinterInfo::printerInfo(tk::toQt(current));

    if (!info.isNull()) {
        QPrinter printer(info, QPrinter::HighResolution);
        if (choice.pageSize)
            printer.setPageSize(*choice.pageSize);
        printer.setPageOrientation(choice.orientation);
        QPrintDialog dlg(&printer, parent);
        dlg.setWindowTitle(QStringLiteral("Imposta stampante"));
        dlg.setOptions(QAbstractPrintDialog::PrintShowPageSize);
        if (dlg.exec() != QDialog::Accepted)
            return false;
        choice.printerName = tk::fromQt(printer.printerName());
        choice.pageSize = printer.pageLayout().pageSize();
        choice.orientation = printer.pageLayout().orientation();
        return true;
    }

    // No printer: paper and orientation still shape the preview and the PDF.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(choice.pageSize.value_or(QPageSize(QPageSize::A4)));
    printer.setPageOrientation(choice.orientation);
    QPageSetupDialog dlg(&printer, parent);
    dlg.setWindowTitle(QStringLiteral("Imposta stampante"));
    if (dlg.exec() != QDialog::Accepted)
        return false;
    choice.pageSize = printer.pageLayout().pageSize();
    choice.orientation = printer.pageLayout().orientation();
    return true;
}

} // namespace dn
