#include "app/panel.h"

#include "app/clockline.h"
#include "app/leds.h"
#include "app/menu.h"
#include "app/procedures.h"
#include "app/settings_dialogs.h"
#include "common/config/variables.h"
#include "toolkit/controls.h"
#include "toolkit/dialog.h"
#include "toolkit/keys.h"
#include "toolkit/timer.h"
#include "toolkit/toolkit.h"
#include "toolkit/widgets.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace dn::app {

namespace {

RunningPanel* g_running = nullptr;

std::string nameVar(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "CFG_NM%02d", i);
    return buf;
}

bool isBlank(const std::string& s) {
    return s.find_first_not_of(' ') == std::string::npos;
}

// How far the panel reaches past the bottom and right edges of the screen with
// margins of 0 (the truncation of its fractional row height).
constexpr int kPastEdge = 7;

int trunc(double v) {
    return static_cast<int>(std::trunc(v));
}

QSize screenSize(const TDialog& panel) {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s && panel.hWnd())
        s = panel.hWnd()->screen();
    return s ? s->geometry().size() : QSize(1024, 768);
}

} // namespace

Names readNames() {
    Names names;
    for (int i = 1; i <= kSlots; ++i)
        names[static_cast<size_t>(i - 1)] = config::variables().text(nameVar(i));
    return names;
}

int CONTA(const Names& names) {
    for (int i = kSlots; i >= 1; --i)
        if (!isBlank(names[static_cast<size_t>(i - 1)]))
            return i;
    return 0;
}

void MKSAY(TDialog& panel, const Names& names, int i) {
    const std::string name = names[static_cast<size_t>(i - 1)];
    TSay::Redefine(
        nameLabelId(i), [name] { return name; }, panel);
}

void HIDEBTN(TDialog& panel, int n) {
    for (int i = n + 1; i <= kSlots; ++i)
        if (QWidget* w = panel.ControlWidget(lampId(i)))
            w->hide();
}

