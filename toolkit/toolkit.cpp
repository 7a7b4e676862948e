#include "toolkit/toolkit.h"

#include "toolkit/keys.h"
#include "toolkit/style.h"
#include "toolkit/units.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QPalette>
#include <QSet>
#include <QStyle>
#include <QTranslator>

namespace dn::tk {

namespace {

// Watches every key press and release of the application to answer isKeyDown.
class KeyTracker : public QObject {
public:
    QSet<int> down;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease ||
            e->type() == QEvent::ShortcutOverride) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->isAutoRepeat())
                return false;
            const int vk = vk::fromQt(*k);
            if (vk == 0)
                return false;
            if (e->type() == QEvent::KeyRelease)
                down.remove(vk);
            else if (e->type() == QEvent::KeyPress)
                down.insert(vk);
        } else if (e->type() == QEvent::ApplicationDeactivate) {
            down.clear();
        }
        return false;
    }
};

KeyTracker* g_keys = nullptr;
bool g_waitCursor = false;

} // namespace

void init() {
    if (!qApp || g_keys)
        return;
    // Faces named in templates and code resolve to the machine's metric twins.
    for (const char* f :
         {"MS Sans Serif", "Microsoft Sans Serif", "Arial", "Segoe UI", "Helvetica", "Tahoma",
          "MS Shell Dlg", "MS Shell Dlg 2", "Courier New", "Courier", "Times New Roman"})
        QFont::insertSubstitution(QString::fromLatin1(f), mapFace(QString::fromLatin1(f)));
    QApplication::setFont(screenFont(toQt(settings().defaultFontFace), 9));
    if (!dynamic_cast<ClassicStyle*>(QApplication::style()))
        QApplication::setStyle(new ClassicStyle(QApplication::style()->name()));
    g_keys = new KeyTracker;
    g_keys->setParent(qApp);
    qApp->installEventFilter(g_keys);
    // The toolkit's own texts (file and print dialogs, edit menus) in Italian, as
    // the system's dialogs of an Italian installation show them; without the
    // translation file they stay in English.
    auto* italian = new QTranslator(qApp);
    if (italian->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(italian);
    else
        delete italian;
}

Settings& settings() {
    static Settings s;
    return s;
}

Color fieldBackground() {
    if (settings().backgroundColor)
        return settings().backgroundColor(kColorWindow);
    return getSysColor(kColorWindow);
}

Color getSysColor(int index) {
    const QPalette pal = QApplication::palette();
    QPalette::ColorRole role = QPalette::Window;
    QPalette::ColorGroup group = QPalette::Active;
    switch (index) {
    case kColorWindow:
        role = QPalette::Base;
        break;
    case kColorWindowFrame:
        role = QPalette::Shadow;
        break;
    case kColorWindowText:
        role = QPalette::Text;
        break;
    case kColorAppWorkspace:
        role = QPalette::Dark;
        break;
    case kColorHighlight:
        role = QPalette::Highlight;
        break;
    case kColorHighlightText:
        role = QPalette::HighlightedText;
        break;
    case kColorButtonFace:
        role = QPalette::Button;
        break;
    case kColorButtonShadow:
        role = QPalette::Mid;
        break;
    case kColorGrayText:
        role = QPalette::Text;
        group = QPalette::Disabled;
        break;
    case kColorButtonText:
        role = QPalette::ButtonText;
        break;
    default:
        role = QPalette::Window;
        break;
    }
    return fromQColor(pal.color(group, role));
}

int captionHeight() {
    return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

bool isKeyDown(int vk) {
    return g_keys && g_keys->down.contains(vk);
}

void cursorWait() {
    if (g_waitCursor || !qApp)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    g_waitCursor = true;
}

void cursorArrow() {
    if (!g_waitCursor)
        return;
    QApplication::restoreOverrideCursor();
    g_waitCursor = false;
}

void processEvents() {
    QApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace dn::tk
