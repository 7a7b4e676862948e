#include "app/settings_dialogs.h"

#include "app/panel.h"
#include "app/settings.h"
#include "common/config/variables.h"
#include "common/ui/valid.h"
#include "toolkit/binding.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/get.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <map>
#include <vector>

namespace dn::app {

namespace {

constexpr int kNameWidth = 20;

std::string nameVar(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "CFG_NM%02d", i);
    return buf;
}

Binding configBinding(const std::string& name) {
    return Binding{[name] { return config::variables().get(name); },
                   [name](const Value& v) { config::variables().set(name, v); }};
}

// A rule for the close check: the control is valid while test() holds.
Value rule(std::function<bool()> test) {
    return Value(Callable([test = std::move(test)](const ValueList&) { return Value(test()); }));
}

// The values of some variables, to put back when a dialog is cancelled.
class Snapshot {
public:
    explicit Snapshot(const std::vector<std::string>& names) {
        for (const auto& n : names)
            values_[n] = config::variables().get(n);
    }
    void restore() const {
        for (const auto& [n, v] : values_)
            config::variables().set(n, v);
    }

private:
    std::map<std::string, Value> values_;
};

// Buttons 201 (confirm, result 1) and 202 (cancel) by the dialog conventions.
void bindButtons(TDialog& dlg) {
    TButton::Redefine(
        201,
        [&dlg] {
            dlg.Cargo = Value(1);
            dlg.End(1);
        },
        dlg);
    TButton::Redefine(
        202,
        [&dlg] {
            dlg.Cargo = Value(2);
            dlg.End(0);
        },
        dlg);
}

// Shows dlg centred and modal with the common close check; true when confirmed.
bool runDialog(TDialog& dlg) {
    TDialog::ActivateOptions opts;
    opts.centered = true;
    opts.valid = ui::validBlock(dlg, false);
    return dlg.Activate(opts) == 1;
}

std::string trimRight(std::string s) {
    const size_t end = s.find_last_not_of(' ');
    s.erase(end == std::string::npos ? 0 : end + 1);
    return s;
}

QSize screenSize() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(1024, 768);
}

} // namespace

bool NOMI() {
    auto& vars = config::variables();
    std::vector<std::string> names;
    for (int i = 1; i <= kSlots; ++i)
        names.push_back(nameVar(i));
    const Snapshot before(names);
    for (const auto& n : names) {
        std::string v = vars.text(n);
        if (v.size() < kNameWidth)
            v.resize(kNameWidth, ' ');
        vars.set(n, Value(v));
    }

    TDialog dlg("NOMI");
    for (int i = 1; i <= kSlots; ++i) {
        GetOptions o;
        o.varName = names[static_cast<size_t>(i - 1)];
        TGet* get =
            TGet::Redefine(100 + i, configBinding(names[static_cast<size_t>(i - 1)]), dlg, o);
        if (i == 1)
            get->Cargo = rule(
                [name = names[0]] { return !trimRight(config::variables().text(name)).empty(); });
    }
    bindButtons(dlg);
    if (!runDialog(dlg)) {
        before.restore();
        return false;
    }
    for (const auto& n : names)
        vars.set(n, Value(trimRight(vars.text(n))));
    return saveConfig();
}

bool POSINIZ(TDialog& panel) {
    auto& vars = config::variables();
    const Snapshot before({"CFG_SUP", "CFG_SOT", "CFG_SIN", "CFG_DES"});
    // The fields edit by the kind of their variable: make sure it is the right one.
    vars.set("CFG_SUP", Value(vars.number("CFG_SUP")));
    vars.set("CFG_SIN", Value(vars.number("CFG_SIN")));
    vars.set("CFG_SOT", Value(vars.logical("CFG_SOT")));
    vars.set("CFG_DES", Value(vars.logical("CFG_DES")));

    const QSize screen = screenSize();
    const QRect outer = panel.hWnd() ? panel.hWnd()->frameGeometry() : QRect();
    const double maxTop = screen.height() - outer.height();
    const double maxLeft = screen.width() - outer.width();
    auto topOk = [maxTop] { return config::variables().number("CFG_SUP") <= maxTop; };
    auto leftOk = [maxLeft] { return config::variables().number("CFG_SIN") <= maxLeft; };

    TDialog dlg("POSINIZ");
    GetOptions top;
    top.picture = "@E 9999";
    top.valid = topOk;
    top.varName = "CFG_SUP";
    TGet::Redefine(101, configBinding("CFG_SUP"), dlg, top)->Cargo = rule(topOk);
    TCheckBox::Redefine(102, configBinding("CFG_SOT"), dlg);
    GetOptions left;
    left.picture = "@E 9999";
    left.valid = leftOk;
    left.varName = "CFG_SIN";
    TGet::Redefine(103, configBinding("CFG_SIN"), dlg, left)->Cargo = rule(leftOk);
    TCheckBox::Redefine(104, configBinding("CFG_DES"), dlg);
    bindButtons(dlg);
    if (!runDialog(dlg)) {
        before.restore();
        return false;
    }
    return saveConfig();
}

} // namespace dn::app
