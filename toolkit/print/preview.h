#pragma once

#include "toolkit/print/recording.h"
#include "toolkit/window.h"

#include <array>
#include <memory>

class QAbstractButton;
class QEventLoop;
class QLabel;
class QScrollArea;

namespace dn {

namespace print {
class PageView;
}

// The print preview: a maximised window showing one recorded page at a time, with
// a tool bar to move through the pages (also Home, Page Up, Page Down, End), zoom
// (also a click on the page), print, save as PDF, send the PDF by e-mail and close.
// Its title is the main window's title, " - " and the document name.
class TPreview : public TWindow {
public:
    // The tool bar's buttons, in order.
    enum Button { Top, Prev, Next, Last, ZoomBtn, PrintBtn, Pdf, Mail, Exit, ButtonCount };
    static const std::array<const char*, ButtonCount> kBitmaps;
    static const std::array<const char*, ButtonCount> kToolTips;

    explicit TPreview(std::shared_ptr<const print::Recording> rec, TWindow* owner = nullptr);
    ~TPreview() override;

    // Shows the preview of rec and returns once the user has closed it. Other
    // windows take no input meanwhile.
    static void Run(std::shared_ptr<const print::Recording> rec, TWindow* owner = nullptr);
    // Shows the window maximised, on the first page.
    void Open();
    // Runs the window's events until it closes; calls print::settings().previewShown
    // once from inside.
    void Exec();
    bool End() override;

    // The page shown, 1-based, and how many there are.
    int nPage() const { return page_ + 1; }
    int nPages() const;
    void GoTop();
    void PrevPage();
    void NextPage();
    void GoBottom();
    void GoPage(int n);
    // Switches between the whole page and the enlarged view.
    void Zoom();
    bool lZoom() const { return zoomed_; }
    // Screen pixels per device unit of the page as now shown.
    double Scale() const;
    // The tool bar's actions.
    void PrintDoc();
    void SavePdf();
    void SendMail();

    // "Pagina: n di total".
    std::string PageText() const;
    QAbstractButton* ToolButton(Button b) const { return buttons_[b]; }
    QLabel* PageLabel() const { return pageLabel_; }
    QLabel* StatusLabel() const { return statusLabel_; }
    QScrollArea* ScrollArea() const { return scroll_; }
    QWidget* PageWidget() const;
    const print::Recording& Recording() const { return *rec_; }

    // Keys: Home, Page Up, Page Down, End (dn::vk codes). True when handled.
    bool HandleKey(int vk);

private:
    friend class print::PageView;
    void showPage();
    void zoomAt(QPointF sheetPoint);

    std::shared_ptr<const print::Recording> rec_;
    int page_ = 0;
    bool zoomed_ = false;
    double zoomScale_ = 0;
    std::array<QAbstractButton*, ButtonCount> buttons_{};
    QLabel* pageLabel_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    print::PageView* view_ = nullptr;
    QEventLoop* runLoop_ = nullptr;
};

} // namespace dn
