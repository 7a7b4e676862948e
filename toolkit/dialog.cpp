#include "toolkit/dialog.h"

#include "toolkit/keys.h"
#include "toolkit/widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace dn {

namespace tk {
namespace {
DialogHook& dialogHook() {
    static DialogHook h;
    return h;
}
} // namespace

DialogHook setDialogHook(DialogHook hook) {
    DialogHook old = std::move(dialogHook());
    dialogHook() = std::move(hook);
    return old;
}
} // namespace tk

namespace {

// The window a new dialog belongs to: its owner's, else the active one.
QWidget* ownerWindow(TWindow* owner) {
    if (owner && owner->hWnd())
        return owner->hWnd()->window();
    if (QWidget* m = QApplication::activeModalWidget())
        return m;
    return QApplication::activeWindow();
}

} // namespace

TDialog::TDialog(const std::string& name, TWindow* owner)
    : TDialog(tk::loadTemplate(tk::toQt(name)), owner) {}

TDialog::TDialog(const tk::DialogTemplate& t, TWindow* owner) {
    QWidget* ow = ownerWindow(owner);
    oWnd = owner ? owner : TWindow::FromWidget(ow);
    build(t, nullptr, false);
    // Stacked over its owner without being owned by it: the owner may go first.
    if (ow) {
        hWnd()->winId();
        if (QWindow* wh = hWnd()->windowHandle())
            wh->setTransientParent(ow->windowHandle());
    }
}

TDialog::TDialog(int top, int left, int bottom, int right, const std::string& caption,
                 TWindow* owner, const std::vector<std::string>& style) {
    tk::DialogTemplate t;
    t.caption = tk::toQt(caption);
    t.width = 1;
    t.height = 1;
    t.style = {"popup", "caption", "sysmenu", "modalframe"};
    if (!style.empty()) {
        t.style.clear();
        for (const auto& w : style)
            t.style << tk::toQt(w);
    }
    QWidget* ow = ownerWindow(owner);
    oWnd = owner ? owner : TWindow::FromWidget(ow);
    build(t, nullptr, false);
    templ_.reset();
    resName_.clear();
    hWnd()->setFixedSize(std::max(1, right - left), std::max(1, bottom - top));
    hWnd()->move(left, top);
    if (ow) {
        hWnd()->winId();
        if (QWindow* wh = hWnd()->windowHandle())
            wh->setTransientParent(ow->windowHandle());
    }
}

TDialog::TDialog(const tk::DialogTemplate& t, QWidget* parent, PageTag) {
    build(t, parent, true);
}

TDialog::TDialog(int width, int height, QWidget* parent, PageTag) {
    tk::DialogTemplate t;
    t.width = 1;
    t.height = 1;
    t.style = {"child"};
    build(t, parent, true);
    templ_.reset();
    hWnd()->resize(width, height);
}

TDialog::~TDialog() = default;

void TDialog::build(const tk::DialogTemplate& t, QWidget* parentWidget, bool page) {
    templ_ = t;
    resName_ = tk::fromQt(t.name);
    page_ = page;
    units_ = tk::DialogUnits::forFont(t.fontFace, t.fontSize, t.fontBold);
    auto* w = new tk::DialogWidget(this, parentWidget, page);
    attach(w);
    font_ = TFont(tk::fromQt(t.fontFace), 0, -tk::pointsToPixels(t.fontSize), t.fontBold);
    w->setFont(tk::screenFont(t.fontFace, t.fontSize, t.fontBold));
    const QSize size(units_.x(t.width), units_.y(t.height));
    if (page) {
        w->resize(size);
    } else {
        w->setFixedSize(size);
        Qt::WindowFlags f = Qt::Dialog | Qt::CustomizeWindowHint;
        if (t.has("caption") || !t.has("popup"))
            f |= Qt::WindowTitleHint;
        if (t.has("sysmenu"))
            f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        w->setWindowFlags(f);
        w->setWindowTitle(t.caption);
    }
    QButtonGroup* radios = nullptr;
    std::vector<QWidget*> frames;
    for (const auto& c : t.controls) {
        QWidget* cw = tk::createControlWidget(c, w, units_);
        if (c.id != -1 && !byId_.count(c.id))
            byId_[c.id] = cw;
        if (c.kind == tk::ControlKind::Radio) {
            if (!radios || c.has("group")) {
                radios = new QButtonGroup(w);
                radioGroups_.push_back(radios);
            }
            radios->addButton(static_cast<QAbstractButton*>(cw));
        } else {
            radios = nullptr;
        }
        if (c.kind == tk::ControlKind::GroupBox || c.kind == tk::ControlKind::Line)
            frames.push_back(cw);
    }
    // Frames and lines stay behind the controls they surround.
    for (QWidget* f : frames)
        f->lower();
}

