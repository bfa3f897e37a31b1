#include "player/window_messages.h"

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

}  // namespace rova::win
