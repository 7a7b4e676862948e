#include "app/contact_printouts.h"

#include "app/contact_editor.h"

#include "app/printouts.h"
#include "common/data/errors.h"
#include "common/data/workspace.h"
#include "common/ui/arearows.h"
#include "common/ui/linegrid.h"
#include "common/util/clock.h"
#include "common/util/format.h"
#include "common/util/trim.h"
#include "toolkit/print/report.h"
#include "toolkit/print/setup.h"

#include <optional>

namespace dn::app {

namespace {

using ui::PRINTTXT;
constexpr std::nullopt_t nl = std::nullopt;

// Lines of notes the card always prints.
constexpr int kCardNoteLines = 35;

// Portrait again when the printout ends, whichever way it ends.
struct PortraitAfter {
    PortraitAfter() { PRNLANDSCAPE(); }
    ~PortraitAfter() { PRNPORTRAIT(); }
    PortraitAfter(const PortraitAfter&) = delete;
    PortraitAfter& operator=(const PortraitAfter&) = delete;
};

std::string field(const char* name) {
    const Value v = data::FIELDGET(name);
    return v.isText() ? v.text() : CVALTOCHAR(v);
}

} // namespace

void STAMPA3() {
    PortraitAfter portrait;
    ui::AreaRows rows(data::area());
    data::protect([&] {
        TReport::Options o;
        o.docName = "Stampa rubrica telefonica";
        o.fonts = {TFont("Courier New", 0, -8), TFont("Courier New", 0, -8, true)};
        o.header = {TReport::HdrLine("STAMPA RUBRICA TELEFONICA"),
                    [](TReport&) { return std::string(); }};
        auto report = TReport::New(rows, o);
        report->SetColTitFont(2);
        const auto column = [&](const char* title, const char* name, int width) {
            report->AddColumn(
                {title}, [name] { return Value(field(name)); }, width);
        };
        column("NOMINATIVO", "NOMINATIVO", 35);
        column("INDIRIZZO", "INDIRIZZO", 35);
        column("C.A.P.", "CAP", 5);
        column("CITTA'", "CITTA", 30);
        report->AddColumn(
            {"TEL. UFFICIO"},
            [] {
                return Value(std::string(trimBlanks(field("TELEFONO1"))) + " " +
                             field("TELEFONO2"));
            },
            31);
        column("CASA", "CASA", 15);
        column("CELLULARE", "CELLULARE", 15);
        column("FAX", "FAX", 15);
        column("E-MAIL", "E_MAIL", 28);
        report->Activate();
    });
}

void STAMPA4(TDialog& dlg) {
    const auto shown = [&dlg](const char* control) { return controlText(dlg, control); };
    auto prn = TPrinter::New("Stampa scheda", true);
    const TFont arial("Arial", 0, -12), bold("Arial", 0, -12, true), courier("Courier New", 0, -12);
    prn->StartPage();
    ui::PFEED(1.3);

    PRINTTXT({"STAMPA SCHEDA"}, nl, false, nl, false, *prn, &arial);
    PRINTTXT({clock::today().toText()}, 37, false, nl, false, *prn, &arial);
    for (int i = 0; i < 6; ++i)
        PRINTTXT({}, nl, false, nl, false, *prn, &arial);
    const auto labelled = [&](const char* label, const std::string& value) {
        PRINTTXT({label}, nl, false, nl, false, *prn, &bold);
        PRINTTXT({value}, 14, false, nl, false, *prn, &arial);
    };
    labelled("NOMINATIVO:", shown(contactControl("NOMINATIVO")));
    PRINTTXT({}, nl, false, nl, false, *prn, &arial);
    labelled("INDIRIZZO:", shown(contactControl("INDIRIZZO")));
    labelled("C.A.P.:", shown(contactControl("CAP")));
    labelled("CITTA':", shown(contactControl("CITTA")));
    labelled("TEL. UFFICIO:", std::string(trimBlanks(shown(contactControl("TELEFONO1")))) + "  " +
                                  std::string(trimBlanks(shown(contactControl("TELEFONO2")))) +
                                  "  " + shown(contactControl("TELEFONO3")));
    labelled("CASA:", shown(contactControl("CASA")));
    labelled("CELLULARE:", shown(contactControl("CELLULARE")));
    labelled("FAX:", shown(contactControl("FAX")));
    labelled("E-MAIL:", shown(contactControl("E_MAIL")));
    for (int i = 0; i < 3; ++i)
        PRINTTXT({}, nl, false, nl, false, *prn, &arial);
    PRINTTXT({"NOTE:"}, nl, false, nl, false, *prn, &bold);
    PRINTTXT({}, nl, false, nl, false, *prn, &arial);
    ui::PRINTMEMO(shown(contactControl("NOTE")), kCardNoteLines, *prn, &courier);

    endGridPrint(*prn);
}

void BUSTA(TDialog& dlg) {
    const auto shown = [&dlg](const char* control) { return controlText(dlg, control); };
    PortraitAfter portrait;
    auto prn = TPrinter::New("Stampa busta", true);
    const TFont bold("Arial", 0, -12, true);
    prn->StartPage();
    ui::PFEED(2);
    ui::SETPROW(50.0 * prn->nVertRes() / ui::kGridLines);
    const std::string lines[] = {
        shown(contactControl("NOMINATIVO")),
        shown(contactControl("INDIRIZZO")),
        shown(contactControl("CAP")) + " " + shown(contactControl("CITTA")),
    };
    for (const std::string& text : lines) {
        PRINTTXT({}, nl, false, nl, false, *prn, &bold);
        PRINTTXT({text}, 30, false, nl, false, *prn, &bold);
    }
    endGridPrint(*prn);
}

} // namespace dn::app
