#pragma once

// What printing takes from outside itself: the installed printers, the devices
// it prints on, the file dialog, the instance's temporary folder, the main
// window's title and the page-counting wait box. Each has a default that uses the
// system; the program and the tests replace what they need.

#include "toolkit/filedialog.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPrinter;

namespace dn {
class TPreview;
}

namespace dn::print {

// The wait box that counts pages while printing: open before the first page,
// page(n) after page n went out (n runs on across copies), close at the end.
struct PrintProgress {
    std::function<void()> open;
    std::function<void(int n)> page;
    std::function<void()> close;
};

struct Settings {
    // Names of the installed printers (default: the system's; empty without any).
    std::function<std::vector<std::string>()> printers;
    // The system's default printer (default: the system's; empty without any).
    std::function<std::string()> defaultPrinter;
    // The device that prints on the named printer (default: a high-resolution
    // QPrinter for it); nullptr when the printer cannot be opened.
    std::function<std::unique_ptr<QPrinter>(const std::string& name)> openPrinter;
    // The file to save to, or nothing when the user cancels (default: tk::askFile,
    // opening where the user saved last time; it does not ask about overwriting:
    // the caller does).
    std::function<std::optional<std::string>(const tk::FileRequest&)> askSaveFile;
    // The folder where a PDF to send is made (default, and when it gives the empty
    // text: Qt's temporary folder). The program installs the instance's folder
    // (ui::installUi).
    std::function<std::string()> tempFolder;
    // The main window's title, which the preview's title begins with (default: the
    // application's display name).
    std::function<std::string()> mainTitle;
    // Called from the preview's own event loop once it shows: GUI tests drive it.
    std::function<void(TPreview&)> previewShown;
    // The page-counting wait box (default: a wait text through dn::messages()).
    PrintProgress progress;
};

Settings& settings();

// The settings' answers, with the defaults for what is not set.
std::vector<std::string> printerNames();
std::string defaultPrinterName();
std::unique_ptr<QPrinter> openPrinter(const std::string& name);
std::optional<std::string> askSaveFile(const tk::FileRequest& r);
// With a trailing separator.
std::string tempFolder();
std::string mainTitle();
void progressOpen();
void progressPage(int n);
void progressClose();

} // namespace dn::print
