#pragma once

#include "toolkit/control.h"

#include <QCursor>
#include <QIcon>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;

namespace dn {

class TDialog;

// A label. Its text comes from a block (evaluated when bound and on Refresh) or is
// set directly; clickable when lWantClick is set (then bLClicked gets the click,
// in the label's own pixels), otherwise clicks go through to the dialog.
class TSay : public TWindow {
public:
    using TextBlock = std::function<std::string()>;
    struct Options {
        std::optional<Color> clrText{};
        std::optional<Color> clrPane{};
        const TFont* font = nullptr;
    };
    // text may be empty: the template's text stays.
    static TSay* Redefine(int id, TextBlock text, TDialog& dlg, const Options& o);
    static TSay* Redefine(int id, TextBlock text, TDialog& dlg) {
        return Redefine(id, std::move(text), dlg, Options{});
    }
    static TSay* New(int row, int col, TextBlock text, TWindow& parent, int width, int height,
                     const Options& o);

    void SetText(const std::string& text) override;
    std::string GetText() const override;
    std::string cTitle() const { return GetText(); }
    void Refresh(bool erase = true) override;
    void SetColor(Color text, Color pane) override;

    TextBlock bText;
    bool lWantClick = false;
    bool WantsClick() const override { return lWantClick && IsEnabled(); }

private:
    void setup(const Options& o);
};

// A push button; pressing it re-tests bWhen, runs the action, then re-evaluates the
// enabling conditions of the dialog's controls. lCancel: leaving a field for this
// button skips the field's valid block (id 202 is a cancel button by default).
class TButton : public TWindow {
public:
    struct Options {
        CondBlock when{};
        std::optional<bool> cancel{};
        std::string toolTip{};
    };
    static TButton* Redefine(int id, Block action, TDialog& dlg, const Options& o);
    static TButton* Redefine(int id, Block action, TDialog& dlg) {
        return Redefine(id, std::move(action), dlg, Options{});
    }
    static TButton* New(int row, int col, const std::string& text, TWindow& parent, Block action,
                        int width, int height, const Options& o);

    // Presses the button as a click would.
    void Click();
    void SetText(const std::string& text) override;
    std::string GetText() const override;

    Block bAction;
    bool lCancel = false;

protected:
    void connectClick();
};

// A flat button showing a named bitmap (resources/bitmaps), with a tool tip.
class TBtnBmp : public TButton {
public:
    struct Options {
        std::string toolTip{};
        CondBlock when{};
    };
    // bitmap may be empty: the button shows nothing.
    static TBtnBmp* Redefine(int id, const std::string& bitmap, Block action, TDialog& dlg,
                             const Options& o);
    static TBtnBmp* Redefine(int id, const std::string& bitmap, Block action, TDialog& dlg) {
        return Redefine(id, bitmap, std::move(action), dlg, Options{});
    }
    static TBtnBmp* New(int row, int col, int width, int height, const std::string& bitmap,
                        TWindow& parent, Block action, const Options& o);

