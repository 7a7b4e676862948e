// Messages and the wait box: the real Qt boxes and wait box on the offscreen
// platform, and POPMSG's route through the message seam.

#include "common/ui/popmsg.h"

#include "common/ui/msgbox.h"
#include "common/ui/startup.h"
#include "common/util/messages.h"
#include "platform/sound.h"
#include "tests/support/gui.h"
#include "tests/support/messages_fake.h"
#include "toolkit/print/settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace dn::test {
namespace {

using namespace dn::ui;

// The test's own handle on the wait box through what the screen shows.
QDialog* waitDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QDialog*>(w);
            d && d->isVisible() && !qobject_cast<QMessageBox*>(w))
            if (d->windowTitle() == "Attendere")
                return d;
    return nullptr;
}

QString waitLabelText() {
    QDialog* d = waitDialog();
    if (!d)
        return {};
    for (QLabel* l : d->findChildren<QLabel*>())
        if (!l->text().isEmpty())
            return l->text();
    return {};
}

// Installs the Qt boxes for one test and takes them out again.
struct QtSeam {
    QtSeam() {
        guiApp();
        installUi();
    }
    ~QtSeam() {
        POPMSG();
        uninstallUi();
    }
};

// Runs `act` on the first message box that shows.
void onMessageBox(std::function<void(QMessageBox&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*box);
        }
    });
    timer->start();
}

void sendKey(QWidget& w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&w, &release);
}

TEST(WaitBox, ASecondTextKeepsTheFirstUnlessUpdating) {
    QtSeam seam;
    POPMSG("A");
    POPMSG("B");
    EXPECT_EQ(CURMSG(), "A");
    EXPECT_EQ(waitLabelText(), "A");
    WaitMsg up;
    up.text = "B";
    up.update = true;
    POPMSG(up);
    EXPECT_EQ(CURMSG(), "B");
    EXPECT_EQ(waitLabelText(), "B");
    POPMSG();
    EXPECT_EQ(CURMSG(), std::nullopt);
    EXPECT_EQ(waitDialog(), nullptr);
    POPMSG(); // nothing open: nothing happens
    EXPECT_EQ(CURMSG(), std::nullopt);
}

TEST(WaitBox, EmptyTextOpensABoxAndTextsAreTrimmedAndRepaired) {
    QtSeam seam;
    POPMSG("");
    EXPECT_EQ(CURMSG(), "");
    EXPECT_NE(waitDialog(), nullptr);
    POPMSG();
    POPMSG("  Verifica in corso;attendere perch\x8A & basta  ");
    EXPECT_EQ(CURMSG(), "Verifica in corso;attendere perch\xE8 & basta");
    EXPECT_EQ(waitLabelText(), QString::fromUtf8("Verifica in corso\nattendere perchè & basta"));
    EXPECT_EQ(waitDialog()->windowTitle(), "Attendere");
}

