#include "toolkit/browse.h"

#include "toolkit/bitmaps.h"
#include "toolkit/browseview.h"
#include "toolkit/dialog.h"
#include "toolkit/keys.h"
#include "toolkit/toolkit.h"
#include "toolkit/widgets.h"

#include <QAbstractScrollArea>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>

namespace dn {

namespace tk {
namespace {

// Paints a TWBrowse and hands it the user's clicks, keys and scrolling.
class BrowseView : public QAbstractScrollArea {
public:
    explicit BrowseView(QWidget* parent) : QAbstractScrollArea(parent) {
        setFocusPolicy(Qt::StrongFocus);
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        viewport()->setAutoFillBackground(false);
        connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
            if (!browse)
                return;
            switch (action) {
            case QAbstractSlider::SliderSingleStepAdd:
                browse->GoDown();
                break;
            case QAbstractSlider::SliderSingleStepSub:
                browse->GoUp();
                break;
            case QAbstractSlider::SliderPageStepAdd:
                browse->PageDown();
                break;
            case QAbstractSlider::SliderPageStepSub:
                browse->PageUp();
                break;
            case QAbstractSlider::SliderToMinimum:
                browse->GoTop();
                break;
            case QAbstractSlider::SliderToMaximum:
                browse->GoBottom();
                break;
            case QAbstractSlider::SliderMove:
                browse->ScrollTo(verticalScrollBar()->sliderPosition());
                break;
            default:
                break;
            }
            // The browse has set the bar where the current row really is.
            verticalScrollBar()->setSliderPosition(verticalScrollBar()->value());
        });
        connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
            if (browse && v != browse->FirstCol())
                browse->SetFirstCol(v);
        });
    }

    TWBrowse* browse = nullptr;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent* e) override {
        QAbstractScrollArea::resizeEvent(e);
        if (browse)
            browse->Layout();
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (!browse)
            return;
        setFocus(Qt::MouseFocusReason);
        const QPoint p = e->position().toPoint();
        if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton)
            browse->ClickAt(p.x(), p.y(), mouseFlags(*e), e->button() == Qt::RightButton, false);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (!browse || e->button() != Qt::LeftButton)
            return;
        const QPoint p = e->position().toPoint();
        browse->ClickAt(p.x(), p.y(), mouseFlags(*e), false, true);
    }
    void wheelEvent(QWheelEvent* e) override {
        if (!browse)
            return;
        const int steps = e->angleDelta().y() / 40;
        for (int i = 0; i < std::abs(steps); ++i)
            steps > 0 ? browse->GoUp() : browse->GoDown();
        e->accept();
    }
    void keyPressEvent(QKeyEvent* e) override {
        const int code = vk::fromQt(*e);
        if (!browse || code == vk::Escape || code == vk::Tab) {
            e->ignore();
            return;
        }
        browse->KeyDown(code, keyFlags(e->modifiers()), fromQt(e->text()));
        e->accept();
    }
};

