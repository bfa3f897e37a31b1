// The window messages, mouse flags and virtual-key codes that the player window
// hands to the viewer library. They keep the numeric values of the system the
// viewer's dispatch tables were written for.
#pragma once

#include <cstdint>

#include <Qt>

class QKeyEvent;

namespace rova::win {

inline constexpr unsigned kWmSize = 0x0005;
inline constexpr unsigned kWmActivate = 0x0006;
inline constexpr unsigned kWmPaint = 0x000F;
inline constexpr unsigned kWmKeyDown = 0x0100;
inline constexpr unsigned kWmKeyUp = 0x0101;
inline constexpr unsigned kWmMouseMove = 0x0200;
inline constexpr unsigned kWmLButtonDown = 0x0201;
inline constexpr unsigned kWmLButtonUp = 0x0202;
inline constexpr unsigned kWmLButtonDblClk = 0x0203;
inline constexpr unsigned kWmRButtonDown = 0x0204;
inline constexpr unsigned kWmRButtonUp = 0x0205;
inline constexpr unsigned kWmRButtonDblClk = 0x0206;
inline constexpr unsigned kWmMButtonDown = 0x0207;
inline constexpr unsigned kWmMButtonUp = 0x0208;
inline constexpr unsigned kWmMouseWheel = 0x020A;  // wParam: the wheel's delta in the high 16 bits

inline constexpr unsigned kWaInactive = 0;
inline constexpr unsigned kWaActive = 1;

inline constexpr unsigned kMkLButton = 0x0001;
inline constexpr unsigned kMkRButton = 0x0002;
inline constexpr unsigned kMkShift = 0x0004;
inline constexpr unsigned kMkControl = 0x0008;
inline constexpr unsigned kMkMButton = 0x0010;

inline constexpr int kVkLButton = 0x01;
inline constexpr int kVkRButton = 0x02;
inline constexpr int kVkMButton = 0x04;
inline constexpr int kVkBack = 0x08;
inline constexpr int kVkTab = 0x09;
inline constexpr int kVkReturn = 0x0D;
inline constexpr int kVkShift = 0x10;
inline constexpr int kVkControl = 0x11;
inline constexpr int kVkMenu = 0x12;
inline constexpr int kVkEscape = 0x1B;
inline constexpr int kVkSpace = 0x20;
inline constexpr int kVkPrior = 0x21;
inline constexpr int kVkNext = 0x22;
inline constexpr int kVkEnd = 0x23;
inline constexpr int kVkHome = 0x24;
inline constexpr int kVkLeft = 0x25;
inline constexpr int kVkUp = 0x26;
inline constexpr int kVkRight = 0x27;
inline constexpr int kVkDown = 0x28;
inline constexpr int kVkInsert = 0x2D;
inline constexpr int kVkDelete = 0x2E;
inline constexpr int kVkNumpad0 = 0x60;
inline constexpr int kVkMultiply = 0x6A;
inline constexpr int kVkAdd = 0x6B;
inline constexpr int kVkSubtract = 0x6D;
inline constexpr int kVkDecimal = 0x6E;
inline constexpr int kVkDivide = 0x6F;
inline constexpr int kVkF1 = 0x70;

// lParam of mouse messages and WM_SIZE: x (or width) low, y (or height) high.
inline std::intptr_t makeLParam(int low, int high) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(high & 0xFFFF) << 16) |
                                      static_cast<std::uint32_t>(low & 0xFFFF));
}

// The virtual-key code of a Qt key (keypad keys have codes of their own), or 0.
int virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);

// The digit ('0' to '9') of the main keyboard's top-row key with this native
// scan code, or 0. Windows gives the keyboard's scan code; X11 and Wayland
// give the X key code, which is that scan code plus 8.
int digitFromScanCode(std::uint32_t scanCode, bool windowsScanCodes);
// The virtual-key code of a key event. The top-row digits are taken by their
// physical key, as the platform's key code does, so 1 to 9 arrive with Shift
// held and on layouts whose top row types other characters; other keys as
// virtualKeyFromQt.
int virtualKeyFromKeyEvent(const QKeyEvent& event);

}  // namespace rova::win
