#include "common/ui/ctl.h"

#include "common/util/cp1252.h"
#include "common/util/trim.h"
#include "toolkit/browse.h"
#include "toolkit/get.h"

#include <QComboBox>
#include <QLineEdit>
#include <QVariant>

#include <cctype>
#include <functional>

namespace dn::ui {

namespace {

// Walks the controls in creation order, folders page by page (the folder itself is
// not visited); stops at the first control for which f returns true.
TWindow* walk(TWindow& w, const std::function<bool(TWindow&)>& f) {
    for (TWindow* c : w.aControls) {
        if (auto* folder = dynamic_cast<TFolder*>(c)) {
            for (TDialog* page : folder->aDialogs)
                if (TWindow* hit = walk(*page, f))
                    return hit;
            continue;
        }
        if (f(*c))
            return c;
    }
    return nullptr;
}

// The value a disabled drop-down list keeps aside, on its widget.
constexpr const char* kSavedProperty = "dn_ui_saved_value";

std::string textOf(const Value& v) {
    return v.isText() ? v.text() : std::string();
}

} // namespace

TWindow* CTL(TWindow& dlg, int n) {
    if (n < 1 || n > static_cast<int>(dlg.aControls.size()))
        return nullptr;
    return dlg.aControls[static_cast<size_t>(n - 1)];
}

TWindow* CTL(TWindow& dlg, std::string_view name) {
    return walk(dlg, [name](TWindow& c) { return c.cVarName.starts_with(name); });
}

TWindow* ITEM(TWindow& dlg, int id) {
    return walk(dlg, [id](TWindow& c) { return c.nId == id; });
}

void UPDATEMODIFY(TWindow& dlg) {
    for (TWindow* c : dlg.aControls) {
        auto* folder = dynamic_cast<TFolder*>(c);
        if (!folder)
            continue;
        for (TDialog* page : folder->aDialogs) {
            UPDATEMODIFY(*page);
            if (page->lModify)
                dlg.lModify = true;
        }
    }
}

void RESETMODIFY(TFolder& folder) {
    for (TDialog* page : folder.aDialogs)
        page->lModify = false;
}

namespace {

bool g_refreshing = false;

void refreshControls(TWindow& dlg) {
    for (TWindow* c : dlg.aControls) {
        if (auto* folder = dynamic_cast<TFolder*>(c)) {
            for (TDialog* page : folder->aDialogs)
                refreshControls(*page);
            continue;
        }
        if (dynamic_cast<TWBrowse*>(c))
            continue;
        auto* ctl = dynamic_cast<TControl*>(c);
        if (!ctl || !ctl->bSetGet)
            continue;
        const Value v = ctl->VarGet();
        if (auto* get = dynamic_cast<TGet*>(c)) {
            if (get->Type() == tk::FieldType::Date && get->BadDate())
                continue;
            if (trimRight(get->FormatValue(v)) != trimRight(get->GetText()))
                get->Refresh();
        } else if (auto* memo = dynamic_cast<TMultiGet*>(c)) {
            if (trimRight(textOf(v)) != trimRight(memo->GetText()))
                memo->Refresh();
        } else if (auto* combo = dynamic_cast<TComboBox*>(c)) {
            if (!combo->HasFocus() && trimRight(textOf(v)) != trimRight(combo->GetText()))
                combo->Refresh();
        } else {
            c->Refresh(false);
        }
    }
}

} // namespace

void REFRESHALL(TWindow& dlg) {
    if (g_refreshing)
        return;
    g_refreshing = true;
    struct Reset {
        ~Reset() { g_refreshing = false; }
    } reset;
    refreshControls(dlg);
}

void CTLDISABLE(TWindow& ctl) {
    auto* combo = dynamic_cast<TComboBox*>(&ctl);
    QWidget* w = ctl.hWnd();
    if (!combo || !w) {
        ctl.Disable();
        return;
    }
    if (w->property(kSavedProperty).isValid()) {
        ctl.Disable();
        return;
    }
    const Value current = combo->VarGet();
    const std::string saved =
        current.isText() ? current.text()
                         : (combo->nAt() > 0 ? combo->aItems()[combo->nAt() - 1] : std::string());
    w->setProperty(kSavedProperty, QVariant(QByteArray::fromStdString(saved)));
    const int at = combo->nAt();
    if (at > 0) {
        combo->Modify("", at);
        combo->Select(at);
    }
    if (combo->bSetGet.set)
        combo->bSetGet.set(Value(std::string()));
    if (at <= 0)
        combo->Refresh();
    ctl.Disable();
}

void CTLENABLE(TWindow& ctl) {
    auto* combo = dynamic_cast<TComboBox*>(&ctl);
    QWidget* w = ctl.hWnd();
    if (!combo || !w || !w->property(kSavedProperty).isValid()) {
        ctl.Enable();
        return;
    }
    const std::string saved = w->property(kSavedProperty).toByteArray().toStdString();
    w->setProperty(kSavedProperty, QVariant());
    const int at = combo->nAt();
    if (at > 0) {
        combo->Modify(saved, at);
        combo->Select(at);
    }
    if (combo->bSetGet.set)
        combo->bSetGet.set(Value(saved));
    if (at <= 0)
        combo->Refresh();
    ctl.Enable();
}

bool LBXSET(TComboBox& list, std::string_view text) {
    const auto& items = list.aItems();
    for (size_t i = 0; i < items.size(); ++i) {
        if (trimRight(items[i]) == trimRight(text)) {
            list.Select(static_cast<int>(i) + 1);
            return true;
        }
    }
    return false;
}

void FLDHIDEITEM(TFolder& folder, int page) {
    folder.HideTab(page);
}

void CBPICTURE(TComboBox& list, std::string_view mask) {
    QComboBox* cb = list.Combo();
    QLineEdit* edit = cb ? cb->lineEdit() : nullptr;
    if (!edit)
        return;
    int caret = edit->cursorPosition();
    std::string text = tk::fromQt(edit->text());
    if (mask == "@!") {
        text = upper1252(text);
    } else if (mask == "9") {
        for (size_t i = 0; i < text.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
                text.erase(i, 1);
                caret = std::max(0, caret - 1);
                break;
            }
        }
    } else {
        return;
    }
    const QString q = tk::toQt(text);
    if (edit->text() != q)
        edit->setText(q);
    edit->setCursorPosition(std::min(caret, static_cast<int>(q.size())));
}

} // namespace dn::ui