TEST(WaitBox, TextFitsTheBoxAndTheProgressBarSitsBelowIt) {
    QtSeam seam;
    WaitMsg w;
    w.text = "Manutenzione degli archivi in corso.;Riga due, un poco pi\xF9 lunga della prima.";
    w.title = "Manutenzione";
    w.rangeFrom = 0;
    w.rangeTo = 10;
    POPMSG(w);
    QDialog* d = nullptr;
    for (QWidget* tl : QApplication::topLevelWidgets())
        if (tl->isVisible() && tl->windowTitle() == "Manutenzione")
            d = qobject_cast<QDialog*>(tl);
    ASSERT_NE(d, nullptr);
    QLabel* label = nullptr;
    for (QLabel* l : d->findChildren<QLabel*>())
        if (l->text().startsWith("Manutenzione"))
            label = l;
    ASSERT_NE(label, nullptr);
    auto* bar = d->findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    const QFontMetrics fm(label->font());
    const QSize need = fm.size(0, label->text());
    EXPECT_GE(label->width(), need.width());
    EXPECT_GE(label->height(), need.height()) << "every line shows";
    EXPECT_TRUE(d->rect().contains(label->geometry()));
    EXPECT_TRUE(d->rect().contains(bar->geometry()));
    EXPECT_GT(bar->y(), label->geometry().bottom());
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 10);

    // The bar moves only with an update.
    WaitMsg pos;
    pos.text = *w.text;
    pos.position = 4;
    POPMSG(pos);
    EXPECT_EQ(bar->value() <= 0, true);
    pos.update = true;
    POPMSG(pos);
    EXPECT_EQ(bar->value(), 4);

    // A wider text widens the box around the same centre, and still fits.
    const int centre = d->geometry().center().x();
    WaitMsg wider;
    wider.text = "Una riga molto pi\xF9 lunga di tutte le altre, per vedere se il riquadro "
                 "si allarga;e un'altra;e un'altra ancora";
    wider.update = true;
    POPMSG(wider);
    EXPECT_GE(label->width(), QFontMetrics(label->font()).size(0, label->text()).width());
    EXPECT_GE(label->height(), QFontMetrics(label->font()).size(0, label->text()).height());
    EXPECT_NEAR(d->geometry().center().x(), centre, 2);
    EXPECT_TRUE(d->rect().contains(bar->geometry()));
    EXPECT_GT(bar->y(), label->geometry().bottom());
}

TEST(WaitBox, DisablesTheActiveWindowAndCannotBeClosedByTheUser) {
    QtSeam seam;
    auto win = TWindow::New(100, 100, 300, 400, "Principale");
    win->Show();
    QApplication::setActiveWindow(win->hWnd());
    settle();
    ASSERT_EQ(QApplication::activeWindow(), win->hWnd());
    POPMSG("Attendere prego");
    EXPECT_FALSE(win->hWnd()->isEnabled());
    QDialog* d = waitDialog();
    ASSERT_NE(d, nullptr);
    sendKey(*d, Qt::Key_Escape);
    d->close();
    settle();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(CURMSG(), "Attendere prego");
    POPMSG();
    EXPECT_TRUE(win->hWnd()->isEnabled());
    EXPECT_EQ(waitDialog(), nullptr);

    // A window that was disabled already stays so.
    QApplication::setActiveWindow(win->hWnd());
    win->hWnd()->setEnabled(false);
    POPMSG("Ancora");
    POPMSG();
    EXPECT_FALSE(win->hWnd()->isEnabled());
}

TEST(WaitBox, PrintingBoxCountsPagesAcrossCalls) {
    QtSeam seam;
    WaitMsg open;
    open.printing = true;
    POPMSG(open);
    EXPECT_EQ(CURMSG(), "");
    QDialog* d = waitDialog();
    ASSERT_NE(d, nullptr);
    // The cancel button of the template is hidden.
    for (QAbstractButton* b : d->findChildren<QAbstractButton*>()) {
        if (b->text() == "&Annulla") {
            EXPECT_FALSE(b->isVisible());
        }
    }
    WaitMsg next;
    next.nextPage = true;
    for (int i = 0; i < 3; ++i)
        POPMSG(next);
    EXPECT_EQ(CURMSG(), "3");
    bool shown = false;
    for (QLabel* l : d->findChildren<QLabel*>())
        shown |= l->text() == "3";
    EXPECT_TRUE(shown);
    POPMSG();
    EXPECT_EQ(CURMSG(), std::nullopt);

    // Printing reaches the same box through its progress hooks.
    print::progressOpen();
    print::progressPage(1);
    print::progressPage(2);
    ASSERT_NE(waitDialog(), nullptr);
    EXPECT_EQ(CURMSG(), "2");
    print::progressClose();
    EXPECT_EQ(waitDialog(), nullptr);
}

