// The resident program as a user meets it: the hotkey and the tray icon open the top menu, the top menu's
// commands, the cascade closing when the user leaves it (as the settings say), and the program's end.
#include "framework/ComPtr.h"
#include "framework/Screen.h"
#include "support/Input.h"
#include "support/Process.h"
#include "support/SettingsKey.h"
#include "support/ScreenGrab.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct Settings {
    int delay = 200;
    int hotKey1 = 'E';
    int hotKey2 = MOD_CONTROL;
    int offsetX = 0;
    int offsetY = 0;
    bool hide = false;
};

void Store(const Settings& s) {
    using Key = qbtest::ScratchSettings;
    Key::SetDword(L"DelayTime", static_cast<DWORD>(s.delay));
    Key::SetDword(L"HotKey1", static_cast<DWORD>(s.hotKey1));
    Key::SetDword(L"HotKey2", static_cast<DWORD>(s.hotKey2));
    Key::SetDword(L"OffsetX", static_cast<DWORD>(s.offsetX));
    Key::SetDword(L"OffsetY", static_cast<DWORD>(s.offsetY));
    Key::SetDword(L"HideWhenDeactivate", s.hide ? 1 : 0);
    Key::SetDword(L"ShowTriangle", 0);
    Key::SetString(L"ButtonFaceBmp", L"");
}

std::optional<int> StoredInteger(const wchar_t* name) {
    const auto value = qbtest::ScratchSettings::Dword(name);
    return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

// The first client row (from the client top) drawn in the highlight's navy across most of the width, or -1.
int FirstLitRow(HWND w) {
    const RECT c = qbtest::ClientOnScreen(w);
    const qbtest::ScreenGrab grab(c);
    for (LONG y = c.top; grab.Ok() && y < c.bottom; ++y) {
        const RECT row{c.left, y, c.right, y + 1};
        if (grab.Count(row, qbtest::Rgb{0, 0, 128}) * 2 > c.right - c.left) return y - c.top;
    }
    return -1;
}

void PressHotKey() {
    qbtest::TapWithControl('E');
}

class Resident : public qbtest::SettingsTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(qbtest::ProgramPath().empty());
        qbtest::MoveMouseTo(POINT{5, 5});
    }
    void TearDown() override { program_.reset(); }

    // Starts the resident program and waits for its hidden main form.
    void Start() {
        program_.emplace(L"");
        ASSERT_TRUE(program_->Started());
        ASSERT_TRUE(
            qbtest::WaitUntil([&] { return (mainForm_ = program_->FindWindowOf(L"TMainForm")) != nullptr; }));
        ASSERT_TRUE(qbtest::WaitUntil([&] { return !AllUtilityWindows().empty(); })) << "no tray icon window";
    }
    std::vector<HWND> Windows(const wchar_t* className) const { return program_->VisibleWindows(className); }
    HWND TopMenu() const {
        const auto found = Windows(L"TTopMenuFiler");
        return found.empty() ? nullptr : found.front();
    }
    // Opens the top menu with the hotkey at a point; the window.
    HWND OpenWithHotKey(POINT at) {
        qbtest::MoveMouseTo(at);
        PressHotKey();
        HWND menu = nullptr;
        qbtest::WaitUntil([&] { return (menu = TopMenu()) != nullptr; }, 10s);
        return menu;
    }
    std::vector<HWND> AllUtilityWindows() const { return program_->UtilityWindows(); }
    // Whether the notification area holds an icon of the program's: changing nothing of an icon succeeds
    // only for one that is there.
    bool TrayIconShown() const {
        for (HWND w : AllUtilityWindows()) {
            NOTIFYICONDATAW data{};
            data.cbSize = sizeof(data);
            data.hWnd = w;
            data.uID = 0;
            if (::Shell_NotifyIconW(NIM_MODIFY, &data)) return true;
        }
        return false;
    }
    void ClickTrayIcon() const { program_->ClickTrayIcon(); }
    // The height of the top menu's entries, found by hovering the last one ("終了", short enough to leave
    // the middle of its row clear of glyphs) and counting the rows that turn navy there.
    static int EntryHeight(HWND menu) {
        const RECT c = qbtest::ClientOnScreen(menu);
        const int x = (c.left + c.right) / 2;
        const qbtest::Rgb navy{0, 0, 128};
        qbtest::MoveMouseTo(POINT{c.left + 30, c.bottom - 3});
        int height = 0;
        qbtest::WaitUntil(
            [&] {
                height = 0;
                for (int y = c.bottom - 1; y > c.top && qbtest::PixelAt(POINT{x, y}) == navy; --y) ++height;
                return height > 0;
            },
            3s);
        return height + 1;  // the entry's own top row belongs to no entry and is not highlighted
    }
    // The centre of the n-th command counted from the bottom: 0 exit, 1 about, 2 help, 3 settings.
    static POINT Command(HWND menu, int entryHeight, int fromBottom) {
        const RECT c = qbtest::ClientOnScreen(menu);
        static const int kAbove[] = {0, 1, 2, 3};            // entries below, counted in entry heights
        static const int kSeparatorsBelow[] = {0, 0, 1, 2};  // 10-pixel separators below
        const int bottom = c.bottom - kAbove[fromBottom] * entryHeight - kSeparatorsBelow[fromBottom] * 10;
        return POINT{c.left + 30, bottom - entryHeight / 2};
    }
    static void Click(POINT at) {
        qbtest::MoveMouseTo(at);
        qbtest::PressLeft();
        qbtest::ReleaseLeft();
    }

    std::optional<qbtest::ProgramProcess> program_;
    HWND mainForm_ = nullptr;
};

