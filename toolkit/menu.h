#pragma once

#include "toolkit/window.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class QAction;

namespace dn {

class TMenu;

// One entry of a pop-up menu; an entry without text is a separator.
struct TMenuItem {
    TMenuItem() = default;
    TMenuItem(std::string prompt, Block action, bool active = true, bool checked = false)
        : cPrompt(std::move(prompt)), bAction(std::move(action)), lActive(active),
          lChecked(checked) {}

    std::string cPrompt; // "&" marks the shortcut letter
    Block bAction;
    bool lActive = true;
    bool lChecked = false;
    std::shared_ptr<TMenu> oSubMenu;
};

// A pop-up menu built item by item and shown at a position of a window. Choosing
// an item runs its block after the menu has closed.
class TMenu {
public:
    TMenu();
    ~TMenu();
    TMenu(const TMenu&) = delete;
    TMenu& operator=(const TMenu&) = delete;

    static std::unique_ptr<TMenu> New() { return std::make_unique<TMenu>(); }
    void Add(TMenuItem item);
    void AddSeparator() { Add(TMenuItem()); }
    // A sub-menu under prompt; returns it to be filled.
    TMenu& AddMenu(const std::string& prompt);

    // Shows the menu at pixel row, col of window's client area (of the screen when
    // window is null) and waits for a choice. Returns the chosen item, or nullptr.
    const TMenuItem* Activate(int row, int col, TWindow* window);
    // While the menu is shown (from the menu hook): chooses the first active item
    // whose prompt, "&" marks aside, equals prompt; false when there is none.
    bool Choose(const std::string& prompt);
    // Closes the shown menu without a choice.
    void Close();

    const std::vector<TMenuItem>& aItems() const { return items_; }
    QMenu* hMenu() const { return menu_.get(); }

private:
    std::unique_ptr<QMenu> menu_;
    std::vector<TMenuItem> items_;
    std::vector<QAction*> actions_;
    const TMenuItem* chosen_ = nullptr;
};

namespace tk {
// Called, from the menu's own event loop, whenever a menu is shown: GUI tests
// choose items from here. Returns the hook it replaces.
using MenuHook = std::function<void(TMenu&)>;
MenuHook setMenuHook(MenuHook hook);
} // namespace tk

} // namespace dn
