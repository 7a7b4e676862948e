#include "toolkit/tray.h"

#include "toolkit/controls.h"

#include <QCursor>
#include <QEvent>
#include <QStatusBar>
#include <QSystemTrayIcon>

namespace dn {

TTrayIcon::TTrayIcon(TWindow& owner, const std::string& icon, const std::string& toolTip,
                     PosBlock lClick, PosBlock rClick)
    : bLClicked(std::move(lClick)), bRClicked(std::move(rClick)), owner_(&owner),
      icon_(std::make_unique<QSystemTrayIcon>(TIcon::Load(icon))) {
    icon_->setToolTip(tk::toQt(toolTip));
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                     [this](QSystemTrayIcon::ActivationReason why) {
                         const QPoint p = QCursor::pos();
                         switch (why) {
                         case QSystemTrayIcon::Trigger:
                             if (bLClicked)
                                 bLClicked(p.y(), p.x());
                             break;
                         case QSystemTrayIcon::Context:
                             if (owner_->hWnd()) {
                                 owner_->hWnd()->raise();
                                 owner_->hWnd()->activateWindow();
                             }
                             if (bRClicked)
                                 bRClicked(p.y(), p.x());
                             break;
                         case QSystemTrayIcon::DoubleClick:
                             if (bLDblClick)
                                 bLDblClick(p.y(), p.x());
                             break;
                         default:
                             break;
                         }
                     });
    icon_->show();
}

TTrayIcon::~TTrayIcon() {
    End();
}

void TTrayIcon::SetToolTip(const std::string& text) {
    if (icon_)
        icon_->setToolTip(tk::toQt(text));
}

void TTrayIcon::SetIcon(const std::string& icon) {
    if (icon_)
        icon_->setIcon(TIcon::Load(icon));
}

void TTrayIcon::End() {
    if (icon_)
        icon_->hide();
    icon_.reset();
}

bool TTrayIcon::IsShown() const {
    return icon_ && icon_->isVisible();
}

namespace {

// Keeps a status bar along the bottom of its window as the window resizes.
class BottomKeeper : public QObject {
public:
    BottomKeeper(QWidget* bar, QWidget* window) : QObject(bar), bar_(bar) {
        window->installEventFilter(this);
        place(window);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Resize)
            place(static_cast<QWidget*>(o));
        return false;
    }

private:
    void place(QWidget* w) {
        const int h = bar_->sizeHint().height();
        bar_->setGeometry(0, w->height() - h, w->width(), h);
    }
    QWidget* bar_;
};

} // namespace

TMsgBar* TMsgBar::New(TWindow& window, const std::string& text) {
    auto* bar = new QStatusBar(window.hWnd());
    bar->setSizeGripEnabled(false);
    new BottomKeeper(bar, window.hWnd());
    bar->show();
    auto m = std::make_unique<TMsgBar>();
    m->AttachTo(bar, &window);
    m->SetMsg(text);
    return window.Adopt(std::move(m));
}

void TMsgBar::SetMsg(const std::string& text) {
    if (auto* bar = static_cast<QStatusBar*>(hWnd()))
        bar->showMessage(tk::toQt(text));
}

std::string TMsgBar::GetText() const {
    auto* bar = static_cast<QStatusBar*>(hWnd());
    return bar ? tk::fromQt(bar->currentMessage()) : std::string();
}

} // namespace dn