void BrowseView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QRect area = viewport()->rect();
    p.fillRect(area, toQColor(fieldBackground()));
    if (!browse)
        return;
    const QFontMetrics fm(font());
    const int hh = browse->HeaderHeight();
    const int rh = browse->RowHeight();
    const QColor grid = toQColor(getSysColor(kColorButtonFace));
    const size_t ncols =
        std::max({browse->aHeaders.size(), browse->aColSizes.size(),
                  browse->Rows().empty() ? size_t(0) : browse->Rows().front().cells.size()});
    auto width = [&](size_t c) {
        if (c < browse->aColSizes.size())
            return browse->aColSizes[c];
        const QString h = c < browse->aHeaders.size() ? toQt(browse->aHeaders[c]) : QString();
        return std::max(20, fm.horizontalAdvance(h) + 8);
    };
    auto align = [&](size_t c) {
        const int j = c < browse->aJustify.size() ? browse->aJustify[c] : 0;
        return (j == TWBrowse::Right    ? Qt::AlignRight
                : j == TWBrowse::Center ? Qt::AlignHCenter
                                        : Qt::AlignLeft) |
               Qt::AlignVCenter;
    };
    // Header.
    int x = 0;
    const QColor face = toQColor(getSysColor(kColorButtonFace));
    p.fillRect(QRect(0, 0, area.width(), hh), face);
    for (size_t c = static_cast<size_t>(browse->FirstCol()); c < ncols; ++c) {
        const int w = width(c);
        const QRect cell(x, 0, w, hh);
        p.setPen(toQColor(getSysColor(kColorButtonText)));
        const QString h = c < browse->aHeaders.size() ? toQt(browse->aHeaders[c]) : QString();
        p.drawText(cell.adjusted(3, 0, -3, 0), static_cast<int>(align(c)),
                   fm.elidedText(h, Qt::ElideRight, std::max(0, w - 6)));
        p.setPen(toQColor(getSysColor(kColorButtonShadow)));
        p.drawLine(cell.topRight(), cell.bottomRight());
        x += w;
    }
    p.setPen(toQColor(getSysColor(kColorButtonShadow)));
    p.drawLine(0, hh - 1, area.width(), hh - 1);
    // Rows.
    int y = hh;
    for (size_t r = 0; r < browse->Rows().size(); ++r) {
        const TWBrowse::Row& row = browse->Rows()[r];
        const bool current = static_cast<int>(r) + 1 == browse->nRowPos;
        const QRect line(0, y, area.width(), rh);
        p.fillRect(line, toQColor(current ? row.focusPane : row.pane));
        x = 0;
        for (size_t c = static_cast<size_t>(browse->FirstCol()); c < ncols; ++c) {
            const int w = width(c);
            const QRect cell(x, y, w, rh);
            if (c < row.cells.size()) {
                const BrowseCell& bc = row.cells[c];
                if (!bc.bitmap.empty()) {
                    const int s = std::min(w, rh) - 2;
                    p.setRenderHint(QPainter::Antialiasing);
                    paintBitmap(p,
                                QRectF(cell.center().x() - s / 2.0 + 0.5,
                                       cell.center().y() - s / 2.0 + 0.5, s, s),
                                toQt(bc.bitmap));
                } else if (w > 0) {
                    p.setPen(toQColor(current ? row.focusText : row.text));
                    p.save();
                    p.setClipRect(cell.adjusted(2, 0, -2, 0));
                    p.drawText(cell.adjusted(3, 0, -3, 0), static_cast<int>(align(c)),
                               toQt(bc.text));
                    p.restore();
                }
            }
            p.setPen(grid);
            p.drawLine(cell.topRight(), cell.bottomRight());
            x += w;
        }
        p.setPen(grid);
        p.drawLine(line.bottomLeft(), line.bottomRight());
        y += rh;
    }
    if (hasFocus() && !browse->Rows().empty()) {
        const QRect cur(0, hh + (browse->nRowPos - 1) * rh, area.width(), rh);
        p.setPen(QPen(toQColor(getSysColor(kColorWindowText)), 1, Qt::DotLine));
        p.drawRect(cur.adjusted(0, 0, -1, -1));
    }
}

} // namespace

QWidget* newBrowseWidget(QWidget* parent) {
    return new BrowseView(parent);
}

namespace {
BrowseView* viewOf(const TWBrowse* b) {
    return static_cast<BrowseView*>(b->hWnd());
}
} // namespace

} // namespace tk

TWBrowse* TWBrowse::Redefine(int id, RowBlock line, TDialog& dlg, Options o) {
    QWidget* w = dlg.ControlWidget(id);
    if (!w || w->property(tk::kKindProperty).toString() != QLatin1String("listbox"))
        throw std::logic_error("Lista " + std::to_string(id) + " assente nella finestra " +
                               dlg.cResName() + ".");
    auto b = std::make_unique<TWBrowse>();
    b->AttachTo(w, &dlg, id);
    b->setup(std::move(line), std::move(o));
    return dlg.Adopt(std::move(b));
}

TWBrowse* TWBrowse::New(int row, int col, int width, int height, RowBlock line, TWindow& parent,
                        Options o) {
    QWidget* w = tk::newBrowseWidget(parent.hWnd());
    w->setGeometry(col, row, width, height);
    w->show();
    auto b = std::make_unique<TWBrowse>();
    b->AttachTo(w, &parent);
    b->setup(std::move(line), std::move(o));
    return parent.Adopt(std::move(b));
}

