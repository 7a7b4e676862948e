#include "toolkit/controls.h"

#include "common/util/trim.h"
#include "toolkit/bitmaps.h"
#include "toolkit/dialog.h"
#include "toolkit/widgets.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace dn {

namespace {} // namespace

// ---------------------------------------------------------------- TSay

TSay* TSay::Redefine(int id, TextBlock text, TDialog& dlg, const Options& o) {
    QWidget* w = tk::templateWidget(dlg, id, {"label"});
    auto s = std::make_unique<TSay>();
    s->AttachTo(w, &dlg, id);
    s->bText = std::move(text);
    s->setup(o);
    return dlg.Adopt(std::move(s));
}

TSay* TSay::New(int row, int col, TextBlock text, TWindow& parent, int width, int height,
                const Options& o) {
    auto* l = new tk::LabelWidget(parent.hWnd());
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(true);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    l->setGeometry(col, row, width, height);
    l->show();
    auto s = std::make_unique<TSay>();
    s->AttachTo(l, &parent);
    s->bText = std::move(text);
    s->setup(o);
    return parent.Adopt(std::move(s));
}

void TSay::setup(const Options& o) {
    if (o.font)
        SetFont(*o.font);
    if (o.clrText || o.clrPane)
        SetColor(o.clrText.value_or(nClrText()), o.clrPane.value_or(nClrPane()));
    if (bText)
        SetText(bText());
}

void TSay::SetText(const std::string& text) {
    if (auto* l = static_cast<tk::LabelWidget*>(hWnd()))
        l->setProgramText(tk::toQt(text));
}

std::string TSay::GetText() const {
    auto* l = static_cast<tk::LabelWidget*>(hWnd());
    return l ? tk::fromQt(l->programText()) : std::string();
}

void TSay::Refresh(bool erase) {
    if (bText)
        SetText(bText());
    TWindow::Refresh(erase);
}

void TSay::SetColor(Color text, Color pane) {
    QWidget* w = hWnd();
    if (!w)
        return;
    QPalette pal = w->palette();
    for (auto g : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(g, QPalette::WindowText, tk::toQColor(text));
        pal.setColor(g, QPalette::Window, tk::toQColor(pane));
    }
    pal.setColor(QPalette::Disabled, QPalette::Window, tk::toQColor(pane));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    w->update();
}

// ---------------------------------------------------------------- TButton

TButton* TButton::Redefine(int id, Block action, TDialog& dlg, const Options& o) {
    QWidget* w = tk::templateWidget(dlg, id, {"button"});
    auto b = std::make_unique<TButton>();
    b->AttachTo(w, &dlg, id);
    b->bAction = std::move(action);
    b->bWhen = o.when;
    b->lCancel = o.cancel.value_or(id == 202);
    if (!o.toolTip.empty())
        w->setToolTip(tk::toQt(o.toolTip));
    b->connectClick();
    return dlg.Adopt(std::move(b));
}

TButton* TButton::New(int row, int col, const std::string& text, TWindow& parent, Block action,
                      int width, int height, const Options& o) {
    auto* pb = new QPushButton(tk::toQt(text), parent.hWnd());
    pb->setGeometry(col, row, width, height);
    pb->show();
    auto b = std::make_unique<TButton>();
    b->AttachTo(pb, &parent);
    b->bAction = std::move(action);
    b->bWhen = o.when;
    b->lCancel = o.cancel.value_or(false);
    if (!o.toolTip.empty())
        pb->setToolTip(tk::toQt(o.toolTip));
    b->connectClick();
    return parent.Adopt(std::move(b));
}

void TButton::connectClick() {
    auto* ab = static_cast<QAbstractButton*>(hWnd());
    track(QObject::connect(ab, &QAbstractButton::clicked, ab, [this] { Click(); }));
}

void TButton::Click() {
    if (bWhen && !bWhen())
        return;
    if (bAction) {
        Block a = bAction;
        a();
    }
    if (oWnd)
        for (TWindow* c : oWnd->aControls)
            c->EvalWhen();
}

void TButton::SetText(const std::string& text) {
    if (auto* b = static_cast<QAbstractButton*>(hWnd()))
        b->setText(tk::toQt(text));
}

