#include "toolkit/window.h"

#include "toolkit/bitmaps.h"
#include "toolkit/keys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>

namespace dn {

namespace tk {

int mouseFlags(const QMouseEvent& e) {
    int f = 0;
    if (e.buttons() & Qt::LeftButton)
        f |= vk::MK_LBUTTON;
    if (e.buttons() & Qt::RightButton)
        f |= vk::MK_RBUTTON;
    if (e.buttons() & Qt::MiddleButton)
        f |= vk::MK_MBUTTON;
    return f | keyFlags(e.modifiers());
}

int keyFlags(Qt::KeyboardModifiers m) {
    int f = 0;
    if (m & Qt::ShiftModifier)
        f |= vk::MK_SHIFT;
    if (m & Qt::ControlModifier)
        f |= vk::MK_CONTROL;
    return f;
}

// Routes a widget's events to its TWindow's blocks.
class WindowHook : public QObject {
public:
    WindowHook(TWindow* owner, QWidget* w) : QObject(w), owner_(owner) {}

protected:
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (obj != parent())
            return false;
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton || me->button() == Qt::RightButton)
                return owner_->onClick(me);
            return false;
        }
        case QEvent::MouseButtonDblClick: {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton && owner_->bLDblClick) {
                const QPoint p = me->position().toPoint();
                owner_->bLDblClick(p.y(), p.x(), mouseFlags(*me), *owner_);
            }
            return false;
        }
        case QEvent::KeyPress: {
            auto* ke = static_cast<QKeyEvent*>(e);
            owner_->onKey(vk::fromQt(*ke), keyFlags(ke->modifiers()), fromQt(ke->text()));
            return false;
        }
        case QEvent::FocusIn:
            owner_->onFocusIn();
            return false;
        case QEvent::FocusOut: {
            const auto r = static_cast<QFocusEvent*>(e)->reason();
            owner_->onFocusOut(r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason &&
                               r != Qt::MenuBarFocusReason);
            return false;
        }
        default:
            return false;
        }
    }

private:
    TWindow* owner_;
};

namespace {

// The widget of a top-level TWindow: shows what Say drew and asks before closing.
class WindowWidget : public QWidget {
public:
    explicit WindowWidget(TWindow* owner, QWidget* parent)
        : QWidget(parent, Qt::Window), owner_(owner) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (owner_->bPainted)
            owner_->bPainted(p);
        owner_->PaintSaid(p);
    }
    void closeEvent(QCloseEvent* e) override {
        if (owner_->IsEnded() || owner_->CloseRequested())
            e->accept();
        else
            e->ignore();
    }

private:
    TWindow* owner_;
};

const char* kOwnerProperty = "dn_twindow";

} // namespace
} // namespace tk

std::unique_ptr<TWindow> TWindow::New(int top, int left, int bottom, int right,
                                      const std::string& title, TWindow* owner) {
    std::unique_ptr<TWindow> w(new TWindow);
    w->oWnd = owner;
    auto* widget = new tk::WindowWidget(w.get(), owner ? owner->hWnd() : nullptr);
    widget->setAttribute(Qt::WA_DeleteOnClose, false);
    w->attach(widget);
    widget->setWindowTitle(tk::toQt(title));
    widget->move(left, top);
    widget->resize(std::max(0, right - left), std::max(0, bottom - top));
    return w;
}

TWindow::~TWindow() {
    for (auto& c : conns_)
        QObject::disconnect(c);
    // Controls first: they refer to widgets that this window's widget owns.
    aControls.clear();
    owned_.clear();
    if (loop_)
        loop_->quit();
    if (hook_)
        delete hook_.data();
    if (widget_) {
        widget_->setProperty(tk::kOwnerProperty, QVariant());
        // A widget without a parent belongs to this object.
        if (!widget_->parent())
            delete widget_.data();
    }
}

