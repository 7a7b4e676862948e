#include "toolkit/print/preview.h"

#include "toolkit/bitmaps.h"
#include "toolkit/keys.h"
#include "toolkit/print/document.h"
#include "toolkit/print/settings.h"
#include "toolkit/widgets.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace dn {

const std::array<const char*, TPreview::ButtonCount> TPreview::kBitmaps = {
    "PREV_TOP",   "PREV_PREV", "PREV_NEXT", "PREV_LAST", "PREV_ZOOM",
    "PREV_PRINT", "PREV_PDF",  "PREV_MAIL", "PREV_EXIT"};

const std::array<const char*, TPreview::ButtonCount> TPreview::kToolTips = {
    "Prima pagina",
    "Pagina precedente",
    "Pagina successiva",
    "Ultima pagina",
    "Zoom",
    "Stampa documento",
    "Salva come PDF",
    "Invia PDF per email",
    "Esci dall'anteprima di stampa"};

namespace print {

namespace {

// Grey border around the sheet, in screen pixels.
constexpr int kMargin = 12;
// The enlarged view shows the page at this many times the whole-page scale.
constexpr double kZoomFactor = 2.0;

// The preview's frame: every close goes through TPreview::End.
class PreviewWindow : public QMainWindow {
public:
    explicit PreviewWindow(TPreview* owner) : owner_(owner) {}

protected:
    void closeEvent(QCloseEvent* e) override {
        if (owner_->IsEnded() || owner_->CloseRequested())
            e->accept();
        else
            e->ignore();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (!owner_->HandleKey(vk::fromQt(*e)))
            QMainWindow::keyPressEvent(e);
    }

private:
    TPreview* owner_;
};

// Page keys reach the preview before the scroll area takes them for scrolling.
class PageKeys : public QObject {
public:
    PageKeys(TPreview* owner, QObject* parent) : QObject(parent), owner_(owner) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress)
            return owner_->HandleKey(vk::fromQt(*static_cast<QKeyEvent*>(e)));
        return false;
    }

private:
    TPreview* owner_;
};

} // namespace

// The page: a white sheet on a grey ground, the recording drawn to scale.
class PageView : public QWidget {
public:
    explicit PageView(TPreview* owner) : owner_(owner) {
        const QPixmap pm = tk::bitmapPixmap(QStringLiteral("PREV_ZOOM"), QSize(24, 24));
        setCursor(pm.isNull() ? QCursor(Qt::CrossCursor) : QCursor(pm, 9, 9));
    }

    // Screen pixels per device unit that fit the whole sheet into size.
    double fitScale(QSize size) const {
        const auto& rec = owner_->Recording();
        if (rec.paper.isEmpty())
            return 1;
        const double sx = (size.width() - 2.0 * kMargin) / rec.paper.width();
        const double sy = (size.height() - 2.0 * kMargin) / rec.paper.height();
        return std::max(0.01, std::min(sx, sy));
    }
    // The sheet's rectangle in this widget at scale.
    QRectF sheetRect(double scale) const {
        const QSizeF s = owner_->Recording().paper * scale;
        const double x = std::max<double>(kMargin, (width() - s.width()) / 2);
        const double y = std::max<double>(kMargin, (height() - s.height()) / 2);
        return QRectF(QPointF(x, y), s);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(128, 128, 128));
        const double scale = owner_->Scale();
        const QRectF sheet = sheetRect(scale);
        p.fillRect(sheet.translated(4, 4), QColor(64, 64, 64));
        p.fillRect(sheet, Qt::white);
        p.setClipRect(sheet);
        p.translate(sheet.topLeft());
        p.scale(scale, scale);
        paintPage(p, owner_->Recording(), owner_->nPage() - 1);
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton)
            return;
        const double scale = owner_->Scale();
        const QRectF sheet = sheetRect(scale);
        owner_->zoomAt((e->position() - sheet.topLeft()) / scale);
    }

private:
    TPreview* owner_;
};

} // namespace print

TPreview::TPreview(std::shared_ptr<const print::Recording> rec, TWindow* owner)
    : rec_(std::move(rec)) {
    oWnd = owner;
    auto* mw = new print::PreviewWindow(this);
    attach(mw);
    mw->setWindowModality(Qt::ApplicationModal);
    const std::string main = print::mainTitle();
    SetText(main.empty() ? rec_->docName : main + " - " + rec_->docName);
    SetIcon("ICONA");

    auto* bar = new QToolBar(mw);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    mw->addToolBar(Qt::TopToolBarArea, bar);
    const std::array<void (TPreview::*)(), ButtonCount> actions = {
        &TPreview::GoTop,    &TPreview::PrevPage, &TPreview::NextPage,
        &TPreview::GoBottom, &TPreview::Zoom,     &TPreview::PrintDoc,
        &TPreview::SavePdf,  &TPreview::SendMail, nullptr};
    for (int i = 0; i < ButtonCount; ++i) {
        auto* b = new tk::BitmapButtonWidget(bar);
        b->setBitmap(QString::fromLatin1(kBitmaps[i]));
        b->setToolTip(tk::toQt(kToolTips[i]));
        b->setFixedSize(33, 33);
        b->raiseOnHover = true;
        const auto action = actions[i];
        track(QObject::connect(b, &QAbstractButton::clicked, [this, action] {
            if (action)
                (this->*action)();
            else
                End();
        }));
        bar->addWidget(b);
        if (i == Last || i == ZoomBtn || i == Mail)
            bar->addSeparator();
        buttons_[i] = b;
    }
    buttons_[PrintBtn]->setEnabled(!rec_->noPrint);
    pageLabel_ = new QLabel(bar);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    pageLabel_->setContentsMargins(12, 0, 12, 0);
    bar->addWidget(pageLabel_);

    scroll_ = new QScrollArea(mw);
    scroll_->setWidgetResizable(true);
    scroll_->setAlignment(Qt::AlignCenter);
    view_ = new print::PageView(this);
    scroll_->setWidget(view_);
    scroll_->installEventFilter(new print::PageKeys(this, scroll_));
    scroll_->setFocusPolicy(Qt::StrongFocus);
    mw->setCentralWidget(scroll_);

    statusLabel_ = new QLabel(QStringLiteral("Anteprima di stampa"), mw);
    mw->statusBar()->addWidget(statusLabel_, 1);
    mw->statusBar()->setSizeGripEnabled(false);

    showPage();
}

