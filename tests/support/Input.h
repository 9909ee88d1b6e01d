// Real input for window tests. Mouse: absolute moves and button presses through SendInput, the way a
// user's mouse makes them, followed by pumping this thread's messages so the windows see them. Keys:
// sent only, for whoever has the keyboard focus; a menu's or dialog's own loop must find them in the
// queue, so the caller waits for their effect itself.
#pragma once

#include <windows.h>

#include <string_view>

namespace qbtest {

// Moves the cursor to a screen point (SetCursorPos plus an absolute SendInput move).
void MoveMouseTo(POINT screen);
void PressLeft();
void ReleaseLeft();
void PressRight();
void ReleaseRight();
void KeyDown(WORD vk);
void KeyUp(WORD vk);
// Down and up.
void TapKey(WORD vk);
// A key with Ctrl held, as the program's hotkey (Ctrl+E unless set otherwise).
void TapWithControl(WORD vk);
// Types text as a keyboard would, one UTF-16 unit per key (Japanese included), for whoever has the focus.
void TypeText(std::wstring_view text);
// Pumps messages until the input sent so far has been handled.
void SettleInput();

}  // namespace qbtest
