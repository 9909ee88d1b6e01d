#include "framework/ChildControl.h"

#include "framework/Buttons.h"
#include "framework/Edit.h"
#include "framework/Form.h"
#include "support/DropFiles.h"
#include "support/ScreenGrab.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

RECT ClientOnScreen(HWND hwnd) {
    RECT r{};
    ::GetClientRect(hwnd, &r);
    ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A point of the control's background: right of any text, away from the border.
POINT Background(const fw::ChildControl& c) {
    const RECT r = ClientOnScreen(c.Handle());
    return POINT{r.right - 4, (r.top + r.bottom) / 2};
}

bool Near(qbtest::Rgb a, qbtest::Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

TEST(ChildControl, BackgroundAndTextColoursShowOnScreen) {
    fw::Form form(nullptr, fw::FormParams{L"TColourTestForm"});
    form.SetBounds(200, 150, 360, 170);
    auto* face = new fw::Edit(&form, form);
    face->SetBounds(10, 10, 300, 30);
    face->SetColor(fw::clBtnFace);
    auto* plain = new fw::Edit(&form, form);
    plain->SetBounds(10, 50, 300, 30);
    // Read-only edits ask with WM_CTLCOLORSTATIC instead: the hotkey field is one.
    auto* readOnly = new fw::Edit(&form, form);
    readOnly->SetBounds(10, 90, 300, 30);
    readOnly->SetReadOnly(true);
    readOnly->SetColor(0x00C0FFC0);  // light green

    fw::Font blue;
    blue.SetHeight(24);
    blue.SetColor(0x00FF0000);
    plain->SetFont(blue);
    plain->SetText(L"■■■■");
    form.Show();
    ::UpdateWindow(form.Handle());
    qbtest::PumpFor(50ms);

    EXPECT_EQ(qbtest::PixelAt(Background(*face)), qbtest::SysRgb(COLOR_BTNFACE));
    EXPECT_EQ(qbtest::PixelAt(Background(*plain)), qbtest::SysRgb(COLOR_WINDOW));  // the default
    EXPECT_EQ(qbtest::PixelAt(Background(*readOnly)), (qbtest::Rgb{0xC0, 0xFF, 0xC0}));
    const RECT text = ClientOnScreen(plain->Handle());
    const int blueInk = qbtest::ScreenGrab(text).Count(text, [](qbtest::Rgb c) {
        return Near(c, qbtest::Rgb{0, 0, 255}, 40);
    });
    EXPECT_GT(blueInk, 100);

    // A change on the screen shows at once.
    plain->SetColor(0x00003399);  // brown: red 0x99, green 0x33
    EXPECT_TRUE(qbtest::WaitUntil(
        [&] {
            return qbtest::PixelAt(Background(*plain)) == qbtest::Rgb{0x99, 0x33, 0x00};
        },
        2000ms));
}

// A button that takes dropped files, the way a control of the settings takes a picture file.
class DropButton : public fw::Button {
public:
    using fw::Button::Button;
    std::vector<std::wstring> dropped;
    HDROP finished = nullptr;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != WM_DROPFILES) return fw::Button::WndProc(msg, wParam, lParam);
        auto drop = reinterpret_cast<HDROP>(wParam);
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::wstring path(::DragQueryFileW(drop, i, nullptr, 0), L'\0');
            ::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
            dropped.push_back(path);
        }
        ::DragFinish(drop);
        finished = drop;
        return 0;
    }
};

TEST(ChildControl, DroppedFilesReachTheControlsOwnWindowProcedure) {
    fw::Form form(nullptr);
    auto* button = new DropButton(&form, form);
    ::DragAcceptFiles(button->Handle(), TRUE);
    EXPECT_TRUE(::GetWindowLongPtrW(button->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    const std::vector<std::wstring> paths{L"C:\\壁紙\\夕焼け.bmp", L"D:\\写真 2024\\海.bmp"};
    HDROP drop = qbtest::MakeDrop(paths);
    ASSERT_TRUE(::PostMessageW(button->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
    ASSERT_TRUE(qbtest::WaitUntil([&] { return button->finished != nullptr; }));
    EXPECT_EQ(button->dropped, paths);
    EXPECT_EQ(button->finished, drop);
    EXPECT_EQ(::GlobalSize(drop), 0u);  // released: the handle is no longer valid
}

}  // namespace