void TWBrowse::setup(RowBlock line, Options o) {
    bLine = std::move(line);
    aHeaders = std::move(o.headers);
    aColSizes = std::move(o.colSizes);
    aJustify = std::move(o.justify);
    bLDblClick = std::move(o.dblClick);
    bChange = std::move(o.change);
    src_ = std::move(o.source);
    tk::viewOf(this)->browse = this;
    if (tk::settings().browseCreated)
        tk::settings().browseCreated();
    Layout();
}

void TWBrowse::SetSource(std::shared_ptr<RowSource> source) {
    src_ = std::move(source);
    nRowPos = 1;
    Refresh();
}

int TWBrowse::nClientWidth() const {
    auto* v = tk::viewOf(this);
    if (!v)
        return 0;
    // Before the list first shows its viewport has no size yet; its frame's inside does.
    if (v->isVisible())
        return v->viewport()->width();
    return v->contentsRect().width() - v->verticalScrollBar()->sizeHint().width();
}

int TWBrowse::RowHeight() const {
    return hWnd() ? QFontMetrics(hWnd()->font()).height() + 3 : 16;
}

int TWBrowse::HeaderHeight() const {
    return hWnd() ? QFontMetrics(hWnd()->font()).height() + 6 : 18;
}

void TWBrowse::Layout() {
    auto* v = tk::viewOf(this);
    if (!v)
        return;
    // Before the list first shows its viewport has no size yet; its frame's inside does.
    const int inside = v->isVisible() ? v->viewport()->height() : v->contentsRect().height();
    const int avail = inside - HeaderHeight();
    rowCount_ = std::max(1, avail / RowHeight());
    Refresh();
}

void TWBrowse::stabilize() {
    if (!src_ || src_->eof()) {
        nRowPos = 1;
        return;
    }
    const int rows = rowCount_;
    nRowPos = std::clamp(nRowPos, 1, rows);
    const long cur = src_->position();
    const long above = -src_->skip(-(rows - 1));
    src_->goTo(cur);
    const long below = src_->skip(rows - 1);
    src_->goTo(cur);
    if (nRowPos - 1 > above)
        nRowPos = static_cast<int>(above) + 1;
    if (below < rows - nRowPos)
        nRowPos = static_cast<int>(std::min<long>(above + 1, rows - below));
    nRowPos = std::max(1, nRowPos);
}

TWBrowse::Row TWBrowse::readRow() const {
    Row r;
    r.pos = src_->position();
    if (bLine)
        r.cells = bLine();
    r.text = nClrText ? nClrText() : tk::getSysColor(tk::kColorWindowText);
    r.pane = nClrPane ? nClrPane() : tk::fieldBackground();
    r.focusText = nClrForeFocus ? nClrForeFocus() : tk::getSysColor(tk::kColorHighlightText);
    r.focusPane = nClrBackFocus ? nClrBackFocus() : tk::getSysColor(tk::kColorHighlight);
    return r;
}

void TWBrowse::fill() {
    rows_.clear();
    if (!src_ || src_->eof())
        return;
    const long cur = src_->position();
    const long back = -src_->skip(-(nRowPos - 1));
    nRowPos = static_cast<int>(back) + 1;
    for (int i = 0; i < rowCount_; ++i) {
        rows_.push_back(readRow());
        if (i + 1 < rowCount_ && src_->skip(1) != 1)
            break;
    }
    src_->goTo(cur);
}

void TWBrowse::updateScroll() {
    auto* v = tk::viewOf(this);
    if (!v)
        return;
    QScrollBar* sb = v->verticalScrollBar();
    const QSignalBlocker block(sb);
    const long ord = src_ && !src_->eof() ? src_->ordinal() : 0;
    sb->setRange(len_ > 0 ? 1 : 0, static_cast<int>(std::max<long>(len_, 0)));
    sb->setPageStep(rowCount_);
    sb->setValue(static_cast<int>(ord));
    QScrollBar* hb = v->horizontalScrollBar();
    const QSignalBlocker hblock(hb);
    const int ncols = static_cast<int>(std::max(aHeaders.size(), aColSizes.size()));
    hb->setRange(0, std::max(0, ncols - 1));
    hb->setPageStep(1);
    hb->setValue(firstCol_);
}

