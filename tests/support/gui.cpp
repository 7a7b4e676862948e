#include "tests/support/gui.h"

#include "tests/support/messages_fake.h"
#include "toolkit/folder.h"
#include "toolkit/toolkit.h"
#include "toolkit/widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace dn::test {

QApplication& guiApp() {
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "dn-gui-test";
        static char* argv[] = {name, nullptr};
        auto* a = new QApplication(argc, argv);
        tk::init();
        ScriptedMessages::setEventPump([] { QCoreApplication::processEvents(); });
        return a;
    }();
    return *app;
}

namespace {

std::string nameOf(const TDialog& d) {
    if (!d.cResName().empty())
        return d.cResName();
    return d.hWnd() ? tk::fromQt(d.hWnd()->windowTitle()) : std::string();
}

// Forces a dialog shut without its close check: only for scripts gone wrong.
void forceClose(TDialog& d) {
    if (auto* w = static_cast<tk::DialogWidget*>(d.hWnd()))
        w->finish(0);
}

} // namespace

DialogDriver::DialogDriver() {
    guiApp();
    oldDialog_ = tk::setDialogHook([this](TDialog& d) {
        const std::string name = nameOf(d);
        started.push_back(name);
        if (std::find(allowed_.begin(), allowed_.end(), name) != allowed_.end())
            return;
        if (scripts_.empty()) {
            ADD_FAILURE() << "finestra " << name << " aperta senza copione";
            forceClose(d);
            return;
        }
        auto [want, script] = std::move(scripts_.front());
        scripts_.pop_front();
        if (want != name) {
            ADD_FAILURE() << "attesa la finestra " << want << ", aperta " << name;
            forceClose(d);
            return;
        }
        script(d);
    });
    oldMenu_ = tk::setMenuHook([this](TMenu& m) {
        if (menus_.empty()) {
            ADD_FAILURE() << "menu aperto senza copione";
            m.Close();
            return;
        }
        MenuScript s = std::move(menus_.front());
        menus_.pop_front();
        s(m);
    });
    oldFile_ = tk::setFileDialogHook([this](QFileDialog& f) {
        started.push_back("file: " + tk::fromQt(f.windowTitle()));
        if (files_.empty()) {
            ADD_FAILURE() << "finestra di scelta file aperta senza copione";
            f.reject();
            return;
        }
        FileScript s = std::move(files_.front());
        files_.pop_front();
        s(f);
    });
}

DialogDriver::~DialogDriver() {
    tk::setDialogHook(std::move(oldDialog_));
    tk::setMenuHook(std::move(oldMenu_));
    tk::setFileDialogHook(std::move(oldFile_));
    EXPECT_EQ(pending(), 0u) << "copioni mai eseguiti";
}

DialogDriver& DialogDriver::on(const std::string& name, Script script) {
    scripts_.emplace_back(name, std::move(script));
    return *this;
}

DialogDriver& DialogDriver::onMenu(MenuScript script) {
    menus_.push_back(std::move(script));
    return *this;
}

DialogDriver& DialogDriver::onFile(FileScript script) {
    files_.push_back(std::move(script));
    return *this;
}

DialogDriver& DialogDriver::allow(const std::string& name) {
    allowed_.push_back(name);
    return *this;
}

