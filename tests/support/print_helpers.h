#pragma once

#include "toolkit/print/recording.h"
#include "toolkit/print/settings.h"
#include "toolkit/print/setup.h"
#include "toolkit/rowsource.h"

#include <string>
#include <vector>

namespace dn::test {

// A row source over n rows numbered 1..n, for reports.
class NumberedRows : public RowSource {
public:
    explicit NumberedRows(long n) : n_(n), pos_(n > 0 ? 1 : 0) {}
    void goTop() override { pos_ = n_ > 0 ? 1 : 0; }
    void goBottom() override { pos_ = n_; }
    long skip(long n) override;
    bool eof() const override { return pos_ < 1 || pos_ > n_; }
    long position() const override { return pos_; }
    void goTo(long p) override { pos_ = p; }
    long count() override { return n_; }
    // Times goTo was called (the report puts the row back with it).
    int restores = 0;

private:
    long n_;
    long pos_;
};

// Printing settings and the printer choice as they were, back when this ends; the
// job starts with no printers installed, unless the test says otherwise.
class PrintEnv {
public:
    PrintEnv();
    ~PrintEnv();
    PrintEnv(const PrintEnv&) = delete;
    PrintEnv& operator=(const PrintEnv&) = delete;

private:
    print::Settings settings_;
    print::PrinterChoice choice_;
};

// Keeps the recording of every preview that opens, and closes the preview at
// once. Install after PrintEnv (which puts the settings back).
class PreviewCapture {
public:
    PreviewCapture();
    std::vector<print::Recording> recordings;
};

// One word of `pdftotext -bbox`: its box in points from the page's top-left.
struct PdfWord {
    int page = 0; // 1-based
    std::string text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};
std::vector<PdfWord> pdfWords(const std::string& pdf);
// The words of page `page` that equal text.
std::vector<PdfWord> findWords(const std::vector<PdfWord>& words, const std::string& text,
                               int page = 0);
// A field of `pdfinfo` ("Pages", "Page size").
std::string pdfInfo(const std::string& pdf, const std::string& field);
// Runs a program and returns its standard output; fails the test when it fails.
std::string run(const std::string& program, const std::vector<std::string>& args);

// Points on the PDF page of a position in device units of the recording's
// printable area.
inline double pointsX(const print::Recording& r, double x) {
    return (r.printable.left() + x) * 72.0 / r.dpiX;
}
inline double pointsY(const print::Recording& r, double y) {
    return (r.printable.top() + y) * 72.0 / r.dpiY;
}

} // namespace dn::test