    void SetBitmap(const std::string& bitmap);
    std::string cBitmap() const;
    void SetToolTip(const std::string& text);
    std::string cToolTip() const;
};

// A check box bound to a true/false variable.
class TCheckBox : public TControl {
public:
    static TCheckBox* Redefine(int id, Binding b, TDialog& dlg, const DataOptions& o);
    static TCheckBox* Redefine(int id, Binding b, TDialog& dlg) {
        return Redefine(id, std::move(b), dlg, DataOptions{});
    }
    static TCheckBox* New(int row, int col, const std::string& text, Binding b, TWindow& parent,
                          int width, int height, const DataOptions& o);
    void Refresh(bool erase = true) override;
    bool Checked() const;
    // Sets the box and the variable, as a click does (runs the change block).
    void SetCheck(bool on);

private:
    void setup(Binding b, const DataOptions& o);
};

// Radio buttons bound to one number variable: the position (1-based) of the
// chosen button; 0 when none is chosen.
class TRadMenu : public TControl {
public:
    static TRadMenu* Redefine(Binding b, TDialog& dlg, const std::vector<int>& ids,
                              const DataOptions& o);
    static TRadMenu* Redefine(Binding b, TDialog& dlg, const std::vector<int>& ids) {
        return Redefine(std::move(b), dlg, ids, DataOptions{});
    }
    int nOption() const;
    // Chooses button n (1-based) and stores n into the variable, as a click does.
    void SetOption(int n);
    void Refresh(bool erase = true) override;
    void Enable() override;
    void Disable() override;
    void Show() override;
    void Hide() override;
    void EvalWhen() override;
    // The button widgets in order.
    const std::vector<QWidget*>& Items() const { return items_; }

private:
    std::vector<QWidget*> items_;
    QButtonGroup* group_ = nullptr;
};

// A drop-down list of texts; the variable holds the selected text. Select and
// Modify are the program's own moves and run no change block; a choice the user
// makes stores the text and runs it.
class TComboBox : public TControl {
public:
    static TComboBox* Redefine(int id, Binding b, std::vector<std::string> items, TDialog& dlg,
                               const DataOptions& o);
    static TComboBox* Redefine(int id, Binding b, std::vector<std::string> items, TDialog& dlg) {
        return Redefine(id, std::move(b), std::move(items), dlg, DataOptions{});
    }
    static TComboBox* New(int row, int col, Binding b, std::vector<std::string> items,
                          TWindow& parent, int width, int height, const DataOptions& o);

    // Selected position, 1-based; 0 when nothing is selected.
    int nAt() const;
    // Selects position n (1-based) and stores its text into the variable.
    void Select(int n);
    // Replaces the text of the entry at position n (1-based).
    void Modify(const std::string& text, int n);
    const std::vector<std::string>& aItems() const { return items_; }
    void SetItems(std::vector<std::string> items);
    // The text shown (the typed text of an editable list).
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    // Stores the shown text into the variable (editable lists).
    bool Assign() override;
    bool IsEditable() const;
    void Refresh(bool erase = true) override;
    QComboBox* Combo() const;

protected:
    void onFocusOut(bool withinWindow) override;

private:
    void setup(Binding b, std::vector<std::string> items, const DataOptions& o);
    void fill();
    std::vector<std::string> items_;
    bool filling_ = false;
};

// An image from a bitmap resource.
class TImage : public TWindow {
public:
    static TImage* Redefine(int id, const std::string& bitmap, TDialog& dlg);
    static TImage* New(int row, int col, int width, int height, const std::string& bitmap,
                       TWindow& parent);
    void SetBitmap(const std::string& bitmap);
    std::string cBitmap() const;
};

// A progress bar.
class TProgress : public TWindow {
public:
    static TProgress* Redefine(int id, TDialog& dlg);
    static TProgress* New(int row, int col, int width, int height, TWindow& parent);
    void SetRange(int from, int to);
    void SetPos(int n);
    int nPos() const;
};

// An icon: from a bitmap resource ("ICONA") or one of the system's ("WARNING",
// "INFORMATION", "QUESTION", "STOP"). As a control it shows the icon.
class TIcon : public TWindow {
public:
    static QIcon Load(const std::string& name);
    static TIcon* New(int row, int col, const std::string& name, TWindow& parent, int size = 32);
    static TIcon* Redefine(int id, const std::string& name, TDialog& dlg);
    QIcon hIcon() const { return icon_; }

private:
    QIcon icon_;
};

// A mouse cursor by name: "WAIT", "ARROW", "HAND", "IBEAM", "CROSS", "SIZE", "NO".
class TCursor {
public:
    explicit TCursor(const std::string& name = "ARROW");
    static TCursor New(const std::string& name) { return TCursor(name); }
    QCursor hCursor() const { return cursor_; }
    // Shows this cursor over the window.
    void Set(TWindow& w) const;

private:
    QCursor cursor_;
};

} // namespace dn
