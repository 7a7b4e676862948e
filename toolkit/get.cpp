#include "toolkit/get.h"

#include "toolkit/dialog.h"
#include "toolkit/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QValidator>

#include <cmath>

namespace dn {

namespace {

// Free editing rules of a field: numbers and text without a template.
class GetValidator : public QValidator {
public:
    GetValidator(const tk::Picture* pic, QObject* parent) : QValidator(parent), pic_(pic) {}
    State validate(QString& input, int&) const override {
        const std::string s = tk::fromQt(input);
        if (pic_->type() == tk::FieldType::Number)
            return pic_->acceptsNumberText(s) ? Acceptable : Invalid;
        std::string out;
        out.reserve(s.size());
        for (char c : s) {
            const auto a = pic_->accept(0, c);
            if (!a)
                return Invalid;
            out.push_back(*a);
        }
        if (out != s)
            input = tk::toQt(out);
        return Acceptable;
    }

private:
    const tk::Picture* pic_;
};

std::string crlfToLf(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
            continue;
        out.push_back(s[i]);
    }
    return out;
}

std::string lfToCrlf(const std::string& s) {
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    for (char c : s) {
        if (c == '\n')
            out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------- TGet

TGet* TGet::Redefine(int id, Binding b, TDialog& dlg, const GetOptions& o) {
    QWidget* w = tk::templateWidget(dlg, id, {"edit"});
    auto g = std::make_unique<TGet>();
    g->AttachTo(w, &dlg, id);
    const tk::ControlTemplate* ct = dlg.Template() ? dlg.Template()->find(id) : nullptr;
    g->uppercaseStyle_ = ct && ct->has("uppercase");
    // Password fields show their dots in bold Arial 14 unless the caller sets a font.
    if (ct && ct->has("password"))
        g->SetFont(TFont("Arial", 0, -14, true));
    g->setup(std::move(b), o);
    return dlg.Adopt(std::move(g));
}

TGet* TGet::New(int row, int col, Binding b, TWindow& parent, int width, int height,
                const GetOptions& o) {
    auto* e = new tk::EditWidget(parent.hWnd());
    e->setGeometry(col, row, width, height);
    e->show();
    auto g = std::make_unique<TGet>();
    g->AttachTo(e, &parent);
    g->setup(std::move(b), o);
    return parent.Adopt(std::move(g));
}

QLineEdit* TGet::Edit() const {
    return static_cast<QLineEdit*>(hWnd());
}

void TGet::setup(Binding b, const GetOptions& o) {
    bSetGet = std::move(b);
    applyOptions({.change = o.change, .valid = o.valid, .when = o.when, .varName = o.varName});
    auto* e = static_cast<tk::EditWidget*>(Edit());
    e->keyFilter = [this](QKeyEvent* ev) { return handleKey(ev); };
    track(QObject::connect(e, &QLineEdit::textEdited, e, [this] { edited(); }));
    makePicture(o.picture);
}

void TGet::makePicture(const std::string& mask) {
    const Value v = VarGet();
    const tk::FieldType type = tk::fieldTypeOf(v);
    std::string m = mask;
    if (uppercaseStyle_ && type == tk::FieldType::Text && m.find('!') == std::string::npos)
        m = m.empty() ? "@!" : (m[0] == '@' ? "@!" + m.substr(1) : "@! " + m);
    if (type == tk::FieldType::Number && m.empty()) {
        const double n = v.number();
        m = n == std::floor(n) ? "9999999999" : "9999999999.99";
    }
    const int width = v.isText() ? static_cast<int>(v.text().size()) : 0;
    pic_ = tk::Picture(m, type, width);
    QLineEdit* e = Edit();
    if (!e)
        return;
    delete e->validator();
    e->setValidator(pic_.positional() ? nullptr : new GetValidator(&pic_, e));
    e->setMaxLength(pic_.width() > 0 ? pic_.width() : 32767);
    if (type == tk::FieldType::Number)
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Refresh();
}

void TGet::SetPicture(const std::string& mask) {
    makePicture(mask);
}

void TGet::show(const std::string& text) {
    QLineEdit* e = Edit();
    if (!e)
        return;
    const QString q = tk::toQt(text);
    if (e->text() != q) {
        const int cursor = e->cursorPosition();
        e->setText(q);
        e->setCursorPosition(pic_.positional() ? std::min(cursor, static_cast<int>(q.size())) : 0);
    }
}

std::string TGet::GetText() const {
    return Edit() ? tk::fromQt(Edit()->text()) : std::string();
}

void TGet::SetText(const std::string& text) {
    show(text);
}

std::string TGet::FormatValue(const Value& v) const {
    return pic_.format(v);
}

void TGet::Refresh(bool erase) {
    show(pic_.format(VarGet()));
    TWindow::Refresh(erase);
}

void TGet::VarPut(const Value& v) {
    if (bSetGet.set)
        bSetGet.set(v);
    Refresh();
}

bool TGet::Assign() {
    const std::string text = GetText();
    const auto v = pic_.parse(text);
    if (!v)
        return false;
    if (bSetGet.set)
        bSetGet.set(*v);
    if (pic_.type() == tk::FieldType::Number || pic_.type() == tk::FieldType::Date)
        show(pic_.format(*v));
    return true;
}

bool TGet::BadDate() const {
    return pic_.badDate(GetText());
}
bool TGet::BadNumber() const {
    return pic_.badNumber(GetText());
}

void TGet::edited() {
    lModify = true;
    runChange();
}

void TGet::onFocusIn() {
    // A number field selects its whole text on entry, so typing replaces the number
    // rather than inserting into it.
    if (pic_.type() == tk::FieldType::Number) {
        QPointer<QLineEdit> e = Edit();
        QTimer::singleShot(0, e, [e] {
            if (e && e->hasFocus())
                e->selectAll();
        });
    }
    TWindow::onFocusIn();
}

bool TGet::handleKey(QKeyEvent* e) {
    QLineEdit* le = Edit();
    if (!pic_.positional() || !le || le->isReadOnly())
        return false;
    std::string text = GetText();
    int cursor = le->cursorPosition();
    const bool hasSel = le->hasSelectedText();
    const int selFrom = le->selectionStart();
    const int selTo = selFrom + static_cast<int>(le->selectedText().size());
    bool changed = false;

    if (e->matches(QKeySequence::Paste)) {
        const std::string clip = tk::fromQt(QApplication::clipboard()->text());
        if (hasSel) {
            tk::clearRange(pic_, text, selFrom, selTo);
            cursor = selFrom;
        }
        for (char c : clip)
            changed |= tk::typeAt(pic_, text, cursor, c);
    } else if (e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Undo) ||
               e->matches(QKeySequence::Redo)) {
        return true; // a template's literals must stay where they are
    } else if (e->key() == Qt::Key_Backspace) {
        if (hasSel) {
            tk::clearRange(pic_, text, selFrom, selTo);
            cursor = selFrom;
            changed = true;
        } else {
            changed = tk::backspaceAt(pic_, text, cursor);
        }
    } else if (e->key() == Qt::Key_Delete) {
        if (hasSel) {
            tk::clearRange(pic_, text, selFrom, selTo);
            cursor = selFrom;
            changed = true;
        } else {
            changed = tk::deleteAt(pic_, text, cursor);
        }
    } else {
        const std::string typed = tk::fromQt(e->text());
        if (typed.size() != 1 || static_cast<unsigned char>(typed[0]) < 0x20 ||
            (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false; // navigation and shortcuts work as usual
        std::string trial = text;
        int at = cursor;
        if (hasSel) {
            tk::clearRange(pic_, trial, selFrom, selTo);
            at = selFrom;
        }
        if (!tk::typeAt(pic_, trial, at, typed[0])) {
            QApplication::beep();
            return true;
        }
        text = trial;
        cursor = at;
        changed = true;
    }
    if (changed) {
        le->setText(tk::toQt(text));
        le->setCursorPosition(cursor);
        edited();
    }
    return true;
}

// ---------------------------------------------------------------- TMultiGet

TMultiGet* TMultiGet::Redefine(int id, Binding b, TDialog& dlg, const DataOptions& o) {
    QWidget* w = tk::templateWidget(dlg, id, {"multiedit"});
    auto g = std::make_unique<TMultiGet>();
    g->AttachTo(w, &dlg, id);
    g->setup(std::move(b), o);
    return dlg.Adopt(std::move(g));
}

TMultiGet* TMultiGet::New(int row, int col, Binding b, TWindow& parent, int width, int height,
                          const DataOptions& o) {
    auto* m = new tk::MemoWidget(parent.hWnd());
    m->wantReturn = true;
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->setGeometry(col, row, width, height);
    m->show();
    auto g = std::make_unique<TMultiGet>();
    g->AttachTo(m, &parent);
    g->setup(std::move(b), o);
    return parent.Adopt(std::move(g));
}

QPlainTextEdit* TMultiGet::Edit() const {
    return static_cast<QPlainTextEdit*>(hWnd());
}

void TMultiGet::setup(Binding b, const DataOptions& o) {
    bSetGet = std::move(b);
    applyOptions(o);
    QPlainTextEdit* e = Edit();
    track(QObject::connect(e, &QPlainTextEdit::textChanged, e, [this] {
        if (showing_)
            return;
        lModify = true;
        runChange();
    }));
    Refresh();
}

std::string TMultiGet::GetText() const {
    return Edit() ? lfToCrlf(tk::fromQt(Edit()->toPlainText())) : std::string();
}

void TMultiGet::SetText(const std::string& text) {
    QPlainTextEdit* e = Edit();
    if (!e)
        return;
    const QString q = tk::toQt(crlfToLf(text));
    if (e->toPlainText() == q)
        return;
    showing_ = true;
    e->setPlainText(q);
    showing_ = false;
}

void TMultiGet::Refresh(bool erase) {
    const Value v = VarGet();
    SetText(v.isText() ? v.text() : std::string());
    TWindow::Refresh(erase);
}

bool TMultiGet::Assign() {
    if (bSetGet.set)
        bSetGet.set(Value(GetText()));
    return true;
}

} // namespace dn