void TWindow::attach(QWidget* w) {
    widget_ = w;
    w->setProperty(tk::kOwnerProperty, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
    auto* hook = new tk::WindowHook(this, w);
    w->installEventFilter(hook);
    hook_ = hook;
}

TWindow* TWindow::FromWidget(const QWidget* w) {
    if (!w)
        return nullptr;
    const QVariant v = w->property(tk::kOwnerProperty);
    return v.isValid() ? reinterpret_cast<TWindow*>(v.value<quintptr>()) : nullptr;
}

void TWindow::Activate(const ActivateOptions& opts) {
    if (!widget_)
        return;
    ended_ = false;
    if (opts.init)
        bInit = opts.init;
    if (!opts.hidden) {
        if (opts.maximized)
            widget_->showMaximized();
        else
            widget_->show();
    }
    if (bInit)
        bInit();
    if (ended_)
        return;
    // The program's first window runs the event loop until it ends.
    if (QCoreApplication::instance() && QThread::currentThread()->loopLevel() == 0) {
        QEventLoop loop;
        loop_ = &loop;
        loop.exec();
        loop_ = nullptr;
    }
}

bool TWindow::CloseRequested() {
    return End();
}

bool TWindow::End() {
    if (ended_)
        return true;
    if (bValid && !bValid())
        return false;
    ended_ = true;
    if (widget_ && widget_->isWindow())
        widget_->hide();
    if (loop_)
        loop_->quit();
    return true;
}

int TWindow::nTop() const {
    if (!widget_)
        return 0;
    return widget_->isWindow() ? widget_->frameGeometry().top() : widget_->y();
}

int TWindow::nLeft() const {
    if (!widget_)
        return 0;
    return widget_->isWindow() ? widget_->frameGeometry().left() : widget_->x();
}

int TWindow::nWidth() const {
    return widget_ ? widget_->width() : 0;
}
int TWindow::nHeight() const {
    return widget_ ? widget_->height() : 0;
}

void TWindow::Move(int top, int left, int width, int height) {
    if (!widget_)
        return;
    widget_->move(left, top);
    if (width >= 0 || height >= 0)
        SetSize(width >= 0 ? width : nWidth(), height >= 0 ? height : nHeight());
}

void TWindow::SetSize(int width, int height) {
    if (!widget_)
        return;
    const QSize s(std::max(0, width), std::max(0, height));
    // Windows built from templates have a fixed size; keep it fixed at the new one.
    if (widget_->minimumSize() == widget_->maximumSize() && widget_->minimumSize() != QSize(0, 0))
        widget_->setFixedSize(s);
    else
        widget_->resize(s);
}

void TWindow::Center() {
    if (!widget_)
        return;
    QScreen* screen = widget_->screen() ? widget_->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = widget_->frameGeometry();
    if (!widget_->isVisible() || frame.size() == widget_->size()) {
        // Not shown yet: no frame known; centre the client area.
        frame = QRect(QPoint(0, 0), widget_->size());
    }
    const QPoint topLeft(area.x() + (area.width() - frame.width()) / 2,
                         area.y() + (area.height() - frame.height()) / 2);
    widget_->move(topLeft);
}

void TWindow::Show() {
    if (widget_)
        widget_->show();
}
void TWindow::Hide() {
    if (widget_)
        widget_->hide();
}
bool TWindow::IsVisible() const {
    return widget_ && widget_->isVisible();
}
void TWindow::Enable() {
    if (widget_)
        widget_->setEnabled(true);
}
void TWindow::Disable() {
    if (widget_)
        widget_->setEnabled(false);
}
bool TWindow::IsEnabled() const {
    return widget_ && widget_->isEnabled();
}

void TWindow::SetFocus() {
    if (widget_)
        widget_->setFocus(Qt::OtherFocusReason);
}

bool TWindow::HasFocus() const {
    return widget_ && widget_->hasFocus();
}

void TWindow::SetTopMost(bool on) {
    if (!widget_ || !widget_->isWindow())
        return;
    if (widget_->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = widget_->isVisible();
    const QRect geo = widget_->geometry();
    const bool noActivate = widget_->testAttribute(Qt::WA_ShowWithoutActivating);
    widget_->setAttribute(Qt::WA_ShowWithoutActivating, true);
    widget_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    widget_->setGeometry(geo);
    if (visible)
        widget_->show();
    widget_->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
}

void TWindow::SetText(const std::string& text) {
    if (widget_)
        widget_->setWindowTitle(tk::toQt(text));
}

std::string TWindow::GetText() const {
    return widget_ ? tk::fromQt(widget_->windowTitle()) : "";
}

void TWindow::SetColor(Color text, Color pane) {
    if (!widget_)
        return;
    QPalette pal = widget_->palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(QPalette::Active, role, tk::toQColor(text)),
            pal.setColor(QPalette::Inactive, role, tk::toQColor(text));
    for (auto role : {QPalette::Window, QPalette::Base}) {
        pal.setColor(QPalette::Active, role, tk::toQColor(pane));
        pal.setColor(QPalette::Inactive, role, tk::toQColor(pane));
        pal.setColor(QPalette::Disabled, role, tk::toQColor(pane));
    }
    widget_->setPalette(pal);
    widget_->setAutoFillBackground(true);
    widget_->update();
}

void TWindow::ResetColor() {
    if (!widget_)
        return;
    widget_->setPalette(QPalette());
    widget_->setAutoFillBackground(false);
    widget_->update();
}

Color TWindow::nClrText() const {
    if (!widget_)
        return 0;
    return tk::fromQColor(widget_->palette().color(widget_->foregroundRole()));
}

Color TWindow::nClrPane() const {
    if (!widget_)
        return 0;
    return tk::fromQColor(widget_->palette().color(widget_->backgroundRole()));
}

void TWindow::SetFont(const TFont& font) {
    font_ = font;
    if (widget_)
        widget_->setFont(font.hFont());
}

void TWindow::SetIcon(const std::string& bitmapName) {
    if (widget_)
        widget_->setWindowIcon(tk::bitmapIcon(tk::toQt(bitmapName)));
}

void TWindow::Refresh(bool erase) {
    (void)erase;
    if (widget_)
        widget_->update();
}

void TWindow::Say(int row, int col, const std::string& text, std::optional<Color> fore,
                  std::optional<Color> back, const TFont* font, bool transparent) {
    if (!widget_)
        return;
    const QFont f = font ? font->hFont() : widget_->font();
    const QFontMetrics fm(f);
    const QString s = tk::toQt(text);
    const QRect box(col, row, fm.horizontalAdvance(s), fm.height());
    const qreal dpr = widget_->devicePixelRatioF();
    const QSize need = widget_->size().expandedTo(QSize(box.right() + 1, box.bottom() + 1));
    if (canvas_.isNull() || canvas_.width() < need.width() * dpr ||
        canvas_.height() < need.height() * dpr) {
        QImage bigger(need * dpr, QImage::Format_ARGB32_Premultiplied);
        bigger.setDevicePixelRatio(dpr);
        bigger.fill(Qt::transparent);
        if (!canvas_.isNull()) {
            QPainter cp(&bigger);
            cp.setCompositionMode(QPainter::CompositionMode_Source);
            cp.drawImage(0, 0, canvas_);
        }
        canvas_ = bigger;
    }
    QPainter p(&canvas_);
    if (!transparent) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(box, tk::toQColor(back.value_or(nClrPane())));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    p.setFont(f);
    p.setPen(tk::toQColor(fore.value_or(nClrText())));
    p.drawText(QPoint(col, row + fm.ascent()), s);
    p.end();
    widget_->update(box);
}

void TWindow::PaintSaid(QPainter& p) const {
    if (!canvas_.isNull())
        p.drawImage(0, 0, canvas_);
}

int TWindow::GetWidth(const std::string& text, const TFont* font) const {
    const QFont f = font ? font->hFont() : (widget_ ? widget_->font() : QApplication::font());
    return QFontMetrics(f).horizontalAdvance(tk::toQt(text));
}

void TWindow::EvalWhen() {
    if (bWhen && widget_)
        widget_->setEnabled(bWhen());
}

bool TWindow::onClick(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton && bLClicked) {
        bLClicked(p.y(), p.x(), tk::mouseFlags(*e), *this);
        return false;
    }
    if (e->button() == Qt::RightButton && bRClicked) {
        bRClicked(p.y(), p.x(), tk::mouseFlags(*e), *this);
        return false;
    }
    return false;
}

void TWindow::onFocusIn() {
    if (bGotFocus)
        bGotFocus();
}

void TWindow::onFocusOut(bool) {
    if (bLostFocus)
        bLostFocus();
}

void TWindow::onKey(int vkCode, int flags, const std::string& ch) {
    if (bKeyDown && vkCode)
        bKeyDown(vkCode, flags, *this);
    if (bKeyChar && ch.size() == 1)
        bKeyChar(static_cast<unsigned char>(ch[0]), flags, *this);
}

} // namespace dn
