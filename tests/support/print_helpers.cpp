#include "tests/support/print_helpers.h"
#include "tests/support/process.h"
#include "toolkit/print/preview.h"

#include <QAbstractButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>

namespace dn::test {

long NumberedRows::skip(long n) {
    if (n_ == 0)
        return 0;
    const long to = std::clamp(pos_ + n, 1L, n_);
    const long moved = to - pos_;
    pos_ = to;
    return moved;
}

PrintEnv::PrintEnv() : settings_(print::settings()), choice_(print::printerChoice()) {
    print::settings() = print::Settings{};
    print::settings().printers = [] { return std::vector<std::string>{}; };
    print::settings().defaultPrinter = [] { return std::string(); };
    print::settings().mainTitle = [] { return std::string("Deltranota"); };
    print::printerChoice() = print::PrinterChoice{};
}

PreviewCapture::PreviewCapture() {
    print::settings().previewShown = [this](TPreview& pv) {
        recordings.push_back(pv.Recording());
        pv.ToolButton(TPreview::Exit)->click();
    };
}

PrintEnv::~PrintEnv() {
    print::settings() = settings_;
    print::printerChoice() = choice_;
}

std::string run(const std::string& program, const std::vector<std::string>& args) {
    std::string line = shellQuote(program);
    for (const std::string& a : args)
        line += " " + shellQuote(a);
    return commandOutput(line);
}

std::vector<PdfWord> pdfWords(const std::string& pdf) {
    const QString html = QString::fromStdString(run("pdftotext", {"-bbox", pdf, "-"}));
    std::vector<PdfWord> out;
    int page = 0;
    static const QRegularExpression re(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    auto it = re.globalMatch(html);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        PdfWord w;
        w.page = page;
        w.xMin = m.captured(1).toDouble();
        w.yMin = m.captured(2).toDouble();
        w.xMax = m.captured(3).toDouble();
        w.yMax = m.captured(4).toDouble();
        w.text = m.captured(5).replace(QStringLiteral("&amp;"), QStringLiteral("&")).toStdString();
        out.push_back(w);
    }
    return out;
}

std::vector<PdfWord> findWords(const std::vector<PdfWord>& words, const std::string& text,
                               int page) {
    std::vector<PdfWord> out;
    for (const auto& w : words)
        if (w.text == text && (page == 0 || w.page == page))
            out.push_back(w);
    return out;
}

std::string pdfInfo(const std::string& pdf, const std::string& field) {
    const std::string out = run("pdfinfo", {pdf});
    const std::string key = field + ":";
    const auto at = out.find(key);
    if (at == std::string::npos)
        return {};
    auto start = out.find_first_not_of(' ', at + key.size());
    return out.substr(start, out.find('\n', start) - start);
}

} // namespace dn::test
