#include "common/ui/startup.h"

#include "common/data/library.h"
#include "common/ui/painting.h"
#include "common/ui/popmsg.h"
#include "toolkit/print/settings.h"
#include "toolkit/toolkit.h"

namespace dn::ui {

void installUi(std::function<bool()> isMakerWorkstation) {
    setMakerWorkstationCheck(std::move(isMakerWorkstation));
    tk::Settings& s = tk::settings();
    s.defaultFontFace = GETSYSFONT();
    s.isWindows10 = true;
    s.largeFonts = false;
    s.backgroundColor = [](int index) { return GETSYSBGCOLOR(index); };
    tk::init();
    installMessages();
    // Printing counts its pages in the page-counting wait box.
    print::PrintProgress& progress = print::settings().progress;
    progress.open = [] {
        WaitMsg w;
        w.printing = true;
        POPMSG(w);
    };
    progress.page = [](int) {
        WaitMsg w;
        w.nextPage = true;
        POPMSG(w);
    };
    progress.close = [] { POPMSG(); };
    // PDFs to send are made in the instance's own folder (ACS_TEMP) once the
    // program has one, else in the system's temporary folder.
    print::settings().tempFolder = [] {
        const std::string own = data::access().temp;
        return own.empty() ? data::tempFolder() : own;
    };
}

void uninstallUi() {
    print::settings().progress = {};
    print::settings().tempFolder = {};
    uninstallMessages();
}

} // namespace dn::ui
