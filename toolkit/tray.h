#pragma once

#include "toolkit/window.h"

#include <functional>
#include <memory>
#include <string>

class QSystemTrayIcon;

namespace dn {

// A notification-area icon owned by a (usually hidden) window. Clicks call the
// blocks with the cursor's screen position; before the right-click block the
// owner window is brought to the front, so that a pop-up menu it opens closes
// properly. Where the desktop has no notification area the icon is simply absent.
class TTrayIcon {
public:
    using PosBlock = std::function<void(int nRow, int nCol)>;
    TTrayIcon(TWindow& owner, const std::string& icon, const std::string& toolTip,
              PosBlock lClick = {}, PosBlock rClick = {});
    static std::unique_ptr<TTrayIcon> New(TWindow& owner, const std::string& icon,
                                          const std::string& toolTip, PosBlock lClick = {},
                                          PosBlock rClick = {}) {
        return std::make_unique<TTrayIcon>(owner, icon, toolTip, std::move(lClick),
                                           std::move(rClick));
    }
    ~TTrayIcon();
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    void SetToolTip(const std::string& text);
    void SetIcon(const std::string& icon);
    // Removes the icon.
    void End();
    bool IsShown() const;

    PosBlock bLClicked;
    PosBlock bRClicked;
    PosBlock bLDblClick;

private:
    TWindow* owner_;
    std::unique_ptr<QSystemTrayIcon> icon_;
};

// A status bar along the bottom of a window.
class TMsgBar : public TWindow {
public:
    static TMsgBar* New(TWindow& window, const std::string& text = "");
    void SetMsg(const std::string& text);
    std::string GetText() const override;
    void SetText(const std::string& text) override { SetMsg(text); }
};

} // namespace dn
