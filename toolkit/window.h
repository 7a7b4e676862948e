#pragma once

#include "common/util/value.h"
#include "toolkit/font.h"
#include "toolkit/text.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QEventLoop;
class QMouseEvent;
class QPainter;

namespace dn {

using tk::Color;
class TWindow;

// Event blocks. Positions are pixels in the receiving window's client area; flags
// are the dn::vk::MK_* bits; key codes are dn::vk codes, characters Windows-1252
// byte values.
using ClickBlock = std::function<void(int nRow, int nCol, int nFlags, TWindow& self)>;
using KeyBlock = std::function<void(int nKey, int nFlags, TWindow& self)>;
using Block = std::function<void()>;
using CondBlock = std::function<bool()>;

namespace tk {
class WindowHook;
}

// Common to all windows and controls: a Qt widget (hWnd) with the program's slots.
// The object does not own its widget when a parent widget does; every operation is
// safe after the widget is gone (it does nothing and reads as zero or empty).
class TWindow {
public:
    // A top-level window at a pixel rectangle (top, left, bottom, right).
    static std::unique_ptr<TWindow> New(int top, int left, int bottom, int right,
                                        const std::string& title, TWindow* owner = nullptr);
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    QWidget* hWnd() const { return widget_; }
    TWindow* oWnd = nullptr;

    struct ActivateOptions {
        Block init{};        // runs once the window exists, before it shows
        bool hidden = false; // do not show it
        bool maximized = false;
    };
    // Shows the window and runs its init block. When no event loop runs yet (the
    // program's main window) it runs one until the window ends; else returns at once.
    void Activate(const ActivateOptions& opts);
    void Activate() { Activate(ActivateOptions{}); }
    // Closes the window after its close check (bValid) allows it; false if refused.
    virtual bool End();
    bool IsEnded() const { return ended_; }

    // Position and size in pixels: controls relative to their dialog, windows on
    // the screen (the frame's top-left corner; sizes are the client area's).
    int nTop() const;
    int nLeft() const;
    int nWidth() const;
    int nHeight() const;
    void Move(int top, int left, int width = -1, int height = -1);
    void SetSize(int width, int height);
    // Centres a window on the screen.
    void Center();
    virtual void Show();
    virtual void Hide();
    bool IsVisible() const;
    virtual void Enable();
    virtual void Disable();
    bool IsEnabled() const;
    void SetFocus();
    bool HasFocus() const;
    // Keeps a top-level window above all others, or takes it out of that layer,
    // without moving, resizing or activating it.
    void SetTopMost(bool on);

    // Caption of a window, text of a control.
    virtual void SetText(const std::string& text);
    virtual std::string GetText() const;
    virtual void SetColor(Color text, Color pane);
    void SetColor(Color text) { SetColor(text, nClrPane()); }
    // Back to the colours the window had before any SetColor.
    virtual void ResetColor();
    Color nClrText() const;
    Color nClrPane() const;
    void SetFont(const TFont& font);
    const TFont* oFont() const { return font_ ? &*font_ : nullptr; }
    void SetIcon(const std::string& bitmapName);
    // Redraws; controls bound to a variable show it again first.
    virtual void Refresh(bool erase = true);

    // Draws text on the window's surface at pixel row, col (top-left of the text),
    // in the window's colours and font unless given; the text stays until something
    // is drawn over it. An opaque background fills the text's box.
    void Say(int row, int col, const std::string& text, std::optional<Color> fore = {},
             std::optional<Color> back = {}, const TFont* font = nullptr, bool transparent = false);
    // Pixel width of text in the given font (default: the window's).
    int GetWidth(const std::string& text, const TFont* font = nullptr) const;

    Value Cargo;
    bool lModify = false;
    int nId = -1;
    std::string cVarName;
    ClickBlock bLClicked;
    ClickBlock bRClicked;
    ClickBlock bLDblClick;
    KeyBlock bKeyDown;
    KeyBlock bKeyChar;
    Block bGotFocus;
    Block bLostFocus;
    Block bInit;
    CondBlock bWhen;
    CondBlock bValid;
    // Paints on a window's surface, under what Say drew (windows and dialogs).
    std::function<void(QPainter&)> bPainted;

    // Controls placed on this window, in the order they were bound or created; the
    // window owns them.
    std::vector<TWindow*> aControls;
    // Control classes call it to hand over a new control.
    template <class T>
    T* Adopt(std::unique_ptr<T> c) {
        T* raw = c.get();
        aControls.push_back(raw);
        owned_.push_back(std::move(c));
        return raw;
    }

    // Stores what the user typed into the bound variable, as leaving the control
    // does, without running its valid block. Nothing for controls without one.
    virtual void FinishEdit() {}
    // Evaluates bWhen, when set, and enables or disables the control by it.
    virtual void EvalWhen();
    // Runs when the dialog that holds the control is activated, before its init block.
    virtual void OnDialogInit() {}
    // Whether a click on the control's area goes to its own click blocks (labels
    // let clicks through to the dialog unless they want them).
    virtual bool WantsClick() const { return false; }

    // The toolkit object behind a widget; nullptr when there is none.
    static TWindow* FromWidget(const QWidget* w);

    // For control classes: takes w as this object's widget, on owner, with id.
    void AttachTo(QWidget* w, TWindow* owner, int id = -1) {
        oWnd = owner;
        nId = id;
        attach(w);
    }

    // For the toolkit's widgets: paints what Say drew.
    void PaintSaid(QPainter& p) const;
    // For the toolkit's widgets: a close attempt from the window system (close box,
    // Alt+F4). Runs the close check; false keeps the window open.
    virtual bool CloseRequested();

protected:
    TWindow() = default;
    // Takes w as this object's widget and hooks its events.
    void attach(QWidget* w);
    // Keeps a signal connection made for this object; cut when the object goes.
    void track(QMetaObject::Connection c) { conns_.push_back(std::move(c)); }
    // Left or right click on the widget itself; returns whether it was handled.
    virtual bool onClick(QMouseEvent* e);
    virtual void onFocusIn();
    // withinWindow: the focus moved to another widget of the same window (not to
    // another window, a menu or a message box).
    virtual void onFocusOut(bool withinWindow);
    virtual void onKey(int vk, int flags, const std::string& ch);

    bool ended_ = false;
    std::optional<TFont> font_;
    std::vector<std::unique_ptr<TWindow>> owned_;

private:
    friend class tk::WindowHook;
    QPointer<QWidget> widget_;
    QPointer<QObject> hook_;
    QImage canvas_;
    QEventLoop* loop_ = nullptr;
    std::vector<QMetaObject::Connection> conns_;
};

namespace tk {
// Mouse flags of an event as dn::vk::MK_* bits.
int mouseFlags(const QMouseEvent& e);
int keyFlags(Qt::KeyboardModifiers m);
} // namespace tk

} // namespace dn