TEST_F(Resident, TheHotkeyOpensTheTopMenuAtTheCursorLessTheOffsetsAndAgainMovesTheSameWindow) {
    Settings s;
    s.offsetX = 10;
    s.offsetY = 20;
    Store(s);
    Start();
    EXPECT_TRUE(TrayIconShown());
    HWND menu = OpenWithHotKey(POINT{400, 300});
    ASSERT_NE(menu, nullptr) << "the hotkey opened no top menu";
    RECT r{};
    ::GetWindowRect(menu, &r);
    qbtest::PumpFor(200ms);
    qbtest::SaveScreenshot(r, qbtest::OutputFolder() + L"\\top-menu.bmp");
    EXPECT_EQ(r.left, 390);
    EXPECT_EQ(r.top, 280);

    // Resting on the first desktop folder opens it beside the top menu.
    const RECT c = qbtest::ClientOnScreen(menu);
    qbtest::MoveMouseTo(POINT{c.left + 30, c.top + 8});
    ASSERT_TRUE(qbtest::WaitUntil([&] { return !Windows(L"TSubFolderFiler").empty(); }, 5s)) << "no submenu";
    RECT sub{};
    ::GetWindowRect(Windows(L"TSubFolderFiler").front(), &sub);
    EXPECT_EQ(sub.left, r.right - 5);

    // The hotkey again: the same window at the new place, its submenu closed, no second top menu.
    qbtest::MoveMouseTo(POINT{600, 200});
    PressHotKey();
    ASSERT_TRUE(qbtest::WaitUntil([&] {
        RECT now{};
        ::GetWindowRect(menu, &now);
        return now.left == 590 && now.top == 180 && ::IsWindowVisible(menu);
    }));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return Windows(L"TSubFolderFiler").empty(); }));
    EXPECT_EQ(Windows(L"TTopMenuFiler").size(), 1u);

    // Resting on the same folder as before opens it again at the new place.
    const RECT moved = qbtest::ClientOnScreen(menu);
    qbtest::MoveMouseTo(POINT{moved.left + 30, moved.top + 8});
    EXPECT_TRUE(qbtest::WaitUntil([&] { return !Windows(L"TSubFolderFiler").empty(); }, 5s))
        << "the folder that was highlighted before the move no longer opens";
}

TEST_F(Resident, WithHidingOnLeavingTheHotkeyStillMovesTheOpenTopMenu) {
    Settings s;
    s.hide = true;
    Store(s);
    Start();
    HWND menu = OpenWithHotKey(POINT{400, 300});
    ASSERT_TRUE(menu && qbtest::WaitUntil([&] { return ::GetForegroundWindow() == menu; }));
    qbtest::PumpFor(300ms);  // the program takes in that it is active
    // Moving the active menu is no leaving.
    qbtest::MoveMouseTo(POINT{600, 200});
    PressHotKey();
    qbtest::PumpFor(1s);
    EXPECT_TRUE(::IsWindowVisible(menu)) << "the second press closed the menu";
}

TEST_F(Resident, AbsurdOffsetsKeepTheMenuOnScreenAndASettingChangedIsStoredAtOnce) {
    Settings s;
    s.offsetX = 0x7FFFFFFF;
    s.offsetY = -1000;
    Store(s);
    Start();
    HWND menu = OpenWithHotKey(POINT{400, 300});
    ASSERT_NE(menu, nullptr);
    RECT r{}, inside{};
    ::GetWindowRect(menu, &r);
    const RECT work = fw::WorkArea();
    EXPECT_TRUE(::IntersectRect(&inside, &r, &work) && ::EqualRect(&inside, &r)) << "off the screen";
    // From the keyboard: the settings, then their fifth row (hide on leaving) ticked.
    for (WORD key : {VK_END, VK_UP, VK_UP, VK_UP, VK_RETURN}) qbtest::TapKey(key);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return Windows(L"TPopupMenuBase").size() == 1; }, 5s));
    for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) qbtest::TapKey(key);
    EXPECT_TRUE(qbtest::WaitUntil([] { return StoredInteger(L"HideWhenDeactivate") == 1; }, 5s))
        << "kept only for a normal exit";
}

