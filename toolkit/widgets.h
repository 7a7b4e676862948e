#pragma once

// The Qt widgets behind the toolkit's classes. Only the toolkit and its tests use
// these directly; the program works through the T* classes.

#include "toolkit/dialogtemplate.h"
#include "toolkit/units.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>

namespace dn {
class TDialog;
}

namespace dn::tk {

// A dialog's window (or a folder page when `page`): shows what Say drew and routes
// every close (Esc, close box, done) through TDialog::End.
class DialogWidget : public QDialog {
public:
    DialogWidget(TDialog* owner, QWidget* parent, bool page);
    // Closes for real, after the close check has allowed it.
    void finish(int r) { QDialog::done(r); }

    void done(int r) override;
    void accept() override;
    void reject() override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    TDialog* owner_;
    bool page_;
};

// A static label: its text top-aligned unless vcentred, a single "&" left out and
// "&&" shown as "&" (no shortcut is marked or bound); clicks pass through to the
// dialog.
class LabelWidget : public QLabel {
public:
    explicit LabelWidget(QWidget* parent) : QLabel(parent) {}
    void setProgramText(const QString& text);
    const QString& programText() const { return text_; }

private:
    QString text_;
};

// A one-line edit whose key presses a TGet may take over.
class EditWidget : public QLineEdit {
public:
    explicit EditWidget(QWidget* parent) : QLineEdit(parent) {}
    // Returns true when it handled the key.
    std::function<bool(QKeyEvent*)> keyFilter;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

// A multi-line edit; Enter makes a new line only with wantReturn, else it goes to
// the dialog (its default button). Tab moves on.
class MemoWidget : public QPlainTextEdit {
public:
    explicit MemoWidget(QWidget* parent);
    bool wantReturn = false;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

// A flat button that shows a named bitmap filling its area.
class BitmapButtonWidget : public QAbstractButton {
public:
    explicit BitmapButtonWidget(QWidget* parent);
    void setBitmap(const QString& name);
    const QString& bitmap() const { return bitmap_; }
    QSize sizeHint() const override { return QSize(24, 24); }
    // Shows a raised frame under the mouse (buttons with an action).
    bool raiseOnHover = false;

protected:
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    QString bitmap_;
    bool hover_ = false;
};

// A named bitmap drawn to fill the widget; clicks go through to the dialog.
class ImageWidget : public QWidget {
public:
    explicit ImageWidget(QWidget* parent);
    void setBitmap(const QString& name);
    const QString& bitmap() const { return bitmap_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QString bitmap_;
};

// Text of a label or check box with "&" shortcut marks taken out ("&&" is one "&").
QString withoutMnemonic(const QString& text);

// The widget for one template control, placed by the dialog units.
QWidget* createControlWidget(const ControlTemplate& c, QWidget* parent, const DialogUnits& u);

// Property names set on template widgets.
inline constexpr const char* kIdProperty = "dn_id";
inline constexpr const char* kKindProperty = "dn_kind";

} // namespace dn::tk
