#pragma once

// The panel: the program's one permanent window, always on top in a corner of
// the screen, with one row per person slot (name and lamp) and a clock line.

#include <array>
#include <string>

namespace dn {
class TDialog;
class TTimer;
class TWindow;
} // namespace dn

namespace dn::app {

inline constexpr int kSlots = 10;
// Pixels from one row of the panel to the next: sizes the panel and turns the
// vertical position of a click into a slot.
inline constexpr double kRowHeight = 24.35;

using Names = std::array<std::string, kSlots>;

// Control ids of slot i's row in the panel's template "DELTRANOTA": the label with
// the name and, beside it, the lamp.
constexpr int nameLabelId(int slot) {
    return 99 + 2 * slot;
}
constexpr int lampId(int slot) {
    return 100 + 2 * slot;
}

// The ten names CFG_NM01 ... CFG_NM10 (empty for a variable that holds no text).
Names readNames();
// Number of the last slot with a name; 0 when every name is empty.
int CONTA(const Names& names);
// Binds slot i's label (nameLabelId(i)) to show names[i - 1].
void MKSAY(TDialog& panel, const Names& names, int i);
// Hides the lamps of slots n + 1 to 10.
void HIDEBTN(TDialog& panel, int n);
// Hides the row lines below the one that closes the clock line (line n + 1):
// the panel's client area may reach further than the rows when the window
// system's caption is lower than the panel allows for, or absent.
void hideSpareLines(TDialog& panel, int n);
// The slot under a click at row pixels from the top of the panel's client area:
// integer part of row / 24.35, plus 1 (it may exceed the shown slots).
int slotFromRow(int row);

// Puts a window into the top-most layer, or takes it out, without moving,
// resizing or activating it. Every window opened from the panel is bracketed by
// ONBACK before and ONTOP after.
void ONTOP(TWindow& w);
void ONBACK(TWindow& w);

// The panel's outer rectangle in pixels for n shown slots.
struct PanelGeometry {
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
};
// c: caption height + 5; w: the panel's width as built from its template;
// screen size; margins and anchors as in CFG_SUP, CFG_SOT, CFG_SIN, CFG_DES.
// Each value is truncated toward zero. The top and left are then kept between -7
// and the screen size + 7 - the panel's size (the 7 pixels that margins of 0 reach
// past the edge), so that no margin puts the panel off the screen.
PanelGeometry panelGeometry(int n, int c, int w, int screenWidth, int screenHeight, double top,
                            bool fromBottom, double left, bool fromRight);
// Caption height + 5, the c of panelGeometry.
int captionAllowance();
// Places the panel's frame at g (the client area is what the frame leaves).
void placePanel(TDialog& panel, const PanelGeometry& g);
// Height of the panel's outer rectangle as placed by placePanel.
int panelOuterHeight(const TDialog& panel);

// Runs the panel until it is closed for good; returns at once when no name is set
// and the names dialog is cancelled. The timers belong to mainWindow, so they keep
// firing while dialogs opened from the panel run.
void DELTRANOTA(TWindow& mainWindow);

// The panel while DELTRANOTA runs it (nullptr otherwise).
struct RunningPanel {
    TDialog* dlg = nullptr;
    int n = 0;
    TTimer* lampTimer = nullptr;
    TTimer* clockTimer = nullptr;
    Names names;
};
RunningPanel* runningPanel();

} // namespace dn::app