std::string TButton::GetText() const {
    auto* b = static_cast<QAbstractButton*>(hWnd());
    return b ? tk::fromQt(b->text()) : std::string();
}

// ---------------------------------------------------------------- TBtnBmp

TBtnBmp* TBtnBmp::Redefine(int id, const std::string& bitmap, Block action, TDialog& dlg,
                           const Options& o) {
    QWidget* w = tk::templateWidget(dlg, id, {"bitmapbutton"});
    auto b = std::make_unique<TBtnBmp>();
    b->AttachTo(w, &dlg, id);
    b->bAction = std::move(action);
    b->bWhen = o.when;
    b->SetBitmap(bitmap);
    b->SetToolTip(o.toolTip);
    static_cast<tk::BitmapButtonWidget*>(w)->raiseOnHover = static_cast<bool>(b->bAction);
    b->connectClick();
    return dlg.Adopt(std::move(b));
}

TBtnBmp* TBtnBmp::New(int row, int col, int width, int height, const std::string& bitmap,
                      TWindow& parent, Block action, const Options& o) {
    auto* w = new tk::BitmapButtonWidget(parent.hWnd());
    w->setGeometry(col, row, width, height);
    w->show();
    auto b = std::make_unique<TBtnBmp>();
    b->AttachTo(w, &parent);
    b->bAction = std::move(action);
    b->bWhen = o.when;
    b->SetBitmap(bitmap);
    b->SetToolTip(o.toolTip);
    w->raiseOnHover = static_cast<bool>(b->bAction);
    b->connectClick();
    return parent.Adopt(std::move(b));
}

void TBtnBmp::SetBitmap(const std::string& bitmap) {
    if (auto* w = static_cast<tk::BitmapButtonWidget*>(hWnd()))
        w->setBitmap(tk::toQt(bitmap));
}

std::string TBtnBmp::cBitmap() const {
    auto* w = static_cast<tk::BitmapButtonWidget*>(hWnd());
    return w ? tk::fromQt(w->bitmap()) : std::string();
}

void TBtnBmp::SetToolTip(const std::string& text) {
    if (hWnd())
        hWnd()->setToolTip(tk::toQt(text));
}

std::string TBtnBmp::cToolTip() const {
    return hWnd() ? tk::fromQt(hWnd()->toolTip()) : std::string();
}

// ---------------------------------------------------------------- TCheckBox

TCheckBox* TCheckBox::Redefine(int id, Binding b, TDialog& dlg, const DataOptions& o) {
    QWidget* w = tk::templateWidget(dlg, id, {"checkbox"});
    auto c = std::make_unique<TCheckBox>();
    c->AttachTo(w, &dlg, id);
    c->setup(std::move(b), o);
    return dlg.Adopt(std::move(c));
}

TCheckBox* TCheckBox::New(int row, int col, const std::string& text, Binding b, TWindow& parent,
                          int width, int height, const DataOptions& o) {
    auto* cb = new QCheckBox(tk::toQt(text), parent.hWnd());
    cb->setGeometry(col, row, width, height);
    cb->show();
    auto c = std::make_unique<TCheckBox>();
    c->AttachTo(cb, &parent);
    c->setup(std::move(b), o);
    return parent.Adopt(std::move(c));
}

void TCheckBox::setup(Binding b, const DataOptions& o) {
    bSetGet = std::move(b);
    applyOptions(o);
    auto* cb = static_cast<QCheckBox*>(hWnd());
    track(QObject::connect(cb, &QCheckBox::clicked, cb, [this](bool on) {
        if (bSetGet.set)
            bSetGet.set(Value(on));
        runChange();
    }));
    Refresh();
}

void TCheckBox::Refresh(bool erase) {
    if (auto* cb = static_cast<QCheckBox*>(hWnd())) {
        const Value v = VarGet();
        cb->setChecked(v.isLogical() && v.logical());
    }
    TWindow::Refresh(erase);
}

bool TCheckBox::Checked() const {
    auto* cb = static_cast<QCheckBox*>(hWnd());
    return cb && cb->isChecked();
}

void TCheckBox::SetCheck(bool on) {
    if (auto* cb = static_cast<QCheckBox*>(hWnd()))
        cb->setChecked(on);
    if (bSetGet.set)
        bSetGet.set(Value(on));
    runChange();
}