void TWBrowse::Refresh(bool erase) {
    len_ = src_ ? src_->count() : 0;
    redraw();
    (void)erase;
}

void TWBrowse::redraw() {
    stabilize();
    fill();
    updateScroll();
    if (auto* v = tk::viewOf(this))
        v->viewport()->update();
}

void TWBrowse::Stabilize() {
    redraw();
}

void TWBrowse::moved(long before) {
    redraw();
    if (src_ && !src_->eof() && src_->position() != before && bChange) {
        Block b = bChange;
        b();
    }
}

void TWBrowse::GoDown() {
    if (!src_ || src_->eof())
        return;
    const long before = src_->position();
    if (src_->skip(1) == 1 && nRowPos < rowCount_)
        ++nRowPos;
    moved(before);
}

void TWBrowse::GoUp() {
    if (!src_ || src_->eof())
        return;
    const long before = src_->position();
    if (src_->skip(-1) == -1 && nRowPos > 1)
        --nRowPos;
    moved(before);
}

void TWBrowse::PageDown() {
    if (!src_ || src_->eof())
        return;
    const long before = src_->position();
    src_->skip(rowCount_);
    moved(before);
}

void TWBrowse::PageUp() {
    if (!src_ || src_->eof())
        return;
    const long before = src_->position();
    src_->skip(-rowCount_);
    moved(before);
}

void TWBrowse::GoTop() {
    if (!src_)
        return;
    const long before = src_->eof() ? -1 : src_->position();
    src_->goTop();
    nRowPos = 1;
    moved(before);
}

void TWBrowse::GoBottom() {
    if (!src_)
        return;
    const long before = src_->eof() ? -1 : src_->position();
    src_->goBottom();
    nRowPos = rowCount_;
    moved(before);
}

bool TWBrowse::GoToRow(int n) {
    if (!src_ || n < 1 || n > static_cast<int>(rows_.size()))
        return false;
    const long before = src_->position();
    src_->goTo(rows_[static_cast<size_t>(n - 1)].pos);
    nRowPos = n;
    moved(before);
    return true;
}

void TWBrowse::ScrollTo(long ordinal) {
    if (!src_ || src_->eof() || ordinal < 1)
        return;
    const long before = src_->position();
    if (!src_->goToOrdinal(ordinal)) {
        src_->goTop();
        src_->skip(ordinal - 1);
    }
    moved(before);
}

void TWBrowse::SetFirstCol(int c) {
    const int ncols = static_cast<int>(std::max(aHeaders.size(), aColSizes.size()));
    firstCol_ = std::clamp(c, 0, std::max(0, ncols - 1));
    updateScroll();
    if (auto* v = tk::viewOf(this))
        v->viewport()->update();
}

int TWBrowse::nAtCol(int x) const {
    if (!hWnd() || x < 0)
        return 0;
    const QFontMetrics fm(hWnd()->font());
    const size_t ncols = std::max(aHeaders.size(), aColSizes.size());
    int left = 0;
    for (size_t c = static_cast<size_t>(firstCol_); c < ncols; ++c) {
        const int w =
            c < aColSizes.size()
                ? aColSizes[c]
                : std::max(20,
                           fm.horizontalAdvance(tk::toQt(c < aHeaders.size() ? aHeaders[c] : "")) +
                               8);
        if (x >= left && x < left + w)
            return static_cast<int>(c) + 1;
        left += w;
    }
    return 0;
}

int TWBrowse::nAtRow(int y) const {
    const int hh = HeaderHeight();
    if (y < hh)
        return 0;
    const int r = (y - hh) / RowHeight() + 1;
    return r <= static_cast<int>(rows_.size()) ? r : 0;
}

std::vector<std::vector<std::string>> TWBrowse::ShownRows() const {
    std::vector<std::vector<std::string>> out;
    for (const Row& r : rows_) {
        std::vector<std::string> cells;
        for (const BrowseCell& c : r.cells)
            cells.push_back(c.bitmap.empty() ? c.text : c.bitmap);
        out.push_back(std::move(cells));
    }
    return out;
}

