#include "app/menu.h"

#include "app/backup.h"
#include "app/maintenance.h"
#include "app/panel.h"
#include "app/procedures.h"
#include "app/product.h"
#include "app/settings_dialogs.h"
#include "common/ui/calendar.h"
#include "common/ui/prompts.h"
#include "toolkit/dialog.h"
#include "toolkit/menu.h"
#include "toolkit/print/setup.h"

#include <functional>

namespace dn::app {

void CREAMENU(TDialog& panel, int row, int col, int clickRow, int& n) {
    TMenu menu;
    // Every item leaves the top-most layer while it works.
    auto item = [&panel](const char* prompt, std::function<void()> work) {
        return TMenuItem(prompt, [&panel, work = std::move(work)] {
            ONBACK(panel);
            work();
            ONTOP(panel);
        });
    };
    // Asks the panel to rebuild itself.
    auto rebuild = [&panel, &n] {
        n = 0;
        panel.End(0);
    };

    menu.Add(item("Rubrica telefonica...", [] { RUBRICA(); }));
    menu.AddSeparator();
    menu.Add(item("Calendario...", [&panel, clickRow, &n] {
        if (const auto day = ui::CALENDAR())
            SCADENZE(panel, clickRow, n, *day);
    }));
    menu.AddSeparator();
    menu.Add(item("Gestione nomi...", [rebuild] {
        if (NOMI())
            rebuild();
    }));
    menu.Add(item("Posizione iniziale...", [&panel, rebuild] {
        if (POSINIZ(panel))
            rebuild();
    }));
    menu.AddSeparator();
    menu.Add(item("Manutenzione archivi...", [] { MANUTENZ(); }));
    menu.AddSeparator();
    menu.Add(item("Imposta stampante...", [&panel] { PRINTERSETUP(&panel); }));
    menu.AddSeparator();
    menu.Add(item("Salvataggio dati...", [] { SALVA({"DELTRA.CFG"}); }));
    // A restored configuration may name other people or another position.
    menu.Add(item("Ripristino dati...", [rebuild] {
        if (RICARICA())
            rebuild();
    }));
    menu.AddSeparator();
    menu.Add(item("Informazioni...", [] { ui::INFOS(kProductName, kVersion, kYear); }));
    menu.Activate(row, col, &panel);
}

} // namespace dn::app