// ---------------------------------------------------------------- TRadMenu

TRadMenu* TRadMenu::Redefine(Binding b, TDialog& dlg, const std::vector<int>& ids,
                             const DataOptions& o) {
    if (ids.empty())
        throw std::logic_error("TRadMenu senza pulsanti.");
    auto r = std::make_unique<TRadMenu>();
    r->oWnd = &dlg;
    r->nId = ids.front();
    for (int id : ids)
        r->items_.push_back(tk::templateWidget(dlg, id, {"radio"}));
    r->attach(r->items_.front());
    r->group_ = new QButtonGroup(dlg.hWnd());
    r->group_->setExclusive(true);
    for (QWidget* w : r->items_)
        r->group_->addButton(static_cast<QAbstractButton*>(w));
    r->bSetGet = std::move(b);
    r->applyOptions(o);
    TRadMenu* self = r.get();
    r->track(QObject::connect(
        r->group_, &QButtonGroup::buttonClicked, r->group_, [self](QAbstractButton* btn) {
            auto it =
                std::find(self->items_.begin(), self->items_.end(), static_cast<QWidget*>(btn));
            if (it == self->items_.end())
                return;
            if (self->bSetGet.set)
                self->bSetGet.set(Value(static_cast<int>(it - self->items_.begin()) + 1));
            self->runChange();
        }));
    r->Refresh();
    return dlg.Adopt(std::move(r));
}

int TRadMenu::nOption() const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (static_cast<QAbstractButton*>(items_[i])->isChecked())
            return static_cast<int>(i) + 1;
    return 0;
}

void TRadMenu::SetOption(int n) {
    if (n < 1 || n > static_cast<int>(items_.size()))
        return;
    static_cast<QAbstractButton*>(items_[static_cast<size_t>(n - 1)])->setChecked(true);
    if (bSetGet.set)
        bSetGet.set(Value(n));
    runChange();
}

void TRadMenu::Refresh(bool erase) {
    const Value v = VarGet();
    const int n = v.isNumber() ? static_cast<int>(std::lround(v.number())) : 0;
    if (group_) {
        group_->setExclusive(false);
        for (size_t i = 0; i < items_.size(); ++i)
            static_cast<QAbstractButton*>(items_[i])->setChecked(static_cast<int>(i) + 1 == n);
        group_->setExclusive(true);
    }
    TWindow::Refresh(erase);
}

void TRadMenu::Enable() {
    for (QWidget* w : items_)
        w->setEnabled(true);
}
void TRadMenu::Disable() {
    for (QWidget* w : items_)
        w->setEnabled(false);
}
void TRadMenu::Show() {
    for (QWidget* w : items_)
        w->show();
}
void TRadMenu::Hide() {
    for (QWidget* w : items_)
        w->hide();
}
void TRadMenu::EvalWhen() {
    if (!bWhen)
        return;
    if (bWhen())
        Enable();
    else
        Disable();
}

// ---------------------------------------------------------------- TComboBox

TComboBox* TComboBox::Redefine(int id, Binding b, std::vector<std::string> items, TDialog& dlg,
                               const DataOptions& o) {
    QWidget* w = tk::templateWidget(dlg, id, {"combobox"});
    auto c = std::make_unique<TComboBox>();
    c->AttachTo(w, &dlg, id);
    const tk::ControlTemplate* ct = dlg.Template() ? dlg.Template()->find(id) : nullptr;
    if (ct && ct->has("sort"))
        std::sort(items.begin(), items.end());
    c->setup(std::move(b), std::move(items), o);
    return dlg.Adopt(std::move(c));
}

TComboBox* TComboBox::New(int row, int col, Binding b, std::vector<std::string> items,
                          TWindow& parent, int width, int height, const DataOptions& o) {
    auto* cb = new QComboBox(parent.hWnd());
    const int boxHeight = std::min(height, cb->sizeHint().height());
    cb->setGeometry(col, row, width, boxHeight);
    cb->setMaxVisibleItems(std::max(1, (height - boxHeight) / (cb->fontMetrics().height() + 2)));
    cb->show();
    auto c = std::make_unique<TComboBox>();
    c->AttachTo(cb, &parent);
    c->setup(std::move(b), std::move(items), o);
    return parent.Adopt(std::move(c));
}

