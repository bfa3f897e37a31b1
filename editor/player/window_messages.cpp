#include "player/window_messages.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace rova::win {

int virtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return kVkNumpad0 + (key - Qt::Key_0);
        switch (key) {
        case Qt::Key_Plus: return kVkAdd;
        case Qt::Key_Minus: return kVkSubtract;
        case Qt::Key_Asterisk: return kVkMultiply;
        case Qt::Key_Slash: return kVkDivide;
        case Qt::Key_Period: case Qt::Key_Comma: return kVkDecimal;
        default: break;
        }
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return kVkF1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Left: return kVkLeft;
    case Qt::Key_Up: return kVkUp;
    case Qt::Key_Right: return kVkRight;
    case Qt::Key_Down: return kVkDown;
    case Qt::Key_PageUp: return kVkPrior;
    case Qt::Key_PageDown: return kVkNext;
    case Qt::Key_Home: return kVkHome;
    case Qt::Key_End: return kVkEnd;
    case Qt::Key_Insert: return kVkInsert;
    case Qt::Key_Delete: return kVkDelete;
    case Qt::Key_Escape: return kVkEscape;
    case Qt::Key_Space: return kVkSpace;
    case Qt::Key_Return: case Qt::Key_Enter: return kVkReturn;
    case Qt::Key_Tab: return kVkTab;
    case Qt::Key_Backspace: return kVkBack;
    case Qt::Key_Shift: return kVkShift;
    case Qt::Key_Control: return kVkControl;
    case Qt::Key_Alt: return kVkMenu;
    case Qt::Key_Plus: return 0xBB;   // the main keyboard's = and + key
    case Qt::Key_Equal: return 0xBB;
    case Qt::Key_Minus: return 0xBD;
    default: return 0;
    }
}

int digitFromScanCode(std::uint32_t scanCode, bool windowsScanCodes) {
    // Scan codes 2 to 10 are the keys 1 to 9 and 11 the key 0.
    const std::uint32_t offset = windowsScanCodes ? 0 : 8;
    if (scanCode < offset + 2 || scanCode > offset + 11) return 0;
    const std::uint32_t index = scanCode - offset - 2;
    return index == 9 ? '0' : static_cast<int>('1' + index);
}

int virtualKeyFromKeyEvent(const QKeyEvent& event) {
    if (!event.modifiers().testFlag(Qt::KeypadModifier)) {
        const bool windows = QGuiApplication::platformName() == QLatin1String("windows");
        const bool cocoa = QGuiApplication::platformName() == QLatin1String("cocoa");
        if (!cocoa)
            if (const int digit = digitFromScanCode(event.nativeScanCode(), windows)) return digit;
    }
    return virtualKeyFromQt(event.key(), event.modifiers());
}

}  // namespace rova::win
