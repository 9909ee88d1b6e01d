// Keyboard and mouse-button state that accompanies key and mouse events.
#pragma once

#include <windows.h>

namespace fw {

enum ShiftFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
using ShiftState = unsigned;

// The keyboard modifiers held down right now.
ShiftState KeyboardShiftState() noexcept;
// The state that a mouse message's wParam (MK_ flags) carries, plus Alt from the keyboard.
ShiftState MouseShiftState(WPARAM mkFlags) noexcept;

}  // namespace fw