QComboBox* TComboBox::Combo() const {
    return static_cast<QComboBox*>(hWnd());
}

bool TComboBox::IsEditable() const {
    return Combo() && Combo()->isEditable();
}

void TComboBox::setup(Binding b, std::vector<std::string> items, const DataOptions& o) {
    bSetGet = std::move(b);
    applyOptions(o);
    items_ = std::move(items);
    QComboBox* cb = Combo();
    track(QObject::connect(cb, &QComboBox::activated, cb, [this](int index) {
        if (filling_ || index < 0 || index >= static_cast<int>(items_.size()))
            return;
        if (bSetGet.set)
            bSetGet.set(Value(items_[static_cast<size_t>(index)]));
        runChange();
    }));
    if (cb->isEditable() && cb->lineEdit())
        track(
            QObject::connect(cb->lineEdit(), &QLineEdit::textEdited, cb, [this] { runChange(); }));
    fill();
}

void TComboBox::fill() {
    QComboBox* cb = Combo();
    if (!cb)
        return;
    filling_ = true;
    cb->clear();
    for (const auto& s : items_)
        cb->addItem(tk::toQt(s));
    filling_ = false;
    Refresh();
}

void TComboBox::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    fill();
}

int TComboBox::nAt() const {
    return Combo() ? Combo()->currentIndex() + 1 : 0;
}

void TComboBox::Select(int n) {
    QComboBox* cb = Combo();
    if (!cb || n < 1 || n > static_cast<int>(items_.size()))
        return;
    filling_ = true;
    cb->setCurrentIndex(n - 1);
    filling_ = false;
    if (bSetGet.set)
        bSetGet.set(Value(items_[static_cast<size_t>(n - 1)]));
}

void TComboBox::Modify(const std::string& text, int n) {
    QComboBox* cb = Combo();
    if (!cb || n < 1 || n > static_cast<int>(items_.size()))
        return;
    items_[static_cast<size_t>(n - 1)] = text;
    cb->setItemText(n - 1, tk::toQt(text));
    if (cb->isEditable() && cb->currentIndex() == n - 1)
        cb->setEditText(tk::toQt(text));
}

std::string TComboBox::GetText() const {
    return Combo() ? tk::fromQt(Combo()->currentText()) : std::string();
}

void TComboBox::SetText(const std::string& text) {
    QComboBox* cb = Combo();
    if (!cb)
        return;
    if (cb->isEditable())
        cb->setEditText(tk::toQt(text));
    else
        cb->setCurrentIndex(cb->findText(tk::toQt(text), Qt::MatchExactly));
}

bool TComboBox::Assign() {
    if (IsEditable() && bSetGet.set)
        bSetGet.set(Value(GetText()));
    return true;
}

void TComboBox::onFocusOut(bool withinWindow) {
    // The list's own popup takes the focus while it is open; that is no leaving.
    if (!withinWindow)
        return;
    TControl::onFocusOut(withinWindow);
}

void TComboBox::Refresh(bool erase) {
    QComboBox* cb = Combo();
    if (!cb)
        return;
    const Value v = VarGet();
    if (v.isText()) {
        int at = -1;
        for (size_t i = 0; i < items_.size() && at < 0; ++i)
            if (items_[i] == v.text())
                at = static_cast<int>(i);
        for (size_t i = 0; i < items_.size() && at < 0; ++i)
            if (trimRight(items_[i]) == trimRight(v.text()))
                at = static_cast<int>(i);
        filling_ = true;
        cb->setCurrentIndex(at);
        if (cb->isEditable())
            cb->setEditText(tk::toQt(v.text()));
        filling_ = false;
    }
    TWindow::Refresh(erase);
}

// ---------------------------------------------------------------- TImage, TProgress

TImage* TImage::Redefine(int id, const std::string& bitmap, TDialog& dlg) {
    QWidget* w = tk::templateWidget(dlg, id, {"bitmap"});
    auto i = std::make_unique<TImage>();
    i->AttachTo(w, &dlg, id);
    i->SetBitmap(bitmap);
    return dlg.Adopt(std::move(i));
}

