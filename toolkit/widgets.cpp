#include "toolkit/widgets.h"

#include "toolkit/bitmaps.h"
#include "toolkit/browseview.h"
#include "toolkit/dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabWidget>

namespace dn::tk {

DialogWidget::DialogWidget(TDialog* owner, QWidget* parent, bool page)
    : QDialog(parent), owner_(owner), page_(page) {
    if (page)
        setWindowFlags(Qt::Widget);
    setSizeGripEnabled(false);
}

void DialogWidget::keyPressEvent(QKeyEvent* e) {
    // A folder page leaves Esc and Enter to the dialog that holds it.
    if (page_) {
        e->ignore();
        return;
    }
    QDialog::keyPressEvent(e);
}

void DialogWidget::done(int r) {
    owner_->End(r);
}
void DialogWidget::accept() {
    owner_->End(1);
}
void DialogWidget::reject() {
    owner_->End(0);
}

void DialogWidget::paintEvent(QPaintEvent* e) {
    QDialog::paintEvent(e);
    QPainter p(this);
    if (owner_->bPainted)
        owner_->bPainted(p);
    owner_->PaintSaid(p);
}

void DialogWidget::closeEvent(QCloseEvent* e) {
    if (!isVisible() || owner_->IsEnded() || owner_->End(0))
        e->accept();
    else
        e->ignore();
}

QString withoutMnemonic(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&')
                out += u'&', ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

void LabelWidget::setProgramText(const QString& text) {
    text_ = text;
    setText(withoutMnemonic(text));
}

void EditWidget::keyPressEvent(QKeyEvent* e) {
    if (keyFilter && keyFilter(e))
        return;
    QLineEdit::keyPressEvent(e);
}

MemoWidget::MemoWidget(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
}

void MemoWidget::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !wantReturn &&
        !(e->modifiers() & Qt::ControlModifier)) {
        e->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

BitmapButtonWidget::BitmapButtonWidget(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void BitmapButtonWidget::setBitmap(const QString& name) {
    bitmap_ = name;
    update();
}

void BitmapButtonWidget::enterEvent(QEnterEvent* e) {
    hover_ = true;
    update();
    QAbstractButton::enterEvent(e);
}

void BitmapButtonWidget::leaveEvent(QEvent* e) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(e);
}

void BitmapButtonWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect());
    if (isDown() || (hover_ && isEnabled() && raiseOnHover)) {
        QStyleOptionButton opt;
        opt.initFrom(this);
        opt.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonTool, &opt, &p, this);
    }
    if (!isEnabled())
        p.setOpacity(0.4);
    const qreal inset = isDown() ? 1.0 : 0.0;
    paintBitmap(p, r.adjusted(inset, inset, inset, inset), bitmap_);
}

ImageWidget::ImageWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ImageWidget::setBitmap(const QString& name) {
    bitmap_ = name;
    update();
}

void ImageWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    paintBitmap(p, QRectF(rect()), bitmap_);
}

namespace {

Qt::Alignment labelAlignment(const ControlTemplate& c) {
    Qt::Alignment a = Qt::AlignLeft;
    if (c.has("right"))
        a = Qt::AlignRight;
    else if (c.has("center"))
        a = Qt::AlignHCenter;
    return a | (c.has("vcenter") ? Qt::AlignVCenter : Qt::AlignTop);
}

} // namespace

QWidget* createControlWidget(const ControlTemplate& c, QWidget* parent, const DialogUnits& u) {
    QWidget* w = nullptr;
    QRect geo = u.rect(c.x, c.y, c.width, c.height);
    switch (c.kind) {
    case ControlKind::Label: {
        auto* l = new LabelWidget(parent);
        l->setTextFormat(Qt::PlainText);
        l->setProgramText(c.text);
        l->setAlignment(labelAlignment(c));
        l->setWordWrap(!c.has("nowrap"));
        if (c.has("sunken"))
            l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        else if (c.has("border"))
            l->setFrameStyle(QFrame::Box | QFrame::Plain);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        w = l;
        break;
    }
    case ControlKind::Edit: {
        auto* e = new EditWidget(parent);
        if (c.has("password"))
            e->setEchoMode(QLineEdit::Password);
        if (c.has("readonly"))
            e->setReadOnly(true);
        if (c.has("number"))
            e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        e->setText(c.text);
        w = e;
        break;
    }
    case ControlKind::MultiEdit: {
        auto* m = new MemoWidget(parent);
        m->wantReturn = c.has("wantreturn");
        m->setReadOnly(c.has("readonly"));
        m->setVerticalScrollBarPolicy(c.has("vscroll") ? Qt::ScrollBarAlwaysOn
                                                       : Qt::ScrollBarAlwaysOff);
        m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        m->setPlainText(c.text);
        w = m;
        break;
    }
    case ControlKind::Button: {
        auto* b = new QPushButton(c.text, parent);
        if (c.has("default"))
            b->setDefault(true);
        w = b;
        break;
    }
    case ControlKind::CheckBox: {
        auto* b = new QCheckBox(c.text, parent);
        if (c.has("lefttext"))
            b->setLayoutDirection(Qt::RightToLeft);
        w = b;
        break;
    }
    case ControlKind::Radio:
        w = new QRadioButton(c.text, parent);
        break;
    case ControlKind::ComboBox: {
        auto* cb = new QComboBox(parent);
        cb->setEditable(c.has("editable"));
        // The template's height includes the dropped list; the box keeps its own.
        const int listHeight = geo.height();
        const int boxHeight = std::min(listHeight, cb->sizeHint().height());
        const int itemHeight = std::max(1, cb->fontMetrics().height() + 2);
        cb->setMaxVisibleItems(std::max(1, (listHeight - boxHeight) / itemHeight));
        geo.setHeight(boxHeight);
        w = cb;
        break;
    }
    case ControlKind::ListBox:
        w = newBrowseWidget(parent);
        break;
    case ControlKind::GroupBox: {
        auto* g = new QGroupBox(c.text, parent);
        g->setAttribute(Qt::WA_TransparentForMouseEvents);
        g->setFocusPolicy(Qt::NoFocus);
        w = g;
        break;
    }
    case ControlKind::Line: {
        auto* f = new QFrame(parent);
        const bool horizontal = c.height <= 2;
        f->setFrameShape(horizontal ? QFrame::HLine : QFrame::VLine);
        f->setFrameShadow(QFrame::Sunken);
        f->setAttribute(Qt::WA_TransparentForMouseEvents);
        if (horizontal)
            geo.setHeight(std::max(2, geo.height()));
        else
            geo.setWidth(std::max(2, geo.width()));
        w = f;
        break;
    }
    case ControlKind::Bitmap: {
        auto* i = new ImageWidget(parent);
        i->setBitmap(c.text);
        w = i;
        break;
    }
    case ControlKind::BitmapButton: {
        auto* b = new BitmapButtonWidget(parent);
        b->setBitmap(c.text);
        w = b;
        break;
    }
    case ControlKind::Progress: {
        auto* p = new QProgressBar(parent);
        p->setTextVisible(false);
        w = p;
        break;
    }
    case ControlKind::Folder: {
        auto* t = new QTabWidget(parent);
        if (!c.text.isEmpty())
            for (const QString& prompt : c.text.split(u'|'))
                t->addTab(new QWidget(t), prompt);
        w = t;
        break;
    }
    }
    w->setGeometry(geo);
    w->setProperty(kIdProperty, c.id);
    w->setProperty(kKindProperty, QString::fromLatin1(kindName(c.kind)));
    w->setObjectName(QStringLiteral("ctl%1").arg(c.id));
    return w;
}

} // namespace dn::tk
