#include "toolkit/menu.h"

#include "toolkit/widgets.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace dn {

namespace tk {
namespace {
MenuHook& menuHook() {
    static MenuHook h;
    return h;
}
} // namespace

MenuHook setMenuHook(MenuHook hook) {
    MenuHook old = std::move(menuHook());
    menuHook() = std::move(hook);
    return old;
}
} // namespace tk

TMenu::TMenu() : menu_(std::make_unique<QMenu>()) {}

TMenu::~TMenu() = default;

void TMenu::Add(TMenuItem item) {
    QAction* a = nullptr;
    if (item.oSubMenu) {
        a = menu_->addMenu(item.oSubMenu->hMenu());
        a->setText(tk::toQt(item.cPrompt));
    } else if (item.cPrompt.empty()) {
        a = menu_->addSeparator();
    } else {
        a = menu_->addAction(tk::toQt(item.cPrompt));
        a->setEnabled(item.lActive);
        if (item.lChecked) {
            a->setCheckable(true);
            a->setChecked(true);
        }
    }
    items_.push_back(std::move(item));
    actions_.push_back(a);
}

TMenu& TMenu::AddMenu(const std::string& prompt) {
    TMenuItem item(prompt, nullptr);
    item.oSubMenu = std::make_shared<TMenu>();
    TMenu& sub = *item.oSubMenu;
    Add(std::move(item));
    return sub;
}

const TMenuItem* TMenu::Activate(int row, int col, TWindow* window) {
    chosen_ = nullptr;
    const QPoint at =
        window && window->hWnd() ? window->hWnd()->mapToGlobal(QPoint(col, row)) : QPoint(col, row);
    QPointer<QMenu> m = menu_.get();
    QTimer::singleShot(0, m, [this, m] {
        if (m && m->isVisible() && tk::menuHook()) {
            tk::MenuHook hook = tk::menuHook();
            hook(*this);
        }
    });
    QAction* a = menu_->exec(at);
    // Find the item, in this menu or a sub-menu, that the action belongs to.
    std::function<const TMenuItem*(TMenu&, QAction*)> find = [&](TMenu& menu,
                                                                 QAction* act) -> const TMenuItem* {
        for (size_t i = 0; i < menu.items_.size(); ++i) {
            if (menu.actions_[i] == act)
                return &menu.items_[i];
            if (menu.items_[i].oSubMenu)
                if (const TMenuItem* s = find(*menu.items_[i].oSubMenu, act))
                    return s;
        }
        return nullptr;
    };
    const TMenuItem* item = a ? find(*this, a) : chosen_;
    if (item && item->bAction && item->lActive) {
        Block b = item->bAction;
        b();
    }
    return item;
}

bool TMenu::Choose(const std::string& prompt) {
    const QString want = tk::withoutMnemonic(tk::toQt(prompt));
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].cPrompt.empty() || !items_[i].lActive || items_[i].oSubMenu)
            continue;
        if (tk::withoutMnemonic(tk::toQt(items_[i].cPrompt)) == want) {
            chosen_ = &items_[i];
            menu_->close();
            return true;
        }
    }
    return false;
}

void TMenu::Close() {
    menu_->close();
}

} // namespace dn
