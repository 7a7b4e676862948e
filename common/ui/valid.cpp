#include "common/ui/valid.h"

#include "common/ui/ctl.h"
#include "common/ui/popmsg.h"
#include "toolkit/get.h"

#include <QApplication>
#include <QPalette>
#include <QPointer>

namespace dn::ui {

namespace {

int g_checksRunning = 0;

struct CheckRunning {
    CheckRunning() { ++g_checksRunning; }
    ~CheckRunning() { --g_checksRunning; }
};

// Shows a validation message with the field painted red meanwhile.
void showFailure(TWindow& ctl, const char* message) {
    QPointer<QWidget> w = ctl.hWnd();
    ctl.SetFocus();
    if (!w) {
        POPMSG(message, 1);
        return;
    }
    const bool ownPalette = w->testAttribute(Qt::WA_SetPalette);
    const QPalette saved = w->palette();
    const bool savedFill = w->autoFillBackground();
    QPalette red = saved;
    const QColor c = tk::toQColor(kInvalidFieldColor);
    for (auto role : {QPalette::Base, QPalette::Window, QPalette::Button})
        red.setColor(role, c);
    w->setPalette(red);
    w->setAutoFillBackground(true);
    w->window()->repaint();
    POPMSG(message, 1);
    if (!w)
        return;
    w->setPalette(ownPalette ? saved : QPalette());
    w->setAutoFillBackground(savedFill);
    w->window()->repaint();
    ctl.SetFocus();
}

// Checks the controls of w in creation order; shows the first failure and
// returns false.
bool checkControls(TWindow& w) {
    for (TWindow* c : w.aControls) {
        if (dynamic_cast<TSay*>(c) || dynamic_cast<TFolder*>(c))
            continue;
        if (auto* combo = dynamic_cast<TComboBox*>(c); combo && combo->IsEditable())
            combo->Assign();
        if (c->bWhen && !c->bWhen())
            continue;
        const char* message = nullptr;
        if (auto* get = dynamic_cast<TGet*>(c)) {
            if (get->Type() == tk::FieldType::Date && get->BadDate())
                message = "Data non valida.";
            else if (get->Type() == tk::FieldType::Number && get->BadNumber())
                message = "Numero troppo grande.";
        }
        if (!message && c->Cargo.isCallable()) {
            const Value ok = c->Cargo.callable()({});
            if (ok.isLogical() && !ok.logical())
                message = "Campo non valido.";
        }
        if (message) {
            showFailure(*c, message);
            return false;
        }
    }
    return true;
}

// The controls of w, then each folder's shown pages in order, each brought to the
// front first. Pages whose tab was taken away cannot be reached by the user and
// are not checked.
bool checkTree(TWindow& w) {
    if (!checkControls(w))
        return false;
    for (TWindow* c : w.aControls) {
        auto* folder = dynamic_cast<TFolder*>(c);
        if (!folder)
            continue;
        const int shown = folder->nTabs();
        for (int i = 0; i < shown && i < static_cast<int>(folder->aDialogs.size()); ++i) {
            folder->SetOption(i + 1);
            if (!checkTree(*folder->aDialogs[static_cast<size_t>(i)]))
                return false;
        }
    }
    return true;
}

// The toolkit object of the control that has the focus inside dlg, or nullptr.
TWindow* focusedControl(TDialog& dlg) {
    QWidget* f = QApplication::focusWidget();
    if (!f || !dlg.hWnd() || !dlg.hWnd()->isAncestorOf(f))
        return nullptr;
    for (QWidget* w = f; w && w != dlg.hWnd(); w = w->parentWidget())
        if (TWindow* t = TWindow::FromWidget(w))
            return t;
    return nullptr;
}

} // namespace

Value validRule(std::function<bool()> test) {
    return Value(Callable([test = std::move(test)](const ValueList&) { return Value(test()); }));
}

void bindEndButton(TDialog& dlg, int id, bool confirms, int result, std::function<void()> action) {
    TButton::Redefine(
        id,
        [&dlg, confirms, result, action = std::move(action)] {
            if (action)
                action();
            dlg.Cargo = Value(confirms ? 1 : 2);
            dlg.End(result);
        },
        dlg);
}

void bindConfirmCancel(TDialog& dlg, int cancelResult) {
    bindEndButton(dlg, 201, true, 1);
    bindEndButton(dlg, 202, false, cancelResult);
}

bool VALID(TDialog& dlg, bool confirm) {
    if (g_checksRunning > 0)
        return false;
    CheckRunning running;
    const Value& cargo = dlg.Cargo;
    const bool abandoning = cargo.isAbsent() || (cargo.isNumber() && cargo.number() == 2);
    if (abandoning) {
        if (!confirm)
            return true;
        UPDATEMODIFY(dlg);
        if (!dlg.lModify)
            return true;
        QPointer<QWidget> focus = QApplication::focusWidget();
        if (POPMSG("Annullo le modifiche?", 5))
            return true;
        if (focus)
            focus->setFocus(Qt::OtherFocusReason);
        return false;
    }
    dlg.Cargo = Value();
    if (TWindow* c = focusedControl(dlg))
        c->FinishEdit();
    return checkTree(dlg);
}

} // namespace dn::ui