TEST_F(Resident, TheSettingsTheAboutBoxAndExitFromTheTopMenu) {
    Store(Settings{});
    Start();
    HWND menu = OpenWithHotKey(POINT{300, 200});
    ASSERT_NE(menu, nullptr);
    const int h = EntryHeight(menu);
    ASSERT_GT(h, 8);

    // Settings open beside the top menu.
    qbtest::MoveMouseTo(Command(menu, h, 3));
    ASSERT_TRUE(qbtest::WaitUntil(
        [&] {
            for (HWND w : Windows(L"TPopupMenuBase")) {
                if (qbtest::WindowText(w) == L"設定") return true;
            }
            return false;
        },
        5s))
        << "the settings submenu did not open";

    // The about box: borderless, centred, with OK along its bottom edge; OK closes it.
    Click(Command(menu, h, 1));
    HWND about = nullptr;
    ASSERT_TRUE(qbtest::WaitUntil(
        [&] { return (about = program_->FindWindowOf(L"TCopyrightForm")) != nullptr; }, 5s));
    ASSERT_TRUE(qbtest::WaitUntil([&] { return ::IsWindowVisible(about) != FALSE; }));
    RECT client{};
    ::GetClientRect(about, &client);
    EXPECT_EQ(client.right, 277);
    EXPECT_EQ(client.bottom, 133);
    EXPECT_FALSE(::GetWindowLongPtrW(about, GWL_STYLE) & WS_CAPTION);
    HWND ok = qbtest::FindChild(about, L"Button", L"OK");
    ASSERT_NE(ok, nullptr);
    RECT okRect{};
    ::GetWindowRect(ok, &okRect);
    const RECT aboutClient = qbtest::ClientOnScreen(about);
    EXPECT_EQ(okRect.left, aboutClient.left);
    EXPECT_EQ(okRect.right, aboutClient.right);
    EXPECT_EQ(okRect.bottom, aboutClient.bottom);
    qbtest::SaveScreenshot(aboutClient, qbtest::OutputFolder() + L"\\about-box.bmp");
    Click(POINT{(okRect.left + okRect.right) / 2, (okRect.top + okRect.bottom) / 2});
    ASSERT_TRUE(qbtest::WaitUntil([&] { return !::IsWindow(about); }, 5s))
        << "OK did not close the about box";

    // Exit ends the program, which stores its settings and takes its hotkey with it.
    HWND again = OpenWithHotKey(POINT{300, 200});
    ASSERT_NE(again, nullptr);
    Click(Command(again, h, 0));
    const std::vector<HWND> trayWindows = AllUtilityWindows();
    const auto code = program_->WaitForExit(15s);
    ASSERT_TRUE(code.has_value()) << "exit did not end the program";
    for (HWND w : trayWindows) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = w;
        EXPECT_FALSE(::Shell_NotifyIconW(NIM_MODIFY, &data)) << "the tray icon outlived the program";
    }
    EXPECT_EQ(*code, 0u);
    EXPECT_EQ(StoredInteger(L"DelayTime"), 200);
    EXPECT_TRUE(::RegisterHotKey(nullptr, 1, MOD_CONTROL, 'E'));
    ::UnregisterHotKey(nullptr, 1);
}

TEST_F(Resident, LeavingForAnotherProgramClosesTheCascadeOnlyWhenTheSettingsSaySoAndNothingLeftIt) {
    Settings s;
    s.hide = true;
    Store(s);
    Start();
    qbtest::OtherProgramWindow other;

    HWND menu = OpenWithHotKey(POINT{300, 200});
    ASSERT_NE(menu, nullptr);
    const RECT c = qbtest::ClientOnScreen(menu);
    qbtest::MoveMouseTo(POINT{c.left + 30, c.top + 8});
    ASSERT_TRUE(qbtest::WaitUntil([&] { return !Windows(L"TSubFolderFiler").empty(); }, 5s));
    ASSERT_TRUE(other.Activate());
    EXPECT_TRUE(
        qbtest::WaitUntil([&] { return TopMenu() == nullptr && Windows(L"TSubFolderFiler").empty(); }, 5s))
        << "the cascade stayed after the user left";

    // A second top menu from the tray icon: with two, leaving closes nothing.
    ASSERT_NE(OpenWithHotKey(POINT{300, 200}), nullptr);
    qbtest::MoveMouseTo(POINT{600, 300});
    ClickTrayIcon();
    ASSERT_TRUE(qbtest::WaitUntil([&] { return Windows(L"TTopMenuFiler").size() == 2; }, 5s))
        << "the tray icon opened no second top menu";
    ASSERT_TRUE(other.Activate());
    qbtest::PumpFor(500ms);
    EXPECT_EQ(Windows(L"TTopMenuFiler").size(), 2u);
}

