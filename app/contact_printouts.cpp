#include "app/contact_printouts.h"

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
    labelled("NOMINATIVO:", controlText(dlg, "nomi"));
    PRINTTXT({}, nl, false, nl, false, *prn, &arial);
    labelled("INDIRIZZO:", controlText(dlg, "indi"));
    labelled("C.A.P.:", controlText(dlg, "cap"));
    labelled("CITTA':", controlText(dlg, "citt"));
    labelled("TEL. UFFICIO:", std::string(trimBlanks(controlText(dlg, "tel1"))) + "  " +
                                  std::string(trimBlanks(controlText(dlg, "tel2"))) + "  " +
                                  controlText(dlg, "tel3"));
    labelled("CASA:", controlText(dlg, "casa"));
    labelled("CELLULARE:", controlText(dlg, "cell"));
    labelled("FAX:", controlText(dlg, "fax"));
    labelled("E-MAIL:", controlText(dlg, "mail"));
    for (int i = 0; i < 3; ++i)
        PRINTTXT({}, nl, false, nl, false, *prn, &arial);
    PRINTTXT({"NOTE:"}, nl, false, nl, false, *prn, &bold);
    PRINTTXT({}, nl, false, nl, false, *prn, &arial);
    ui::PRINTMEMO(controlText(dlg, "note_"), kCardNoteLines, *prn, &courier);

    endGridPrint(*prn);
}

void BUSTA(TDialog& dlg) {
    PortraitAfter portrait;
    auto prn = TPrinter::New("Stampa busta", true);
    const TFont bold("Arial", 0, -12, true);
    prn->StartPage();
    ui::PFEED(2);
    ui::SETPROW(50.0 * prn->nVertRes() / ui::kGridLines);
    const std::string lines[] = {
        controlText(dlg, "nomi"),
        controlText(dlg, "indi"),
        controlText(dlg, "cap") + " " + controlText(dlg, "citt"),
    };
    for (const std::string& text : lines) {
        PRINTTXT({}, nl, false, nl, false, *prn, &bold);
        PRINTTXT({text}, 30, false, nl, false, *prn, &bold);
    }
    endGridPrint(*prn);
}

} // namespace dn::app