TImage* TImage::New(int row, int col, int width, int height, const std::string& bitmap,
                    TWindow& parent) {
    auto* w = new tk::ImageWidget(parent.hWnd());
    w->setGeometry(col, row, width, height);
    w->show();
    auto i = std::make_unique<TImage>();
    i->AttachTo(w, &parent);
    i->SetBitmap(bitmap);
    return parent.Adopt(std::move(i));
}

void TImage::SetBitmap(const std::string& bitmap) {
    if (auto* w = static_cast<tk::ImageWidget*>(hWnd()))
        w->setBitmap(tk::toQt(bitmap));
}

std::string TImage::cBitmap() const {
    auto* w = static_cast<tk::ImageWidget*>(hWnd());
    return w ? tk::fromQt(w->bitmap()) : std::string();
}

TProgress* TProgress::Redefine(int id, TDialog& dlg) {
    QWidget* w = tk::templateWidget(dlg, id, {"progress"});
    auto p = std::make_unique<TProgress>();
    p->AttachTo(w, &dlg, id);
    return dlg.Adopt(std::move(p));
}

TProgress* TProgress::New(int row, int col, int width, int height, TWindow& parent) {
    auto* w = new QProgressBar(parent.hWnd());
    w->setTextVisible(false);
    w->setGeometry(col, row, width, height);
    w->show();
    auto p = std::make_unique<TProgress>();
    p->AttachTo(w, &parent);
    return parent.Adopt(std::move(p));
}

void TProgress::SetRange(int from, int to) {
    if (auto* w = static_cast<QProgressBar*>(hWnd()))
        w->setRange(from, std::max(from, to));
}

void TProgress::SetPos(int n) {
    if (auto* w = static_cast<QProgressBar*>(hWnd()))
        w->setValue(std::clamp(n, w->minimum(), w->maximum()));
}

int TProgress::nPos() const {
    auto* w = static_cast<QProgressBar*>(hWnd());
    return w ? w->value() : 0;
}

// ---------------------------------------------------------------- TIcon, TCursor

QIcon TIcon::Load(const std::string& name) {
    QStyle* st = QApplication::style();
    if (name == "WARNING")
        return st->standardIcon(QStyle::SP_MessageBoxWarning);
    if (name == "INFORMATION")
        return st->standardIcon(QStyle::SP_MessageBoxInformation);
    if (name == "QUESTION")
        return st->standardIcon(QStyle::SP_MessageBoxQuestion);
    if (name == "STOP")
        return st->standardIcon(QStyle::SP_MessageBoxCritical);
    return tk::bitmapIcon(tk::toQt(name));
}

TIcon* TIcon::New(int row, int col, const std::string& name, TWindow& parent, int size) {
    auto* l = new QLabel(parent.hWnd());
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    l->setGeometry(col, row, size, size);
    auto i = std::make_unique<TIcon>();
    i->icon_ = Load(name);
    l->setPixmap(i->icon_.pixmap(QSize(size, size), l->devicePixelRatioF()));
    l->show();
    i->AttachTo(l, &parent);
    return parent.Adopt(std::move(i));
}

TIcon* TIcon::Redefine(int id, const std::string& name, TDialog& dlg) {
    QWidget* w = tk::templateWidget(dlg, id, {"bitmap"});
    auto i = std::make_unique<TIcon>();
    i->AttachTo(w, &dlg, id);
    i->icon_ = Load(name);
    static_cast<tk::ImageWidget*>(w)->setBitmap(tk::toQt(name));
    return dlg.Adopt(std::move(i));
}

TCursor::TCursor(const std::string& name) {
    if (name == "WAIT")
        cursor_ = QCursor(Qt::WaitCursor);
    else if (name == "HAND")
        cursor_ = QCursor(Qt::PointingHandCursor);
    else if (name == "IBEAM")
        cursor_ = QCursor(Qt::IBeamCursor);
    else if (name == "CROSS")
        cursor_ = QCursor(Qt::CrossCursor);
    else if (name == "SIZE")
        cursor_ = QCursor(Qt::SizeAllCursor);
    else if (name == "NO")
        cursor_ = QCursor(Qt::ForbiddenCursor);
    else
        cursor_ = QCursor(Qt::ArrowCursor);
}

void TCursor::Set(TWindow& w) const {
    if (w.hWnd())
        w.hWnd()->setCursor(cursor_);
}

} // namespace dn
