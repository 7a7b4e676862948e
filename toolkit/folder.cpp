#include "toolkit/folder.h"

#include "toolkit/widgets.h"

#include <QTabWidget>

#include <stdexcept>

namespace dn {

TFolder* TFolder::Redefine(int id, TDialog& dlg, std::vector<std::string> prompts,
                           std::vector<std::string> pages) {
    QWidget* w = dlg.ControlWidget(id);
    if (!w || w->property(tk::kKindProperty).toString() != QLatin1String("folder"))
        throw std::logic_error("Cartella " + std::to_string(id) + " assente nella finestra " +
                               dlg.cResName() + ".");
    const tk::ControlTemplate* ct = dlg.Template() ? dlg.Template()->find(id) : nullptr;
    if (prompts.empty() && ct && !ct->text.isEmpty())
        for (const QString& p : ct->text.split(u'|'))
            prompts.push_back(tk::fromQt(p));
    if (pages.empty() && ct)
        for (const QString& p : ct->pages)
            pages.push_back(tk::fromQt(p));
    auto f = std::make_unique<TFolder>();
    f->AttachTo(w, &dlg, id);
    f->build(&dlg, std::move(prompts), std::move(pages));
    return dlg.Adopt(std::move(f));
}

TFolder* TFolder::New(int row, int col, int width, int height, TWindow& parent,
                      std::vector<std::string> prompts, std::vector<std::string> pages) {
    auto* t = new QTabWidget(parent.hWnd());
    t->setGeometry(col, row, width, height);
    t->show();
    auto f = std::make_unique<TFolder>();
    f->AttachTo(t, &parent);
    f->build(nullptr, std::move(prompts), std::move(pages));
    return parent.Adopt(std::move(f));
}

QTabWidget* TFolder::Tabs() const {
    return static_cast<QTabWidget*>(hWnd());
}

void TFolder::build(TDialog*, std::vector<std::string> prompts, std::vector<std::string> pages) {
    QTabWidget* t = Tabs();
    while (t->count() > 0) {
        QWidget* old = t->widget(0);
        t->removeTab(0);
        delete old;
    }
    const size_t n = std::max(prompts.size(), pages.size());
    for (size_t i = 0; i < n; ++i) {
        std::unique_ptr<TDialog> page;
        if (i < pages.size() && !pages[i].empty())
            page.reset(new TDialog(tk::loadTemplate(tk::toQt(pages[i])), t, TDialog::PageTag{}));
        else
            page.reset(new TDialog(t->width(), t->height(), t, TDialog::PageTag{}));
        page->oWnd = this;
        const std::string prompt = i < prompts.size() ? prompts[i] : std::string();
        t->addTab(page->hWnd(), tk::toQt(prompt));
        aDialogs.push_back(page.get());
        aPrompts.push_back(prompt);
        pages_.push_back(std::move(page));
    }
}

int TFolder::nOption() const {
    return Tabs() ? Tabs()->currentIndex() + 1 : 0;
}

void TFolder::SetOption(int n) {
    if (Tabs() && n >= 1 && n <= nTabs())
        Tabs()->setCurrentIndex(n - 1);
}

int TFolder::nTabs() const {
    return Tabs() ? Tabs()->count() : 0;
}

void TFolder::HideTab(int n) {
    QTabWidget* t = Tabs();
    if (!t || n < 1 || n > t->count())
        return;
    const size_t i = static_cast<size_t>(n - 1);
    t->removeTab(n - 1);
    TDialog* page = aDialogs[i];
    page->hWnd()->hide();
    aDialogs.erase(aDialogs.begin() + static_cast<long>(i));
    aDialogs.push_back(page);
    std::string prompt = aPrompts[i];
    aPrompts.erase(aPrompts.begin() + static_cast<long>(i));
    aPrompts.push_back(std::move(prompt));
}

void TFolder::EvalWhen() {
    TWindow::EvalWhen();
    for (TDialog* p : aDialogs)
        p->AEvalWhen();
}

void TFolder::OnDialogInit() {
    for (TDialog* p : aDialogs) {
        for (TWindow* c : p->aControls)
            c->OnDialogInit();
        if (p->bInit)
            p->bInit();
    }
}

void TFolder::FinishEdit() {
    for (TDialog* p : aDialogs)
        for (TWindow* c : p->aControls)
            if (c->HasFocus())
                c->FinishEdit();
}

} // namespace dn
