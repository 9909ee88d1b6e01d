#include "support/popup/MenuTest.h"

#include <chrono>

namespace popuptest {

std::wstring Repeat(const std::wstring& text, int times) {
    std::wstring s;
    for (int i = 0; i < times; ++i) s += text;
    return s;
}

SIZE MeasureText(const fw::Font& font, const std::wstring& text) {
    SIZE size{};
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font.Handle());
    if (text.empty()) {
        ::GetTextExtentPoint32W(dc, L" ", 1, &size);
        size.cx = 0;
    } else {
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return size;
}

void Press(WORD vk, WORD modifier) {
    if (modifier) qbtest::KeyDown(modifier);
    qbtest::TapKey(vk);
    if (modifier) qbtest::KeyUp(modifier);
    qbtest::SettleInput();
}

std::wstring HotCaption(const TPopupMenuBase* w) {
    const TPopupButtonBase* e = w->ButtonManager->HotEntry();
    return e && e->CaptionText() ? *e->CaptionText() : L"(none)";
}

RECT ClientOnScreen(const TPopupMenuBase* w) {
    RECT r{};
    ::GetClientRect(w->Handle(), &r);
    ::MapWindowPoints(w->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void MenuTest::SetUp() {
    qbtest::MoveMouseTo(kNeutral);
    menus = std::make_unique<TPopupMenuManager>(nullptr);
}
void MenuTest::TearDown() {
    if (ButtonDown(VK_LBUTTON)) qbtest::ReleaseLeft();
    if (ButtonDown(VK_RBUTTON)) qbtest::ReleaseRight();
    qbtest::MoveMouseTo(kNeutral);
    menus.reset();
    qbtest::PumpFor(std::chrono::milliseconds(30));
}

void MenuTest::ShowAt(TPopupMenuBase* w, int left, int top) {
    w->ButtonManager->FinishLayout();
    w->SetLeft(left);
    w->SetTop(top);
    w->Show();
    ::UpdateWindow(w->Handle());
    ASSERT_TRUE(qbtest::WaitUntil([w] { return w->Visible(); }));
    qbtest::PumpFor(std::chrono::milliseconds(50));
}

}  // namespace popuptest