QWidget* TDialog::ControlWidget(int id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

QButtonGroup* TDialog::RadioGroupOf(QWidget* radio) const {
    for (QButtonGroup* g : radioGroups_)
        if (g->buttons().contains(static_cast<QAbstractButton*>(radio)))
            return g;
    return nullptr;
}

bool TDialog::IsActive() const {
    return hWnd() && hWnd()->isVisible() && !ended_;
}

TWindow* TDialog::FocusedControl() const {
    QWidget* f = QApplication::focusWidget();
    if (!f || !hWnd() || !hWnd()->isAncestorOf(f))
        return nullptr;
    for (QWidget* w = f; w && w != hWnd(); w = w->parentWidget()) {
        TWindow* t = TWindow::FromWidget(w);
        if (t && !dynamic_cast<TDialog*>(t))
            return t;
    }
    return nullptr;
}

void TDialog::initControls() {
    for (TWindow* c : aControls)
        c->OnDialogInit();
}

void TDialog::AEvalWhen() {
    for (TWindow* c : aControls)
        c->EvalWhen();
}

int TDialog::Activate(const ActivateOptions& opts) {
    auto* w = static_cast<tk::DialogWidget*>(hWnd());
    if (!w)
        return nResult;
    if (opts.valid)
        bValid = opts.valid;
    if (opts.init)
        bInit = opts.init;
    if (opts.start)
        bStart = opts.start;
    modal_ = opts.modal && !page_;
    ended_ = false;
    nResult = 0;
    if (opts.centered)
        Center();
    initControls();
    if (bInit)
        bInit();
    AEvalWhen();
    if (ended_)
        return nResult;
    // Runs inside the dialog's own loop once it shows.
    QPointer<QWidget> guard(w);
    QTimer::singleShot(0, w, [this, guard] {
        if (!guard || ended_)
            return;
        if (bStart) {
            Block start = bStart;
            start();
        }
        if (!ended_ && tk::dialogHook()) {
            tk::DialogHook hook = tk::dialogHook();
            hook(*this);
        }
    });
    if (modal_) {
        w->exec();
    } else {
        w->show();
    }
    return modal_ ? nResult : 0;
}

bool TDialog::End(int n) {
    if (ended_)
        return true;
    if (inCheck_)
        return false;
    if (bValid) {
        inCheck_ = true;
        const bool ok = bValid();
        inCheck_ = false;
        if (!ok)
            return false;
    }
    nResult = n;
    ended_ = true;
    if (auto* w = static_cast<tk::DialogWidget*>(hWnd())) {
        if (page_)
            w->hide();
        else
            w->finish(n);
    }
    return true;
}

bool TDialog::onClick(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const bool left = e->button() == Qt::LeftButton;
    // Labels that want clicks take them before the dialog's surface does.
    for (auto it = aControls.rbegin(); it != aControls.rend(); ++it) {
        TWindow* c = *it;
        QWidget* cw = c->hWnd();
        if (!c->WantsClick() || !cw || !cw->isVisible() || cw->parentWidget() != hWnd())
            continue;
        if (!cw->geometry().contains(p))
            continue;
        const ClickBlock& b = left ? c->bLClicked : c->bRClicked;
        if (b) {
            const QPoint q = p - cw->pos();
            b(q.y(), q.x(), tk::mouseFlags(*e), *c);
            return true;
        }
    }
    return TWindow::onClick(e);
}

} // namespace dn
