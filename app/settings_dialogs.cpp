#include "app/settings_dialogs.h"

#include "app/panel.h"
#include "app/settings.h"
#include "common/config/variables.h"
#include "common/ui/valid.h"
#include "common/util/trim.h"
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

// Shows dlg centred and modal with the common close check; true when confirmed.
bool runDialog(TDialog& dlg) {
    TDialog::ActivateOptions opts;
    opts.centered = true;
    opts.valid = ui::validBlock(dlg, false);
    return dlg.Activate(opts) == 1;
}

// A margin field bound to the variable name: "@E 9999", at most max.
void marginField(TDialog& dlg, int id, const std::string& name, double max) {
    auto ok = [name, max] { return config::variables().number(name) <= max; };
    GetOptions o;
    o.picture = "@E 9999";
    o.valid = ok;
    o.varName = name;
    TGet::Redefine(id, configBinding(name), dlg, o)->Cargo = ui::validRule(ok);
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
            get->Cargo = ui::validRule(
                [name = names[0]] { return !trimRight(config::variables().text(name)).empty(); });
    }
    ui::bindConfirmCancel(dlg);
    if (!runDialog(dlg)) {
        before.restore();
        return false;
    }
    for (const auto& n : names)
        vars.set(n, Value(std::string(trimRight(vars.text(n)))));
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

    TDialog dlg("POSINIZ");
    marginField(dlg, 101, "CFG_SUP", maxTop);
    TCheckBox::Redefine(102, configBinding("CFG_SOT"), dlg);
    marginField(dlg, 103, "CFG_SIN", maxLeft);
    TCheckBox::Redefine(104, configBinding("CFG_DES"), dlg);
    ui::bindConfirmCancel(dlg);
    if (!runDialog(dlg)) {
        before.restore();
        return false;
    }
    return saveConfig();
}

} // namespace dn::app