TPreview::~TPreview() {
    if (runLoop_)
        runLoop_->quit();
}

void TPreview::Run(std::shared_ptr<const print::Recording> rec, TWindow* owner) {
    TPreview pv(std::move(rec), owner);
    pv.Open();
    pv.Exec();
}

void TPreview::Open() {
    ended_ = false;
    // The screen's whole working area first: where no window manager maximises the
    // window, it still covers the screen instead of opening at its smallest size.
    if (QScreen* screen = hWnd()->screen())
        hWnd()->setGeometry(screen->availableGeometry());
    hWnd()->showMaximized();
    scroll_->setFocus();
}

void TPreview::Exec() {
    if (ended_ || !hWnd())
        return;
    QEventLoop loop;
    runLoop_ = &loop;
    QPointer<QWidget> guard(hWnd());
    QTimer::singleShot(0, hWnd(), [this, guard] {
        if (guard && !ended_ && print::settings().previewShown) {
            auto hook = print::settings().previewShown;
            hook(*this);
        }
    });
    loop.exec();
    runLoop_ = nullptr;
}

bool TPreview::End() {
    if (!TWindow::End())
        return false;
    if (runLoop_)
        runLoop_->quit();
    return true;
}

int TPreview::nPages() const {
    return static_cast<int>(rec_->pages.size());
}

void TPreview::GoPage(int n) {
    const int last = std::max(0, nPages() - 1);
    const int p = std::clamp(n - 1, 0, last);
    if (p == page_)
        return;
    page_ = p;
    showPage();
}

void TPreview::GoTop() {
    GoPage(1);
}
void TPreview::PrevPage() {
    GoPage(nPage() - 1);
}
void TPreview::NextPage() {
    GoPage(nPage() + 1);
}
void TPreview::GoBottom() {
    GoPage(nPages());
}

std::string TPreview::PageText() const {
    return "Pagina: " + std::to_string(nPage()) + " di " + std::to_string(nPages());
}

QWidget* TPreview::PageWidget() const {
    return view_;
}

double TPreview::Scale() const {
    if (zoomed_ && zoomScale_ > 0)
        return zoomScale_;
    return view_->fitScale(scroll_->viewport()->size());
}

void TPreview::showPage() {
    pageLabel_->setText(tk::toQt(PageText()));
    const bool first = page_ == 0;
    const bool last = page_ >= nPages() - 1;
    buttons_[Top]->setEnabled(!first);
    buttons_[Prev]->setEnabled(!first);
    buttons_[Next]->setEnabled(!last);
    buttons_[Last]->setEnabled(!last);
    view_->update();
}

void TPreview::zoomAt(QPointF sheetPoint) {
    if (zoomed_) {
        Zoom();
        return;
    }
    Zoom();
    // Keep the clicked point of the sheet in the middle of the view.
    const QRectF sheet = view_->sheetRect(Scale());
    const QPointF at = sheet.topLeft() + sheetPoint * Scale();
    scroll_->horizontalScrollBar()->setValue(
        static_cast<int>(at.x() - scroll_->viewport()->width() / 2.0));
    scroll_->verticalScrollBar()->setValue(
        static_cast<int>(at.y() - scroll_->viewport()->height() / 2.0));
}

void TPreview::Zoom() {
    if (zoomed_) {
        zoomed_ = false;
        view_->setMinimumSize(0, 0);
    } else {
        zoomScale_ = print::kZoomFactor * view_->fitScale(scroll_->viewport()->size());
        zoomed_ = true;
        const QSizeF s = rec_->paper * zoomScale_;
        view_->setMinimumSize(static_cast<int>(s.width()) + 2 * print::kMargin,
                              static_cast<int>(s.height()) + 2 * print::kMargin);
    }
    // The scroll area takes the new size before the caller scrolls.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    view_->update();
}

void TPreview::PrintDoc() {
    print::printWithDialog(*rec_, nPage(), this);
}

void TPreview::SavePdf() {
    print::savePdfAs(*rec_);
}

void TPreview::SendMail() {
    print::mailPdf(*rec_);
}

bool TPreview::HandleKey(int key) {
    switch (key) {
    case vk::Home:
        GoTop();
        return true;
    case vk::Prior:
        PrevPage();
        return true;
    case vk::Next:
        NextPage();
        return true;
    case vk::End:
        GoBottom();
        return true;
    default:
        return false;
    }
}

} // namespace dn
