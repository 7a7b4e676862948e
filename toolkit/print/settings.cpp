#include "toolkit/print/settings.h"

#include "common/util/messages.h"
#include "toolkit/text.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

namespace dn::print {

Settings& settings() {
    static Settings s;
    return s;
}

std::vector<std::string> printerNames() {
    if (settings().printers)
        return settings().printers();
    std::vector<std::string> out;
    for (const QString& n : QPrinterInfo::availablePrinterNames())
        out.push_back(tk::fromQt(n));
    return out;
}

std::string defaultPrinterName() {
    if (settings().defaultPrinter)
        return settings().defaultPrinter();
    const QString n = QPrinterInfo::defaultPrinterName();
    if (!n.isEmpty())
        return tk::fromQt(n);
    // A system with printers but no default one: the first of them.
    const auto all = printerNames();
    return all.empty() ? std::string() : all.front();
}

std::unique_ptr<QPrinter> openPrinter(const std::string& name) {
    if (settings().openPrinter)
        return settings().openPrinter(name);
    const QPrinterInfo info = QPrinterInfo::printerInfo(tk::toQt(name));
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

std::optional<std::string> askSaveFile(const tk::FileRequest& r) {
    if (settings().askSaveFile)
        return settings().askSaveFile(r);
    // The dialog opens where the user saved last time, as the system's dialog does.
    static std::string lastFolder = tk::fromQt(QDir::homePath());
    tk::FileRequest req = r;
    req.save = true;
    req.folder = lastFolder;
    const std::optional<std::string> chosen = tk::askFile(req);
    if (chosen)
        lastFolder = tk::fromQt(QFileInfo(tk::toQt(*chosen)).absolutePath());
    return chosen;
}

std::string tempFolder() {
    std::string dir;
    if (settings().tempFolder)
        dir = settings().tempFolder();
    if (dir.empty())
        dir = tk::fromQt(QDir::toNativeSeparators(QDir::tempPath()));
    const char last = dir.back();
    if (last != '/' && last != '\\')
        dir += QDir::separator().toLatin1();
    return dir;
}

std::string mainTitle() {
    if (settings().mainTitle)
        return settings().mainTitle();
    return tk::fromQt(QGuiApplication::applicationDisplayName());
}

namespace {
constexpr const char* kPrintingText = "Sto stampando la pagina n.: ";
}

void progressOpen() {
    if (settings().progress.open)
        settings().progress.open();
    else
        messages().showWait(kPrintingText, "Attendere", false);
}

void progressPage(int n) {
    if (settings().progress.page)
        settings().progress.page(n);
    else
        messages().showWait(kPrintingText + std::to_string(n), "Attendere", true);
    messages().processEvents();
}

void progressClose() {
    if (settings().progress.close)
        settings().progress.close();
    else
        messages().closeWait();
}

} // namespace dn::print