TEST_F(Resident, AHotkeyThatIsRefusedOrUnusableFallsBackToCtrlEAndIsStoredSo) {
    // Another program holds Alt+Q.
    ASSERT_TRUE(::RegisterHotKey(nullptr, 2, MOD_ALT, 'Q'));
    Settings s;
    s.hotKey1 = 'Q';
    s.hotKey2 = MOD_ALT;
    Store(s);
    Start();
    ASSERT_NE(OpenWithHotKey(POINT{300, 200}), nullptr) << "Ctrl+E does not open the menu";
    ::UnregisterHotKey(nullptr, 2);
    ASSERT_TRUE(program_->Close().has_value());
    EXPECT_EQ(StoredInteger(L"HotKey1"), 'E');
    EXPECT_EQ(StoredInteger(L"HotKey2"), MOD_CONTROL);

    // A bare Escape would be taken from every program: treated as refused.
    s.hotKey1 = VK_ESCAPE;
    s.hotKey2 = 0;
    Store(s);
    Start();
    ASSERT_NE(OpenWithHotKey(POINT{300, 200}), nullptr);
    ASSERT_TRUE(program_->Close().has_value());
    EXPECT_EQ(StoredInteger(L"HotKey1"), 'E');
    EXPECT_EQ(StoredInteger(L"HotKey2"), MOD_CONTROL);
}

TEST_F(Resident, TheKeyboardAloneOpensTheFirstFolderAndComesBack) {
    Store(Settings{});
    Start();
    HWND menu = OpenWithHotKey(POINT{300, 200});
    ASSERT_NE(menu, nullptr);
    // Opened by the hotkey: the first entry is lit at once, and the keys reach the menu.
    ASSERT_TRUE(qbtest::WaitUntil([&] { return FirstLitRow(menu) == 0; }, 5s))
        << "no highlight on the first entry";
    qbtest::TapKey(VK_DOWN);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return FirstLitRow(menu) > 0; }))
        << "Down did not move the highlight";
    qbtest::TapKey(VK_UP);
    qbtest::TapKey(VK_RETURN);
    HWND sub = nullptr;
    ASSERT_TRUE(qbtest::WaitUntil(
        [&] {
            const auto found = Windows(L"TSubFolderFiler");
            sub = found.empty() ? nullptr : found.front();
            return sub && FirstLitRow(sub) == 0;
        },
        5s))
        << "Enter did not open the first folder with its first entry lit";
    EXPECT_EQ(FirstLitRow(menu), 0) << "the folder's entry went dark while its submenu is open";
    qbtest::TapKey(VK_LEFT);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return Windows(L"TSubFolderFiler").empty(); }))
        << "Left left it open";
    EXPECT_EQ(FirstLitRow(menu), 0);
}

TEST_F(Resident, AScreenReaderInAnotherProcessIsAnsweredByTheTopMenu) {
    Store(Settings{});
    Start();
    HWND menu = OpenWithHotKey(POINT{300, 200});
    ASSERT_NE(menu, nullptr);
    // The window answers the reader's request with its object.
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(menu, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT),
                                      SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_NE(answer, 0u) << "the top menu does not answer WM_GETOBJECT";
    fw::ComPtr<IAccessible> object;
    const HRESULT hr =
        ::AccessibleObjectFromWindow(menu, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                     reinterpret_cast<void**>(object.put()));
    if (FAILED(hr)) GTEST_SKIP() << "this platform hands no accessible object across processes";
    long count = 0;
    ASSERT_EQ(object->get_accChildCount(&count), S_OK);
    EXPECT_GE(count, 7);  // the desktop's folders, three separators and four commands
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role;
    ::VariantInit(&role);
    ASSERT_EQ(object->get_accRole(self, &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_MENUPOPUP);
    VARIANT last = self;
    last.lVal = count;
    BSTR name = nullptr;
    ASSERT_EQ(object->get_accName(last, &name), S_OK);
    EXPECT_STREQ(name, L"終了");
    ::SysFreeString(name);
}

}  // namespace
