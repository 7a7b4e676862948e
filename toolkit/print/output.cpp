#include "toolkit/print/output.h"

#include "common/util/messages.h"
#include "toolkit/print/settings.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include <cmath>

namespace dn::print {

namespace {

std::string withName(const char* pattern, const std::string& name) {
    std::string s = pattern;
    const auto at = s.find("%s");
    if (at != std::string::npos)
        s.replace(at, 2, name);
    return s;
}

void notify(const std::string& text) {
    messages().ask(1, text, "Attenzione");
}

} // namespace

bool printRecording(const Recording& rec, const PrintRequest& r) {
    const int total = static_cast<int>(rec.pages.size());
    const int from = r.from;
    const int to = r.to == 0 ? total : r.to;
    if (total == 0 || from < 1 || to > total || from > to || r.copies < 1) {
        notify(kMsgBadRange);
        return false;
    }
    if (printerNames().empty()) {
        notify(kMsgNoPrinter);
        return false;
    }
    std::unique_ptr<QPrinter> printer = openPrinter(r.printerName);
    if (!printer) {
        notify(withName(kMsgPrinterUnavailable, r.printerName));
        return false;
    }
    printer->setDocName(tk::toQt(rec.docName));
    printer->setFullPage(true);
    printer->setPageSize(rec.pageSize);
    printer->setPageOrientation(rec.orientation);
    printer->setCopyCount(1);

    QPainter p;
    if (!p.begin(printer.get())) {
        notify(withName(kMsgPrintFailed, r.printerName));
        return false;
    }
    progressOpen();
    int n = 0;
    bool ok = true;
    for (int copy = 0; copy < r.copies && ok; ++copy) {
        for (int page = from; page <= to; ++page) {
            if (n > 0 && !printer->newPage()) {
                ok = false;
                break;
            }
            p.save();
            mapToDevice(p, rec, printer->logicalDpiX(), printer->logicalDpiY());
            paintPage(p, rec, page - 1);
            p.restore();
            progressPage(++n);
        }
    }
    ok = p.end() && ok && printer->printerState() != QPrinter::Error;
    progressClose();
    if (!ok)
        notify(withName(kMsgPrintFailed, r.printerName));
    return ok;
}

bool writePdf(const Recording& rec, QIODevice& out) {
    QPdfWriter writer(&out);
    const int res = static_cast<int>(std::lround(rec.dpiX));
    writer.setResolution(res);
    writer.setTitle(tk::toQt(rec.docName));
    writer.setCreator(QStringLiteral("Deltranota"));
    if (!writer.setPageLayout(QPageLayout(rec.pageSize, rec.orientation, QMarginsF())))
        return false;
    QPainter p;
    if (!p.begin(&writer))
        return false;
    const int pages = std::max<int>(1, static_cast<int>(rec.pages.size()));
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !writer.newPage()) {
            p.end();
            return false;
        }
        p.save();
        mapToDevice(p, rec, res, res);
        paintPage(p, rec, i);
        p.restore();
    }
    return p.end();
}

bool savePdfFile(const Recording& rec, const std::string& path) {
    QSaveFile f(tk::toQt(path));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (!writePdf(rec, f) || f.error() != QFileDevice::NoError) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

} // namespace dn::print