void hideSpareLines(TDialog& panel, int n) {
    QWidget* w = panel.hWnd();
    if (!w)
        return;
    std::vector<QWidget*> lines;
    for (QWidget* c : w->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (c->property(tk::kKindProperty).toString() == QLatin1String("line"))
            lines.push_back(c);
    std::sort(lines.begin(), lines.end(), [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
    for (size_t i = static_cast<size_t>(n) + 1; i < lines.size(); ++i)
        lines[i]->hide();
}

int slotFromRow(int row) {
    return static_cast<int>(std::floor(row / kRowHeight)) + 1;
}

namespace {

// Changes the top-most layer through the window system's window alone: changing
// the widget's own flags would hide and show it again, and hiding a modal dialog
// ends its event loop (the panel would close behind the menu's back).
void setTopMost(TWindow& w, bool on) {
    QWidget* wd = w.hWnd();
    if (!wd || !wd->isWindow())
        return;
    QWindow* wh = wd->windowHandle();
    if (!wh) {
        w.SetTopMost(on); // not created yet: the flags go with its creation
        return;
    }
    if (wd->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    Qt::WindowFlags f = wd->windowFlags();
    f.setFlag(Qt::WindowStaysOnTopHint, on);
    wd->overrideWindowFlags(f);
    wh->setFlag(Qt::WindowStaysOnTopHint, on);
}

} // namespace

void ONTOP(TWindow& w) {
    setTopMost(w, true);
}

void ONBACK(TWindow& w) {
    setTopMost(w, false);
}

PanelGeometry panelGeometry(int n, int c, int w, int screenWidth, int screenHeight, double top,
                            bool fromBottom, double left, bool fromRight) {
    const double rows = kRowHeight * n;
    PanelGeometry g;
    g.height = trunc(rows + c + 23 + 10);
    g.width = w + 3;
    // A position from a hand-edited or damaged file may lie anywhere (or be no
    // number): it is brought back, before it becomes an int, to where the panel
    // stays on the screen. Margins of 0 put it kPastEdge pixels past the bottom and
    // right edges, so that much is allowed on every side and every placement of
    // margins that fit stays exact.
    auto place = [](double at, int screen, int size) {
        const double lowest = -kPastEdge;
        const double highest = std::max<double>(lowest, screen + kPastEdge - size);
        return std::isfinite(at) ? static_cast<int>(std::clamp(std::trunc(at), lowest, highest))
                                 : 0;
    };
    g.top =
        place(fromBottom ? screenHeight - (rows + c + 21 + 4) - top : top, screenHeight, g.height);
    g.left = place(fromRight ? screenWidth - (w + 1 - 5) - left : left, screenWidth, g.width);
    return g;
}

int captionAllowance() {
    return tk::captionHeight() + 5;
}

namespace {

// Keeps the panel's frame at its geometry: the window system adds its frame around
// the client area, and a window manager does so some time after the window shows,
// so the client area is sized again whenever the frame around it changes.
class FrameKeeper : public QObject {
public:
    static constexpr const char* kName = "dn_panel_frame";

    explicit FrameKeeper(QWidget* w) : QObject(w), w_(w) {
        setObjectName(QString::fromLatin1(kName));
        w->installEventFilter(this);
    }
    const PanelGeometry& geometry() const { return g_; }
    void place(const PanelGeometry& g) {
        g_ = g;
        applied_ = margins();
        w_->setFixedSize(std::max(1, g.width - applied_.width()),
                         std::max(1, g.height - applied_.height()));
        w_->move(g.left, g.top);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        const auto t = e->type();
        if ((t == QEvent::Move || t == QEvent::Resize || t == QEvent::Show) &&
            margins() != applied_)
            place(g_);
        return false;
    }

private:
    // What the frame adds to the client area across and down.
    QSize margins() const {
        const QRect frame = w_->frameGeometry();
        return {frame.width() - w_->width(), frame.height() - w_->height()};
    }

    QWidget* w_;
    PanelGeometry g_;
    QSize applied_;
};

FrameKeeper* keeperOf(const QWidget* w) {
    return static_cast<FrameKeeper*>(w->findChild<QObject*>(QString::fromLatin1(FrameKeeper::kName),
                                                            Qt::FindDirectChildrenOnly));
}

} // namespace

void placePanel(TDialog& panel, const PanelGeometry& g) {
    QWidget* w = panel.hWnd();
    if (!w)
        return;
    FrameKeeper* keeper = keeperOf(w);
    if (!keeper)
        keeper = new FrameKeeper(w);
    keeper->place(g);
}

int panelOuterHeight(const TDialog& panel) {
    QWidget* w = panel.hWnd();
    if (!w)
        return 0;
    // The height it was placed at: the frame a window manager adds later changes
    // nothing of what is drawn inside.
    if (const FrameKeeper* keeper = keeperOf(w))
        return keeper->geometry().height;
    return w->frameGeometry().height();
}

RunningPanel* runningPanel() {
    return g_running;
}

void DELTRANOTA(TWindow& mainWindow) {
    const int c = captionAllowance();
    Names names = readNames();
    int n = CONTA(names);
    if (n == 0 && !NOMI())
        return;
    for (;;) {
        names = readNames();
        n = CONTA(names);
        // A panel without rows could never be closed for good (n 0 asks for a
        // rebuild); the names dialog refuses an empty first name, so this only
        // guards against a configuration emptied behind the program's back.
        if (n == 0)
            return;

        TDialog dlg("DELTRANOTA");
        dlg.SetIcon("ICONA");
        PanelGeometry geometry;
        std::unique_ptr<TTimer> lampTimer;
        std::unique_ptr<TTimer> clockTimer;

        // A press whose handler ended the panel reaches it once more from the
        // window system: clicks on an ended panel are ignored.
        dlg.bLClicked = [&](int row, int, int, TWindow&) {
            if (!dlg.IsActive())
                return;
            ONBACK(dlg);
            SCADENZE(dlg, row, n);
            LEDS(dlg, lampTimer.get(), n);
            ONTOP(dlg);
        };
        for (int i = 1; i <= n; ++i) {
            MKSAY(dlg, names, i);
            TBtnBmp::Redefine(lampId(i), "SPENTO", nullptr, dlg);
        }
        for (int i = n + 1; i <= kSlots; ++i)
            TBtnBmp::Redefine(lampId(i), "", nullptr, dlg);

        lampTimer = TTimer::New(
            10000, [&] { LEDS(dlg, lampTimer.get(), n); }, &mainWindow);
        clockTimer = TTimer::New(
            1000, [&] { SHOWTIME(dlg); }, &mainWindow);

        RunningPanel running{&dlg, n, lampTimer.get(), clockTimer.get(), names};
        RunningPanel* outer = g_running;
        g_running = &running;

        TDialog::ActivateOptions opts;
        opts.centered = false;
        opts.modal = true;
        opts.start = [&] {
            LEDS(dlg, lampTimer.get(), n, true);
            tk::processEvents();
            SHOWTIME(dlg);
        };
        opts.init = [&] {
            const auto& cfg = config::variables();
            const QSize screen = screenSize(dlg);
            geometry = panelGeometry(n, c, dlg.nWidth(), screen.width(), screen.height(),
                                     cfg.number("CFG_SUP"), cfg.logical("CFG_SOT"),
                                     cfg.number("CFG_SIN"), cfg.logical("CFG_DES"));
            placePanel(dlg, geometry);
            if (QWidget* w = dlg.hWnd())
                w->setAttribute(Qt::WA_ShowWithoutActivating, true);
            ONTOP(dlg);
            // Escape would close the dialog; the close box still does.
            dlg.bValid = [] { return !tk::isKeyDown(vk::Escape); };
            HIDEBTN(dlg, n);
            hideSpareLines(dlg, n);
            lampTimer->Activate();
            clockTimer->Activate();
        };
        dlg.bRClicked = [&](int row, int col, int, TWindow&) {
            if (dlg.IsActive())
                CREAMENU(dlg, row, col, row, n);
        };
        dlg.Activate(opts);

        g_running = outer;
        lampTimer->End();
        clockTimer->End();
        if (n != 0)
            return;
    }
}

} // namespace dn::app