void settle(int ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (ms > 0)
        QTest::qWait(ms);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

namespace {

TWindow* findIn(const TWindow& w, const std::function<bool(const TWindow&)>& match) {
    for (TWindow* c : w.aControls) {
        if (auto* f = dynamic_cast<TFolder*>(c)) {
            for (TDialog* p : f->aDialogs)
                if (TWindow* hit = findIn(*p, match))
                    return hit;
            continue;
        }
        if (match(*c))
            return c;
    }
    return nullptr;
}

} // namespace

TWindow* control(TDialog& dlg, int id) {
    TWindow* c = findIn(dlg, [id](const TWindow& w) { return w.nId == id; });
    if (!c)
        ADD_FAILURE() << "nessun controllo " << id << " in " << nameOf(dlg);
    return c;
}

TWindow* control(TDialog& dlg, const std::string& varName) {
    TWindow* c = findIn(dlg, [&](const TWindow& w) { return w.cVarName == varName; });
    if (!c)
        ADD_FAILURE() << "nessun controllo \"" << varName << "\" in " << nameOf(dlg);
    return c;
}

QWidget* widget(TDialog& dlg, int id) {
    QWidget* w = dlg.ControlWidget(id);
    if (!w)
        ADD_FAILURE() << "nessun controllo " << id << " nel modello " << nameOf(dlg);
    return w;
}

void focus(TWindow& c) {
    QWidget* w = c.hWnd();
    if (!w)
        return;
    if (QWidget* win = w->window()) {
        win->activateWindow();
        QApplication::setActiveWindow(win);
    }
    w->setFocus(Qt::TabFocusReason);
    settle();
}

void type(TWindow& field, const std::string& text) {
    focus(field);
    QWidget* w = field.hWnd();
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->selectAll();
    } else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
        m->selectAll();
    } else if (auto* cb = qobject_cast<QComboBox*>(w); cb && cb->lineEdit()) {
        cb->lineEdit()->selectAll();
        w = cb->lineEdit();
    }
    for (QChar ch : tk::toQt(text)) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(w, static_cast<char>(ch.unicode()));
        } else {
            // Accented letters: Qt's key codes for Latin-1 letters are their
            // upper-case code points.
            QTest::sendKeyEvent(QTest::Click, w, static_cast<Qt::Key>(ch.toUpper().unicode()),
                                QString(ch), Qt::NoModifier);
        }
    }
    settle();
}

void type(TDialog& dlg, int id, const std::string& text) {
    if (TWindow* c = control(dlg, id))
        type(*c, text);
}

void key(QWidget* w, int qtKey, Qt::KeyboardModifiers mods) {
    if (!w)
        w = QApplication::focusWidget();
    if (!w) {
        ADD_FAILURE() << "nessun controllo ha il fuoco";
        return;
    }
    QTest::keyClick(w, static_cast<Qt::Key>(qtKey), mods);
    settle();
}

void press(TDialog& dlg, int id) {
    QWidget* w = widget(dlg, id);
    if (!w)
        return;
    EXPECT_TRUE(w->isEnabled()) << "il pulsante " << id << " è disabilitato";
    if (QWidget* win = w->window()) {
        win->activateWindow();
        QApplication::setActiveWindow(win);
    }
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
    settle();
}

void click(QWidget* w, int x, int y, bool dbl, Qt::MouseButton b) {
    if (!w)
        return;
    // Presses land on the widget that shows at that point (labels let them through).
    if (dbl)
        QTest::mouseDClick(w, b, Qt::NoModifier, QPoint(x, y));
    else
        QTest::mouseClick(w, b, Qt::NoModifier, QPoint(x, y));
    settle();
}

void closeBox(TDialog& dlg) {
    if (dlg.hWnd())
        dlg.hWnd()->close();
    settle();
}

void escape(TDialog& dlg) {
    QWidget* target = QApplication::focusWidget();
    if (!target || !dlg.hWnd() || !dlg.hWnd()->isAncestorOf(target))
        target = dlg.hWnd();
    QTest::keyClick(target, Qt::Key_Escape);
    settle();
}

std::string text(TDialog& dlg, int id) {
    TWindow* c = control(dlg, id);
    return c ? c->GetText() : std::string();
}

void choose(TComboBox& box, int n) {
    QComboBox* cb = box.Combo();
    if (!cb || n < 1 || n > cb->count()) {
        ADD_FAILURE() << "voce " << n << " assente";
        return;
    }
    cb->setCurrentIndex(n - 1);
    emit cb->activated(n - 1);
    settle();
}

void chooseFile(QFileDialog& dlg, const std::string& name) {
    auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    // Set whole rather than typed, so that no completion list pops up over the
    // field and takes the Enter key.
    edit->setText(tk::toQt(name));
    QTest::keyClick(edit, Qt::Key_Return);
}

void cancelFile(QFileDialog& dlg) {
    QTest::keyClick(&dlg, Qt::Key_Escape);
}

FileDialogState fileDialogState(QFileDialog& dlg) {
    FileDialogState st;
    st.title = tk::fromQt(dlg.windowTitle());
    for (const QString& f : dlg.nameFilters())
        st.filters.push_back(tk::fromQt(f));
    st.folder = tk::fromQt(QDir::toNativeSeparators(dlg.directory().absolutePath()));
    if (auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        st.name = tk::fromQt(edit->text());
    st.save = dlg.acceptMode() == QFileDialog::AcceptSave;
    return st;
}

} // namespace dn::test
