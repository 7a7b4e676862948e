#include "common/ui/startup.h"

#include "common/ui/painting.h"
#include "common/ui/popmsg.h"
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
}

void uninstallUi() {
    uninstallMessages();
}

} // namespace dn::ui
