#include "support/Input.h"

#include "support/TestSupport.h"

namespace qbtest {

namespace {

// Absolute coordinates over the whole virtual screen, so that the cursor reaches every monitor.
void SendMouse(DWORD flags, POINT at) {
    const int x0 = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y0 = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int w = ::GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1;
    const int h = ::GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1;
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = ((at.x - x0) * 65535 + w / 2) / w;
    in.mi.dy = ((at.y - y0) * 65535 + h / 2) / h;
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    ::SendInput(1, &in, sizeof(in));
}

void SendKey(WORD vk, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = flags;
    ::SendInput(1, &in, sizeof(in));
}

POINT Cursor() {
    POINT p{};
    ::GetCursorPos(&p);
    return p;
}

}  // namespace

void MoveMouseTo(POINT screen) {
    // A move to where the cursor already is makes no motion event: the input move comes first, and
    // SetCursorPos only corrects rounding of the absolute coordinates afterwards.
    SendMouse(MOUSEEVENTF_MOVE, screen);
    SettleInput();
    const POINT now = Cursor();
    if (now.x != screen.x || now.y != screen.y) {
        ::SetCursorPos(screen.x, screen.y);
        SettleInput();
    }
}

void PressLeft() {
    SendMouse(MOUSEEVENTF_LEFTDOWN, Cursor());
    SettleInput();
}
void ReleaseLeft() {
    SendMouse(MOUSEEVENTF_LEFTUP, Cursor());
    SettleInput();
}
void PressRight() {
    SendMouse(MOUSEEVENTF_RIGHTDOWN, Cursor());
    SettleInput();
}
void ReleaseRight() {
    SendMouse(MOUSEEVENTF_RIGHTUP, Cursor());
    SettleInput();
}

void KeyDown(WORD vk) {
    SendKey(vk, 0);
}
void KeyUp(WORD vk) {
    SendKey(vk, KEYEVENTF_KEYUP);
}
void TapKey(WORD vk) {
    KeyDown(vk);
    KeyUp(vk);
}

void TapWithControl(WORD vk) {
    KeyDown(VK_CONTROL);
    TapKey(vk);
    KeyUp(VK_CONTROL);
}

void SettleInput() {
    PumpFor(std::chrono::milliseconds(30));
}

void TypeText(std::wstring_view text) {
    for (wchar_t c : text) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wScan = in[1].ki.wScan = c;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        ::SendInput(2, in, sizeof(INPUT));
    }
    SettleInput();
}

}  // namespace qbtest
