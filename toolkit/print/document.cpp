#include "toolkit/print/document.h"

#include "common/util/messages.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/get.h"
#include "toolkit/print/mail.h"
#include "toolkit/print/output.h"
#include "toolkit/print/settings.h"
#include "toolkit/toolkit.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace dn::print {

namespace {

void notify(const std::string& text) {
    messages().ask(1, text, "Attenzione");
}

bool endsWithPdf(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".pdf";
}

// Writes the PDF with the wait text shown; false (after the error message) when
// writing failed.
bool makePdf(const Recording& rec, const std::string& path) {
    messages().showWait(kMsgPdfWait, "Attendere", false);
    tk::cursorWait();
    const bool ok = savePdfFile(rec, path);
    tk::cursorArrow();
    messages().closeWait();
    if (!ok)
        notify(kMsgPdfError);
    return ok;
}

// Files handed to mail programs that may still read them.
struct MailedFiles {
    std::vector<std::string> paths;
    ~MailedFiles() { removeAll(); }
    void removeAll() {
        for (const auto& p : paths)
            QFile::remove(tk::toQt(p));
        paths.clear();
    }
};

MailedFiles& mailedFiles() {
    static MailedFiles m;
    return m;
}

} // namespace

std::string fileNameFor(const std::string& docName) {
    std::string out;
    for (char c : docName) {
        const auto u = static_cast<unsigned char>(c);
        const bool bad = u < 0x20 || u == 0x7F ||
                         std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
        out += bad ? '_' : c;
    }
    // Trailing dots and blanks are dropped by Windows; leading ones hide the file.
    while (!out.empty() && (out.back() == '.' || out.back() == ' '))
        out.pop_back();
    while (!out.empty() && (out.front() == '.' || out.front() == ' '))
        out.erase(out.begin());
    return out.empty() ? std::string("Documento") : out;
}

bool printWithDialog(const Recording& rec, int currentPage, TWindow* owner) {
    if (rec.noPrint || rec.pages.empty())
        return false;
    const std::vector<std::string> names = printerNames();
    if (names.empty()) {
        notify(kMsgNoPrinter);
        return false;
    }
    const int total = static_cast<int>(rec.pages.size());
    auto has = [&](const std::string& n) {
        return std::find(names.begin(), names.end(), n) != names.end();
    };
    std::string printer = has(rec.printerName)        ? rec.printerName
                          : has(defaultPrinterName()) ? defaultPrinterName()
                                                      : names.front();
    int range = 1;
    int from = 1;
    int to = total;
    int copies = 1;

    TDialog dlg("PRINT", owner);
    TComboBox::Redefine(101, bindVar(printer), names, dlg);
    DataOptions rangeOpts;
    rangeOpts.change = [&dlg] { dlg.AEvalWhen(); };
    TRadMenu::Redefine(bindVar(range), dlg, {102, 103, 104}, rangeOpts);
    GetOptions pageOpts;
    pageOpts.picture = "9999";
    pageOpts.when = [&range] { return range == 3; };
    TGet::Redefine(105, bindVar(from), dlg, pageOpts);
    TGet::Redefine(106, bindVar(to), dlg, pageOpts);
    GetOptions copyOpts;
    copyOpts.picture = "999";
    TGet::Redefine(107, bindVar(copies), dlg, copyOpts);
    TButton::Redefine(
        201,
        [&] {
            for (TWindow* c : dlg.aControls)
                c->FinishEdit();
            if (range == 3 && (from < 1 || to > total || from > to)) {
                notify(kMsgBadRange);
                return;
            }
            if (copies < 1) {
                notify(kMsgBadCopies);
                return;
            }
            dlg.End(1);
        },
        dlg);
    TButton::Redefine(
        202, [&dlg] { dlg.End(2); }, dlg);
    TDialog::ActivateOptions opts;
    opts.centered = true;
    if (dlg.Activate(opts) != 1)
        return false;

    PrintRequest r;
    r.printerName = printer;
    r.copies = copies;
    if (range == 2) {
        r.from = r.to = std::clamp(currentPage, 1, total);
    } else if (range == 3) {
        r.from = from;
        r.to = to;
    }
    return printRecording(rec, r);
}

std::string savePdfAs(const Recording& rec) {
    tk::FileRequest req;
    req.save = true;
    req.title = "Salva in";
    req.filter = "File PDF (*.pdf)|*.pdf";
    req.name = fileNameFor(rec.docName) + ".pdf";
    const std::optional<std::string> chosen = askSaveFile(req);
    if (!chosen || chosen->empty())
        return {};
    std::string path = *chosen;
    if (!endsWithPdf(path))
        path += ".pdf";
    if (QFileInfo::exists(tk::toQt(path)) &&
        messages().ask(4, "Il file " + path + " gi\xE0 esiste. Lo sovrascrivo?", "Attenzione") != 1)
        return {};
    return makePdf(rec, path) ? path : std::string();
}

bool mailPdf(const Recording& rec) {
    const std::string path = tempFolder() + fileNameFor(rec.docName) + ".pdf";
    if (!makePdf(rec, path))
        return false;
    const MailResult r = mailAttachment(path, rec.docName);
    if (r.fileInUse) {
        auto& v = mailedFiles().paths;
        if (std::find(v.begin(), v.end(), path) == v.end())
            v.push_back(path);
    } else {
        QFile::remove(tk::toQt(path));
    }
    if (r.status == MailStatus::NoMailProgram)
        notify(kMsgNoMail);
    else if (r.status == MailStatus::Failed)
        notify(kMsgMailFailed);
    return r.status == MailStatus::Opened;
}

void deleteMailedFiles() {
    mailedFiles().removeAll();
}

} // namespace dn::print
