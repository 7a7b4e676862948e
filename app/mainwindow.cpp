#include "app/mainwindow.h"

#include "app/panel.h"
#include "app/product.h"
#include "toolkit/controls.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

#include <QApplication>
#include <QFontMetrics>

namespace dn::app {

int runMainWindow() {
    // Row 1000, column 1000 in character cells on both corners: an empty
    // rectangle far beyond any screen.
    const QFontMetrics fm(QApplication::font());
    const int top = 1000 * fm.height();
    const int left = 1000 * fm.averageCharWidth();
    QApplication::setWindowIcon(TIcon::Load("ICONA"));
    auto main = TWindow::New(top, left, top, left, kProductName);
    main->SetIcon("ICONA");
    main->SetColor(tk::getSysColor(tk::kColorWindowText), tk::getSysColor(tk::kColorAppWorkspace));
    if (QWidget* w = main->hWnd())
        w->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    TWindow& window = *main;
    TWindow::ActivateOptions opts;
    opts.hidden = true;
    opts.init = [&window] {
        window.Hide();
        DELTRANOTA(window);
        window.End();
    };
    window.Activate(opts);
    return 0;
}

} // namespace dn::app