void TWBrowse::ColumnClicked(int col) {
    if (col >= 1 && col <= static_cast<int>(aActions.size()) &&
        aActions[static_cast<size_t>(col - 1)]) {
        Block a = aActions[static_cast<size_t>(col - 1)];
        a();
    }
}

void TWBrowse::ClickAt(int x, int y, int flags, bool right, bool dbl) {
    if (y < HeaderHeight()) {
        if (!right && !dbl)
            ColumnClicked(nAtCol(x));
        return;
    }
    const int r = nAtRow(y);
    if (r == 0)
        return;
    if (!right && r != nRowPos)
        GoToRow(r);
    const ClickBlock& b = dbl ? bLDblClick : right ? bRClicked : bLClicked;
    if (b) {
        ClickBlock call = b;
        call(y, x, flags, *this);
    }
}

void TWBrowse::KeyDown(int code, int flags, const std::string& ch) {
    switch (code) {
    case vk::Up:
        GoUp();
        break;
    case vk::Down:
        GoDown();
        break;
    case vk::Prior:
        PageUp();
        break;
    case vk::Next:
        PageDown();
        break;
    case vk::Home:
        GoTop();
        break;
    case vk::End:
        GoBottom();
        break;
    case vk::Left:
        SetFirstCol(firstCol_ - 1);
        break;
    case vk::Right:
        SetFirstCol(firstCol_ + 1);
        break;
    default:
        break;
    }
    if (bKeyDown && code) {
        KeyBlock b = bKeyDown;
        b(code, flags, *this);
    }
    if (bKeyChar && ch.size() == 1) {
        KeyBlock b = bKeyChar;
        b(static_cast<unsigned char>(ch[0]), flags, *this);
    }
}

void TWBrowse::onKey(int, int, const std::string&) {}

bool TWBrowse::onClick(QMouseEvent*) {
    return false;
}

std::optional<std::string> TWBrowse::EditColumn(int col, const std::string& text, int maxLength) {
    auto* v = tk::viewOf(this);
    if (!v || col < 1 || nRowPos < 1 || nRowPos > static_cast<int>(rows_.size()))
        return std::nullopt;
    if (col - 1 < firstCol_)
        SetFirstCol(col - 1);
    int left = 0;
    const QFontMetrics fm(v->font());
    for (int c = firstCol_; c < col - 1; ++c)
        left += c < static_cast<int>(aColSizes.size()) ? aColSizes[static_cast<size_t>(c)] : 60;
    const int w = col - 1 < static_cast<int>(aColSizes.size())
                      ? aColSizes[static_cast<size_t>(col - 1)]
                      : v->viewport()->width() - left;
    const QRect cell(left, HeaderHeight() + (nRowPos - 1) * RowHeight(), std::max(w, 40),
                     RowHeight());

    QPointer<QLineEdit> ed = new QLineEdit(v->viewport());
    ed->setFrame(false);
    ed->setGeometry(cell);
    ed->setText(tk::toQt(text));
    if (maxLength > 0)
        ed->setMaxLength(maxLength);
    ed->show();
    ed->setFocus(Qt::OtherFocusReason);
    ed->selectAll();

    // Enter keeps the text; Esc or leaving the cell cancels.
    struct Watch : QObject {
        QEventLoop* loop = nullptr;
        bool accepted = false;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress) {
                auto* k = static_cast<QKeyEvent*>(e);
                if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                    accepted = true;
                    loop->quit();
                    return true;
                }
                if (k->key() == Qt::Key_Escape) {
                    loop->quit();
                    return true;
                }
            } else if (e->type() == QEvent::FocusOut || e->type() == QEvent::Hide) {
                loop->quit();
            }
            return false;
        }
    } watch;
    QEventLoop loop;
    watch.loop = &loop;
    ed->installEventFilter(&watch);
    loop.exec();
    std::optional<std::string> result;
    if (ed) {
        ed->removeEventFilter(&watch);
        if (watch.accepted)
            result = tk::fromQt(ed->text());
        delete ed.data();
    }
    if (auto* view = tk::viewOf(this))
        view->setFocus(Qt::OtherFocusReason);
    Refresh();
    return result;
}

} // namespace dn
