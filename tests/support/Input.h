// Real mouse input for window tests: absolute moves and button presses through SendInput, the way a
// user's mouse makes them, followed by pumping this thread's messages so the windows see them.
#pragma once

#include <windows.h>

namespace qbtest {

// Moves the cursor to a screen point (SetCursorPos plus an absolute SendInput move).
void MoveMouseTo(POINT screen);
void PressLeft();
void ReleaseLeft();
void PressRight();
void ReleaseRight();
// Pumps messages until the input sent so far has been handled.
void SettleInput();

}  // namespace qbtest
