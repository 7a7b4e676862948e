#include "common/ui/prompts.h"

#include "common/ui/msgtext.h"
#include "common/ui/valid.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/get.h"
#include "toolkit/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QSysInfo>

namespace dn::ui {

namespace {

// Label text showing a message text as it is: ";" a line break, "&" no shortcut.
std::string labelText(std::string_view text) {
    std::string out;
    for (char c : displayText(messageText(text))) {
        if (c == '&')
            out.push_back('&');
        out.push_back(c);
    }
    return out;
}

} // namespace

bool MSGGET(std::string_view title, std::string_view prompt, Value& value, std::string_view mask) {
    TDialog dlg("MSGGET");
    dlg.SetText(messageText(title));
    Value copy = value;
    const std::string shown = labelText(prompt);
    TSay::Redefine(
        101, [shown] { return shown; }, dlg);
    GetOptions go;
    go.picture = std::string(mask);
    go.change = [&dlg] { dlg.lModify = true; };
    TGet::Redefine(102, bindVar(copy), dlg, go);
    bindConfirmCancel(dlg);
    TDialog::ActivateOptions ao;
    ao.centered = true;
    ao.valid = validBlock(dlg, false);
    dlg.Activate(ao);
    if (dlg.nResult != 1)
        return false;
    value = copy;
    return true;
}

bool MSGGET(std::string_view title, std::string_view prompt, std::string& value,
            std::string_view mask) {
    Value v(value);
    if (!MSGGET(title, prompt, v, mask))
        return false;
    if (v.isText())
        value = v.text();
    return true;
}

bool MSGGET(std::string_view title, std::string_view prompt, Date& value, std::string_view mask) {
    Value v(value);
    if (!MSGGET(title, prompt, v, mask))
        return false;
    if (v.isDate())
        value = v.date();
    return true;
}

bool MSGGET(std::string_view title, std::string_view prompt, double& value, std::string_view mask) {
    Value v(value);
    if (!MSGGET(title, prompt, v, mask))
        return false;
    if (v.isNumber())
        value = v.number();
    return true;
}

std::array<std::string, 3> aboutLines() {
    const auto native = [](const QString& path) {
        return tk::fromQt(QDir::toNativeSeparators(path));
    };
    return {"Cartella dati: " + native(QDir::currentPath()),
            "Programma: " + native(QCoreApplication::applicationFilePath()),
            "Qt " + std::string(qVersion()) + " su " + tk::fromQt(QSysInfo::prettyProductName())};
}

void INFOS(std::string_view product, std::string_view version, std::string_view year,
           std::string_view line1, std::string_view line2, std::string_view line3) {
    TDialog dlg("INFOS");
    TImage::Redefine(101, "VELT", dlg);
    const auto line = [&dlg](int id, std::string text) {
        const std::string shown = labelText(text);
        TSay::Redefine(
            id, [shown] { return shown; }, dlg);
    };
    const std::array<std::string, 3> own = aboutLines();
    const auto orOwn = [](std::string_view given, const std::string& fallback) {
        return messageText(given).empty() ? fallback : std::string(given);
    };
    line(102, std::string(product));
    line(103, "Versione: " + std::string(version));
    line(104, "\xA9 " + std::string(year) + " " + std::string(product));
    line(106, orOwn(line1, own[0]));
    line(107, orOwn(line2, own[1]));
    line(108, orOwn(line3, own[2]));
    TButton::Redefine(
        201, [&dlg] { dlg.End(1); }, dlg);
    TDialog::ActivateOptions ao;
    ao.centered = true;
    dlg.Activate(ao);
}

} // namespace dn::ui
