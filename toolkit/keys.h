#pragma once

class QKeyEvent;

namespace dn::vk {

// Key codes handed to key blocks (bKeyDown): the virtual-key numbers the program's
// procedures are written with. Letters and digits are their upper-case ASCII codes.
constexpr int Back = 0x08;
constexpr int Tab = 0x09;
constexpr int Return = 0x0D;
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Menu = 0x12; // Alt
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int Prior = 0x21; // Page Up
constexpr int Next = 0x22;  // Page Down
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Insert = 0x2D;
constexpr int Delete = 0x2E;
constexpr int F1 = 0x70;
constexpr int F4 = 0x73;
constexpr int F12 = 0x7B;

// Mouse and key flags handed to click and key blocks.
constexpr int MK_LBUTTON = 0x01;
constexpr int MK_RBUTTON = 0x02;
constexpr int MK_SHIFT = 0x04;
constexpr int MK_CONTROL = 0x08;
constexpr int MK_MBUTTON = 0x10;

// The key code of a Qt key event; 0 for keys without one.
int fromQt(const QKeyEvent& e);
// The Qt key for a key code (inverse of fromQt for the codes above, letters, digits).
int toQt(int vk);

} // namespace dn::vk