TEST(Messages, ModalNoticeClosesTheWaitBoxFirst) {
    guiApp();
    ScriptedMessages msgs;
    std::optional<std::string> during = "not asked";
    bool boxDuring = true;
    msgs.onAsk = [&](const ScriptedMessages::Asked&) {
        during = CURMSG();
        boxDuring = waitDialog() != nullptr;
    };
    POPMSG("Lavoro lungo");
    ASSERT_NE(waitDialog(), nullptr);
    EXPECT_EQ(POPMSG("  Fatto.\x85  ", 1), 0);
    EXPECT_EQ(during, std::nullopt);
    EXPECT_FALSE(boxDuring);
    ASSERT_EQ(msgs.asked.size(), 1u);
    EXPECT_EQ(msgs.asked[0].text, "Fatto.\xE0");
    EXPECT_EQ(msgs.asked[0].title, "Attenzione");
    // A kind outside 1..6 shows nothing.
    EXPECT_EQ(POPMSG("Niente", 9), 0);
    EXPECT_EQ(msgs.asked.size(), 1u);
}

TEST(Messages, QuestionsOnTheRealBoxes) {
    QtSeam seam;
    std::vector<int> tones;
    platform::setToneSink([&](int hz, int) { tones.push_back(hz); });

    // Kind 3: Esc is Cancel.
    onMessageBox([](QMessageBox& b) { sendKey(b, Qt::Key_Escape); });
    EXPECT_EQ(POPMSG("Salvo le modifiche?", 3), 2);
    onMessageBox([](QMessageBox& b) { b.button(QMessageBox::No)->click(); });
    EXPECT_EQ(POPMSG("Salvo le modifiche?", 3), 7);
    onMessageBox([](QMessageBox& b) { b.button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(POPMSG("Salvo le modifiche?", 3), 6);

    // Kind 5: No is the default button, Enter answers it; Italian button texts.
    QString yesText, defaultText, title;
    onMessageBox([&](QMessageBox& b) {
        yesText = b.button(QMessageBox::Yes)->text();
        defaultText = b.defaultButton() ? b.defaultButton()->text() : QString();
        title = b.windowTitle();
        sendKey(b, Qt::Key_Return);
    });
    EXPECT_EQ(POPMSG("Annullo le modifiche?", 5), 0);
    EXPECT_EQ(yesText, QString::fromUtf8("&Sì"));
    EXPECT_EQ(defaultText, "&No");
    EXPECT_EQ(title, "Attenzione");

    // Kind 2 and 6: OK is true.
    onMessageBox([](QMessageBox& b) { b.button(QMessageBox::Ok)->click(); });
    EXPECT_EQ(POPMSG("Procedo?", 2), 1);
    onMessageBox([](QMessageBox& b) { b.button(QMessageBox::Cancel)->click(); });
    EXPECT_EQ(POPMSG("Cancello tutto?", 6, "Pericolo"), 0);

    // Kind 1: no beep, ";" a line break, the information icon.
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    onMessageBox([&](QMessageBox& b) {
        text = b.text();
        icon = b.icon();
        b.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(POPMSG("Prima riga;seconda riga", 1), 0);
    EXPECT_EQ(text, "Prima riga\nseconda riga");
    EXPECT_EQ(icon, QMessageBox::Information);

    platform::setToneSink({});
    EXPECT_EQ(tones, std::vector<int>(6, 880));
}

TEST(Messages, TheSeamBelowTheWindowsShowsThroughTheWaitBox) {
    QtSeam seam;
    Messages& m = messages();
    m.showWait("Il sistema \xE8 momentaneamente occupato...", "Attendere", false);
    EXPECT_EQ(CURMSG(), "Il sistema \xE8 momentaneamente occupato...");
    EXPECT_EQ(m.currentWait(), CURMSG());
    m.showWait("Altro", "", false);
    EXPECT_EQ(m.currentWait(), "Il sistema \xE8 momentaneamente occupato...");
    m.showWait("Altro", "", true);
    EXPECT_EQ(m.currentWait(), "Altro");
    m.closeWait();
    EXPECT_EQ(m.currentWait(), std::nullopt);
    EXPECT_EQ(waitDialog(), nullptr);
    onMessageBox([](QMessageBox& b) { sendKey(b, Qt::Key_Escape); });
    EXPECT_EQ(m.ask(3, "Domanda?", ""), 2);
}

} // namespace
} // namespace dn::test
