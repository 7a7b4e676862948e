#include "common/ui/popmsg.h"

#include "common/ui/msgbox.h"
#include "common/ui/msgtext.h"
#include "common/util/messages.h"
#include "platform/sound.h"
#include "toolkit/toolkit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace dn::ui {

namespace {

// The one wait box, or none.
std::unique_ptr<TMsgBox>& waitBox() {
    static std::unique_ptr<TMsgBox> box;
    return box;
}

void closeWaitBox() {
    // Taken out first: events that run while it closes may open a new one.
    std::unique_ptr<TMsgBox> box = std::move(waitBox());
    if (box)
        box->End();
}

// The window a message box belongs to: the active modal dialog, else the active
// window, when it is shown.
QWidget* messageOwner() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w)
        w = QApplication::activeWindow();
    return w && w->isVisible() ? w : nullptr;
}

// The modal box itself. REQUIRES: 1 <= kind <= 6.
int showMessageBox(int kind, const std::string& text, const std::string& title) {
    closeWaitBox();
    if (kind >= 2)
        platform::TONE(880, 1);
    QMessageBox box(messageOwner());
    box.setWindowTitle(tk::toQt(title.empty() ? std::string("Attenzione") : title));
    box.setText(qtText(messageText(text)));
    box.setTextFormat(Qt::PlainText);
    using B = QMessageBox::StandardButton;
    switch (kind) {
    case 1:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(B::Ok);
        break;
    case 2:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(B::Ok | B::Cancel);
        box.setDefaultButton(B::Ok);
        break;
    case 3:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(B::Yes | B::No | B::Cancel);
        box.setDefaultButton(B::Yes);
        box.setEscapeButton(B::Cancel);
        break;
    case 4:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(B::Yes | B::No);
        box.setDefaultButton(B::Yes);
        break;
    case 5:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(B::Yes | B::No);
        box.setDefaultButton(B::No);
        break;
    default:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(B::Ok | B::Cancel);
        box.setDefaultButton(B::Ok);
        break;
    }
    // The Italian button texts of the system's own boxes.
    const std::pair<B, const char*> texts[] = {
        {B::Ok, "OK"}, {B::Cancel, "Annulla"}, {B::Yes, "&S\xEC"}, {B::No, "&No"}};
    for (const auto& [b, t] : texts)
        if (QAbstractButton* btn = box.button(b))
            btn->setText(tk::toQt(t));
    box.exec();
    const B pressed = box.standardButton(box.clickedButton());
    switch (kind) {
    case 1:
        return 0;
    case 3:
        return pressed == B::Yes ? 6 : pressed == B::No ? 7 : 2;
    case 4:
    case 5:
        return pressed == B::Yes ? 1 : 0;
    default:
        return pressed == B::Ok ? 1 : 0;
    }
}

// The message seam on the windows: the boxes above and the wait box.
class QtMessages final : public Messages {
public:
    int ask(int kind, const std::string& text, const std::string& title) override {
        if (kind < 1 || kind > 6) {
            closeWaitBox();
            return 0;
        }
        const int r = showMessageBox(kind, text, title);
        tk::processEvents();
        return r;
    }
    void showWait(const std::string& text, const std::string& title, bool update) override {
        WaitMsg w;
        w.text = text;
        w.title = title;
        w.update = update;
        POPMSG(w);
    }
    void closeWait() override { closeWaitBox(); }
    std::optional<std::string> currentWait() const override { return CURMSG(); }
    void processEvents() override { tk::processEvents(); }
};

QtMessages g_qtMessages;

} // namespace

int POPMSG(std::string_view text, int kind, std::string_view title) {
    closeWaitBox();
    if (kind < 1 || kind > 6)
        return 0;
    const int r = messages().ask(kind, messageText(text),
                                 title.empty() ? std::string("Attenzione") : std::string(title));
    tk::processEvents();
    return r;
}

void POPMSG(const WaitMsg& w) {
    std::optional<std::string> text;
    if (w.text)
        text = messageText(*w.text);
    auto& box = waitBox();
    if (!text && !w.printing && !w.nextPage) {
        closeWaitBox();
        return;
    }
    if (!box) {
        box =
            TMsgBox::New(text.value_or(std::string()), w.title, w.rangeFrom, w.rangeTo, w.printing);
        return;
    }
    if (w.update) {
        if (text)
            box->SetMsg(*text);
        if (w.position)
            box->SetPos(*w.position);
        return;
    }
    if (w.nextPage) {
        ++box->nPag;
        box->SetMsg(std::to_string(box->nPag), true);
    }
}

std::optional<std::string> CURMSG() {
    const auto& box = waitBox();
    if (!box)
        return std::nullopt;
    return box->cMsg();
}

void installMessages() {
    setMessages(&g_qtMessages);
}

void uninstallMessages() {
    if (&messages() == &g_qtMessages)
        setMessages(nullptr);
}

} // namespace dn::ui
