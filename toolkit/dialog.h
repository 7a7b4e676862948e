#pragma once

#include "toolkit/dialogtemplate.h"
#include "toolkit/units.h"
#include "toolkit/window.h"

#include <QButtonGroup>

#include <map>
#include <memory>
#include <vector>

namespace dn {

class TFolder;

// A dialog: from a named template (its controls exist at once and are bound by id
// with the controls' Redefine), or built in code (controls added with New).
// Controls bound or created are owned by the dialog and listed in aControls in the
// order they were bound.
class TDialog : public TWindow {
public:
    // From the template NAME. Throws tk::TemplateError (Italian message) when the
    // template is missing or damaged. owner: the window it belongs to (default: the
    // active window).
    explicit TDialog(const std::string& name, TWindow* owner = nullptr);
    // From a template already read.
    explicit TDialog(const tk::DialogTemplate& t, TWindow* owner = nullptr);
    // In code: a pixel rectangle (top, left, bottom, right), a caption and the
    // template style words (default: popup, caption, sysmenu, modalframe; without
    // "sysmenu" the dialog has no close box).
    TDialog(int top, int left, int bottom, int right, const std::string& caption,
            TWindow* owner = nullptr, const std::vector<std::string>& style = {});
    ~TDialog() override;

    struct ActivateOptions {
        bool centered = false;
        bool modal = true;
        CondBlock valid{}; // close check; replaces bValid when given
        Block init{};      // replaces bInit when given; runs before the dialog shows
        Block start{};     // runs once, just after the dialog is first shown
    };
    // Shows the dialog. Modal: returns nResult once the dialog has closed. Non-modal:
    // returns 0 at once.
    int Activate(const ActivateOptions& opts);
    int Activate() { return Activate(ActivateOptions{}); }
    // Closes the dialog with result n after the close check (bValid) allows it.
    // Every close goes through here: buttons, Esc, the close box, Alt+F4.
    // Returns false when the check refused.
    bool End(int n);
    bool End() override { return End(0); }
    bool CloseRequested() override { return End(0); }

    // The value given to End; 0 when the dialog closed any other way.
    int nResult = 0;
    // Runs once after the dialog first shows (set by Activate's start).
    Block bStart;

    bool IsModal() const { return modal_; }
    // Shown and not yet ended.
    bool IsActive() const;
    // The template's name; empty for dialogs built in code.
    const std::string& cResName() const { return resName_; }
    const tk::DialogTemplate* Template() const { return templ_ ? &*templ_ : nullptr; }
    const tk::DialogUnits& Units() const { return units_; }
    // The template's widget for id (bound or not); nullptr when there is none.
    QWidget* ControlWidget(int id) const;
    // The control (on this dialog or a folder page) that has the keyboard focus, or
    // holds the widget that has it; nullptr when the focus is elsewhere.
    TWindow* FocusedControl() const;
    // Re-evaluates the enabling conditions (bWhen) of all controls, folder pages too.
    void AEvalWhen();
    // The radio group the template put the widget in, or nullptr.
    QButtonGroup* RadioGroupOf(QWidget* radio) const;

    // Whether a close check of this dialog is running now.
    bool InCloseCheck() const { return inCheck_; }

protected:
    bool onClick(QMouseEvent* e) override;

private:
    friend class TFolder;
    // A page of a folder: a child widget inside the folder.
    struct PageTag {};
    TDialog(const tk::DialogTemplate& t, QWidget* parent, PageTag);
    TDialog(int width, int height, QWidget* parent, PageTag);
    void build(const tk::DialogTemplate& t, QWidget* parentWidget, bool page);
    void initControls();

    std::optional<tk::DialogTemplate> templ_;
    std::string resName_;
    tk::DialogUnits units_{6, 13};
    std::map<int, QWidget*> byId_;
    std::vector<QButtonGroup*> radioGroups_;
    bool modal_ = false;
    bool inCheck_ = false;
    bool page_ = false;
};

namespace tk {
// Called, from the dialog's own event loop, each time a dialog starts to run
// (modal or not) and after its start block: GUI tests drive dialogs from here.
// Returns the hook it replaces.
using DialogHook = std::function<void(TDialog&)>;
DialogHook setDialogHook(DialogHook hook);
} // namespace tk

} // namespace dn
