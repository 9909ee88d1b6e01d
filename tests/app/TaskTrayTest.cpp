// The tray icon component: the rules of adding, refreshing and removing the icon, the tip the shell gets,
// and the shell's mouse messages becoming one event each.
#include "app/TaskTray.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(TaskTray, NoIconWithoutATipAndEachShellMessageIsOneEventForItsOwnIdentifier) {
    TTaskTray tray(nullptr);
    tray.ID = 7;
    tray.SetIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    EXPECT_FALSE(tray.AddIcon()) << "an icon without a tip";
    EXPECT_FALSE(tray.Added());
    ASSERT_NE(tray.WindowHandle(), nullptr) << "the message window is made by the first try";
    EXPECT_FALSE(tray.RefreshIcon());
    EXPECT_FALSE(tray.RemoveIcon()) << "nothing to take out";
    // Refused (here for want of a tip, at logon for want of a task bar): added when a task bar comes.
    EXPECT_FALSE(tray.AddIcon());
    tray.SetTip(L"Quillbrook");
    ::SendMessageW(tray.WindowHandle(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray.Added()) << "the task bar came and the icon did not";

    std::vector<std::string> events;
    auto log = [&events](const char* name) {
        return [&events, name](TTaskTray&) { events.push_back(name); };
    };
    tray.OnMouseMove = log("move");
    tray.OnLeftMouseDown = log("left down");
    tray.OnLeftMouseUp = log("left up");
    tray.OnLeftDblClick = log("left double");
    tray.OnRightMouseDown = log("right down");
    tray.OnRightMouseUp = log("right up");
    tray.OnRightDblClick = log("right double");
    for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP,
                   WM_RBUTTONDBLCLK, WM_MBUTTONDOWN}) {
        ::PostMessageW(tray.WindowHandle(), TTaskTray::kCallbackMessage, 7, m);
    }
    ::PostMessageW(tray.WindowHandle(), TTaskTray::kCallbackMessage, 8, WM_LBUTTONDOWN);  // another icon's
    qbtest::PumpFor(100ms);
    EXPECT_EQ(events, (std::vector<std::string>{"move", "left down", "left up", "left double", "right down",
                                                "right up", "right double"}));
}

TEST(TaskTray, TheTipIsCutAfter63CharactersButNeverInsideOne) {
    EXPECT_EQ(TrayTip(std::wstring(70, L'a')), std::wstring(63, L'a'));
    EXPECT_EQ(TrayTip(L"Quillbrook"), L"Quillbrook");
    const std::wstring pair = L"\U0002000B";  // one character, two UTF-16 units
    EXPECT_EQ(TrayTip(std::wstring(62, L'あ') + pair + L"x"), std::wstring(62, L'あ'));
    EXPECT_EQ(TrayTip(std::wstring(61, L'あ') + pair + L"x"), std::wstring(61, L'あ') + pair);
}

TEST(TaskTray, AddsRefreshesAndRemovesItsIconWithTheTipCutWhole) {
    TTaskTray tray(nullptr);
    tray.SetIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    // 62 letters, then a character outside the basic plane (two UTF-16 units) that would be cut in two.
    const std::wstring tip = std::wstring(62, L'Q') + L"\U0002000B" + L"rest";
    tray.SetTip(tip);
    if (!tray.AddIcon()) GTEST_SKIP() << "no notification area on this display";
    // A task bar made anew while the icon is still there refuses the add: the icon stays ours.
    ::SendMessageW(tray.WindowHandle(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray.Added());
    EXPECT_TRUE(tray.RefreshIcon());
    tray.SetTip(L"Quillbrook");
    EXPECT_TRUE(tray.RemoveIcon());
    EXPECT_FALSE(tray.Added());
    EXPECT_EQ(tray.WindowHandle(), nullptr) << "the message window goes with the icon";
}

}  // namespace
