#include "common/ui/msgbox.h"

#include "common/ui/msgtext.h"
#include "toolkit/toolkit.h"

#include <QApplication>
#include <QFontMetrics>

#include <algorithm>

namespace dn::ui {

namespace {

// Frame around a box's client area, in pixels: its sizes are those of the whole
// window, as the box was designed, while the toolkit sizes client areas.
int frameWidth() {
    return 2 * 3;
}
int frameHeight() {
    return tk::captionHeight() + 2 * 3;
}

// Lines of a text as the box measures them: at most 1024 characters each.
struct Measure {
    int lines = 1;
    int width = 100;
};

Measure measure(const std::string& text, const QFontMetrics& fm) {
    if (text.empty())
        return {};
    Measure m{0, 0};
    for (const QString& line : qtLines(text)) {
        ++m.lines;
        m.width = std::max(m.width, fm.horizontalAdvance(line.left(1024)));
    }
    return m;
}

// A label shows "&" as a shortcut mark; the box shows the text as it is.
std::string escapeAmpersands(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == '&')
            out.push_back('&');
        out.push_back(c);
    }
    return out;
}

} // namespace

TFont msgBoxFont() {
    return TFont("Arial", 0, -15);
}

std::unique_ptr<TMsgBox> TMsgBox::New(const std::string& text, const std::string& title,
                                      std::optional<int> rangeFrom, std::optional<int> rangeTo,
                                      bool printing) {
    std::unique_ptr<TMsgBox> box(new TMsgBox);
    box->printing_ = printing;
    QWidget* active = QApplication::activeWindow();
    box->remembered_ = active;

    if (printing) {
        box->dlg_ = std::make_unique<TDialog>("PRINTDLG");
        box->say_ = TSay::Redefine(103, {}, *box->dlg_);
        if (!title.empty())
            box->dlg_->SetText(title);
    } else {
        // Caption and a modal frame, no system menu: the user cannot close it.
        tk::DialogTemplate t;
        t.caption = tk::toQt(title.empty() ? std::string("Attendere") : title);
        t.fontFace = QStringLiteral("Arial");
        t.fontSize = 11;
        t.width = 1;
        t.height = 1;
        t.style = {"popup", "caption", "modalframe"};
        box->dlg_ = std::make_unique<TDialog>(t);
        TIcon::New(18, 18, "WARNING", *box->dlg_, 32);
        const TFont font = msgBoxFont();
        TSay::Options so;
        so.font = &font;
        box->say_ = TSay::New(25, 65, {}, *box->dlg_, 10, 10, so);
        if (rangeFrom && rangeTo) {
            box->prg_ = TProgress::New(0, 15, 10, 20, *box->dlg_);
            box->prg_->SetRange(*rangeFrom, *rangeTo);
        }
    }
    TDialog& dlg = *box->dlg_;
    dlg.hWnd()->setCursor(Qt::WaitCursor);
    TMsgBox* self = box.get();
    // Only End closes it: Esc, the close box and Alt+F4 are refused.
    dlg.bValid = [self] { return self->ending_; };

    if (printing) {
        // Shorter than the template, and the button stays hidden.
        dlg.SetSize(dlg.nWidth(), std::max(1, dlg.nHeight() - 33));
        if (QWidget* b = dlg.ControlWidget(202))
            b->hide();
        self->msg_.clear();
    } else {
        self->msg_ = text;
        self->say_->SetText(escapeAmpersands(displayText(text)));
        self->layout(false);
    }
    TDialog::ActivateOptions ao;
    ao.centered = true;
    ao.modal = false;
    dlg.Activate(ao);
    dlg.hWnd()->activateWindow();
    dlg.SetFocus();
    if (active && active->isEnabled() && active != dlg.hWnd()) {
        active->setEnabled(false);
        box->disabledIt_ = true;
    }
    return box;
}

TMsgBox::~TMsgBox() {
    End();
}

void TMsgBox::layout(bool keepCentre) {
    TDialog& dlg = *dlg_;
    const QFontMetrics fm(msgBoxFont().hFont());
    Measure m = measure(msg_, fm);
    const int textLines = m.lines;
    if (prg_) {
        m.lines += 1;
        m.width += 5;
    }
    // Whole-window size, then the client area inside the frame.
    const int w = m.width + 110;
    const int h = (m.lines + 6) * fm.height();
    const int centre = dlg.nLeft() + (dlg.nWidth() + frameWidth()) / 2;
    dlg.SetSize(w - frameWidth(), h - frameHeight());
    // The label holds every line of the text, so a longer text is never cut.
    const int textHeight =
        std::max(textLines * fm.lineSpacing(), fm.size(0, qtText(msg_)).height());
    say_->Move(25, 65, w - 90, textHeight);
    if (prg_)
        prg_->Move(h - 60, 15, w - 35, 20);
    if (keepCentre)
        dlg.Move(dlg.nTop(), centre - w / 2);
}

void TMsgBox::SetMsg(const std::string& text, bool pageMode) {
    if (pageMode) {
        if (say_)
            say_->SetText(text);
    } else if (!printing_) {
        const std::string old = msg_;
        msg_ = text;
        const QFontMetrics fm(msgBoxFont().hFont());
        const Measure a = measure(old, fm);
        const Measure b = measure(text, fm);
        if (a.width != b.width || a.lines != b.lines)
            layout(true);
        say_->SetText(escapeAmpersands(displayText(text)));
    }
    msg_ = text;
}

void TMsgBox::SetPos(int n) {
    if (prg_)
        prg_->SetPos(n);
}

void TMsgBox::End() {
    if (ended_)
        return;
    ended_ = true;
    if (disabledIt_ && remembered_)
        remembered_->setEnabled(true);
    tk::processEvents();
    ending_ = true;
    if (dlg_)
        dlg_->End(0);
    dlg_.reset();
    say_ = nullptr;
    prg_ = nullptr;
}

} // namespace dn::ui
