#pragma once

#include "toolkit/dialog.h"

#include <memory>
#include <string>
#include <vector>

class QTabWidget;

namespace dn {

// Tabbed pages, each a dialog with its own controls and its own lModify. Pages
// come from page templates (named in Redefine, or the folder control's "pages" in
// the template) or are empty pages for controls made in code.
class TFolder : public TWindow {
public:
    // prompts: the tab texts (default: the template's); pages: page template names
    // (default: the template's; none: empty pages).
    static TFolder* Redefine(int id, TDialog& dlg, std::vector<std::string> prompts = {},
                             std::vector<std::string> pages = {});
    static TFolder* New(int row, int col, int width, int height, TWindow& parent,
                        std::vector<std::string> prompts, std::vector<std::string> pages = {});

    // Pages in order; the folder owns them.
    std::vector<TDialog*> aDialogs;
    std::vector<std::string> aPrompts;

    // The page in front (1-based).
    int nOption() const;
    // Brings page n (1-based) to the front.
    void SetOption(int n);
    // Takes page n's tab away; the page moves to the end of aDialogs and aPrompts
    // and stays with the folder. Tabs shown: the first nTabs() pages.
    void HideTab(int n);
    int nTabs() const;
    QTabWidget* Tabs() const;

    void EvalWhen() override;
    void OnDialogInit() override;
    void FinishEdit() override;

private:
    void build(TDialog* dlgForErrors, std::vector<std::string> prompts,
               std::vector<std::string> pages);
    std::vector<std::unique_ptr<TDialog>> pages_;
};

} // namespace dn
