#include "KeyChords.h"

namespace {

unsigned HeldModifiers() {
    return (GetKeyState(VK_CONTROL) < 0 ? kCtrl : 0u) | (GetKeyState(VK_SHIFT) < 0 ? kShift : 0u) |
           (GetKeyState(VK_MENU) < 0 ? kAlt : 0u);
}

} // namespace

bool IsKeyDownWith(const MSG& msg, WPARAM key, unsigned modifiers) {
    return msg.message == WM_KEYDOWN && msg.wParam == key && HeldModifiers() == modifiers;
}
