#include "app/deadline_printouts.h"

#include "app/deadline_editor.h"
#include "app/printouts.h"
#include "common/data/errors.h"
#include "common/data/workspace.h"
#include "common/ui/arearows.h"
#include "common/ui/linegrid.h"
#include "common/util/calendar.h"
#include "common/util/cp1252.h"
#include "common/util/format.h"
#include "toolkit/print/report.h"

#include <optional>

namespace dn::app {

namespace {

using ui::PRINTTXT;
constexpr std::nullopt_t nl = std::nullopt;

// Lines of the task text the sheet always prints.
constexpr int kSheetTaskLines = 40;

Date deadlineDate() {
    const Value v = data::FIELDGET("DATA");
    return v.isDate() ? v.date() : Date();
}

// The task text on one line: every CR LF becomes one blank.
std::string taskOnOneLine() {
    const Value v = data::FIELDGET("INCOMBENZA");
    std::string text = v.isText() ? v.text() : std::string();
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += ' ';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

void STAMPA(const std::string& name) {
    ui::AreaRows rows(data::area());
    data::protect([&] {
        TReport::Options o;
        o.docName = "Stampa scadenze";
        o.fonts = {TFont("Courier New", 0, -12), TFont("Courier New", 0, -12, true)};
        const auto empty = [](TReport&) { return std::string(); };
        o.header = {TReport::HdrLine("STAMPA SCADENZE DI " + upper1252(name)), empty, empty};
        auto report = TReport::New(rows, o);
        report->SetColTitFont(2);
        report->AddColumn(
            {"DATA"}, [] { return Value(deadlineDate()); }, 10, "CENTER");
        report->AddColumn(
            {""}, [] { return Value(CDAY(deadlineDate()).substr(0, 3)); }, 0);
        report->AddColumn(
            {"ORA"}, [] { return data::FIELDGET("ORA"); }, 6, "CENTER");
        report->AddColumn(
            {"INCOMBENZA"}, [] { return Value(taskOnOneLine()); }, 70);
        report->AddColumn(
            {"E"},
            [] {
                const Value done = data::FIELDGET("EVASA");
                return Value(done.isLogical() && done.logical() ? "X" : "");
            },
            3, "RIGHT", 2);
        report->Activate();
    });
}

void STAMPA2(TDialog& editor, const std::string& name) {
    auto prn = TPrinter::New("Stampa scadenza", true);
    const TFont arial("Arial", 0, -12), bold("Arial", 0, -12, true), courier("Courier New", 0, -12);
    prn->StartPage();

    PRINTTXT({"STAMPA SCADENZA DI " + upper1252(name)}, nl, false, nl, false, *prn, &arial);
    for (int i = 0; i < 6; ++i)
        PRINTTXT({}, nl, false, nl, false, *prn, &arial);
    std::string date = controlText(editor, kDateControl);
    if (date.empty())
        date = std::string(8, ' ');
    PRINTTXT({"DATA:"}, nl, false, nl, false, *prn, &bold);
    PRINTTXT({date + " " + controlText(editor, kWeekdayControl)}, 8, false, nl, false, *prn,
             &arial);
    PRINTTXT({}, nl, false, nl, false, *prn, &arial);
    PRINTTXT({"ORA:"}, nl, false, nl, false, *prn, &bold);
    PRINTTXT({controlText(editor, kTimeControl)}, 8, false, nl, false, *prn, &arial);
    for (int i = 0; i < 3; ++i)
        PRINTTXT({}, nl, false, nl, false, *prn, &arial);
    PRINTTXT({"INCOMBENZA:"}, nl, false, nl, false, *prn, &bold);
    PRINTTXT({}, nl, false, nl, false, *prn, &arial);
    ui::PRINTMEMO(controlText(editor, kTaskControl), kSheetTaskLines, *prn, &courier);

    endGridPrint(*prn);
}

} // namespace dn::app
