#pragma once

// The non-modal wait box behind POPMSG's wait-box use. At most one exists at a
// time (popmsg.cpp keeps it); callers go through POPMSG and CURMSG.

#include "toolkit/controls.h"
#include "toolkit/dialog.h"

#include <QPointer>

#include <memory>
#include <optional>
#include <string>

namespace dn::ui {

class TMsgBox {
public:
    // Opens the box and shows it. Normal mode: a box built in code with the text
    // (";" a line break), the caption title (default "Attendere"), the warning
    // icon and, when both range ends are given, a progress bar. Printing mode: the
    // template "PRINTDLG" showing the page counter. The window active before is
    // remembered and disabled until End.
    static std::unique_ptr<TMsgBox> New(const std::string& text, const std::string& title,
                                        std::optional<int> rangeFrom, std::optional<int> rangeTo,
                                        bool printing);
    ~TMsgBox();
    TMsgBox(const TMsgBox&) = delete;
    TMsgBox& operator=(const TMsgBox&) = delete;

    // Enables the remembered window again, lets pending events run and closes the
    // box. Idempotent.
    void End();
    // Shows a new text (normal mode: re-laid to fit it, keeping its horizontal
    // centre; page mode: the page label). The text becomes cMsg().
    void SetMsg(const std::string& text, bool pageMode = false);
    // Moves the progress bar (nothing without one).
    void SetPos(int n);

    const std::string& cMsg() const { return msg_; }
    bool IsPrinting() const { return printing_; }

    TDialog* oDlg() const { return dlg_.get(); }
    TProgress* oPrg() const { return prg_; }
    TSay* oSay() const { return say_; }
    // The window that was active when the box opened (nullptr when none, or gone).
    QWidget* hWnd() const { return remembered_.data(); }
    int nPag = 0;

private:
    TMsgBox() = default;
    void layout(bool keepCentre);

    std::unique_ptr<TDialog> dlg_;
    TSay* say_ = nullptr;
    TProgress* prg_ = nullptr;
    QPointer<QWidget> remembered_;
    bool disabledIt_ = false; // the box disabled the remembered window (and re-enables it)
    bool printing_ = false;
    bool ending_ = false; // the only close the box's close check allows
    bool ended_ = false;
    std::string msg_;
};

// Font of a wait box's text: "Arial", 15 pixels.
TFont msgBoxFont();

} // namespace dn::ui
