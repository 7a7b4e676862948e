#include "common/ui/poststring.h"

#include "toolkit/keys.h"
#include "toolkit/text.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace dn::ui {

void POSTSTRING(QWidget* target, std::string_view text) {
    QPointer<QWidget> window = target ? target : QApplication::activeWindow();
    for (char ch : text) {
        if (!window)
            return;
        QWidget* receiver = window.data();
        if (receiver->isWindow() && receiver->focusWidget())
            receiver = receiver->focusWidget();
        const auto code = static_cast<unsigned char>(ch);
        const QString typed = tk::toQt(std::string_view(&ch, 1));
        int key = 0;
        if (code <= 0x20) {
            // A key press with the character's code as the key.
            key = vk::toQt(code);
            if (key == 0)
                key = Qt::Key_unknown;
        }
        QCoreApplication::postEvent(receiver,
                                    new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, typed));
        // The release keeps the program's record of held keys right.
        QCoreApplication::postEvent(receiver,
                                    new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, typed));
        tk::processEvents();
    }
}

void POSTSTRING(TWindow& target, std::string_view text) {
    POSTSTRING(target.hWnd(), text);
}

void POSTSTRING(std::string_view text) {
    POSTSTRING(static_cast<QWidget*>(nullptr), text);
}

} // namespace dn::ui
