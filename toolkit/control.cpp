#include "toolkit/control.h"

#include "toolkit/dialog.h"
#include "toolkit/widgets.h"

#include "toolkit/controls.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <stdexcept>

namespace dn {

void TControl::VarPut(const Value& v) {
    if (bSetGet.set)
        bSetGet.set(v);
    Refresh();
}

QWidget* tk::templateWidget(TDialog& dlg, int id, std::initializer_list<const char*> kinds) {
    QWidget* w = dlg.ControlWidget(id);
    const std::string where = dlg.cResName().empty() ? std::string("(in codice)") : dlg.cResName();
    if (!w)
        throw std::logic_error("Controllo " + std::to_string(id) + " assente nella finestra " +
                               where + ".");
    const QString kind = w->property(tk::kKindProperty).toString();
    for (const char* k : kinds)
        if (kind == QLatin1String(k))
            return w;
    throw std::logic_error("Il controllo " + std::to_string(id) + " della finestra " + where +
                           " \xE8 di tipo " + kind.toStdString() + ".");
}

void TControl::applyOptions(const DataOptions& o) {
    bChange = o.change;
    if (o.valid)
        bValid = o.valid;
    if (o.when)
        bWhen = o.when;
    cVarName = o.varName;
}

namespace {
// The widget that a refused valid block is giving the focus back to; leaving
// another control for it runs no valid block, so two refusing fields cannot toss
// the focus to and fro.
QPointer<QWidget> g_refocusing;
} // namespace

void TControl::onFocusOut(bool withinWindow) {
    Assign();
    if (withinWindow && bValid && hWnd() && QApplication::focusWidget() != g_refocusing) {
        const auto* next =
            dynamic_cast<const TButton*>(TWindow::FromWidget(QApplication::focusWidget()));
        if (!(next && next->lCancel)) {
            CondBlock valid = bValid;
            if (!valid()) {
                QPointer<QWidget> w = hWnd();
                QTimer::singleShot(0, w, [w] {
                    if (!w)
                        return;
                    g_refocusing = w;
                    w->setFocus(Qt::OtherFocusReason);
                    g_refocusing = nullptr;
                });
            }
        }
    }
    TWindow::onFocusOut(withinWindow);
}

void TControl::runChange() {
    if (bChange) {
        Block b = bChange;
        b();
    }
}

} // namespace dn
