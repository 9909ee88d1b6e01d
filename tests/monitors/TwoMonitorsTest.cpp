// The real Quillbrook.exe on a display with two monitors side by side: the primary one on the left and a
// smaller one to its right. Every menu keeps to the monitor it opens on. scripts/test runs this program
// on an X server with two monitors; on a display with one it skips.
#include "support/SettingsKey.h"
#include "support/Input.h"
#include "support/Process.h"
#include "support/TempFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct Monitor {
    RECT monitor;
    RECT work;
};

std::vector<Monitor> Monitors() {
    std::vector<Monitor> all;
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR m, HDC, LPRECT, LPARAM p) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof(info);
            if (::GetMonitorInfoW(m, &info)) {
                reinterpret_cast<std::vector<Monitor>*>(p)->push_back(Monitor{info.rcMonitor, info.rcWork});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

RECT WindowRect(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

class TwoMonitors : public qbtest::SettingsTest {
protected:
    void SetUp() override {
        const std::vector<Monitor> monitors = Monitors();
        if (monitors.size() < 2) GTEST_SKIP() << "this display has one monitor";
        for (const Monitor& m : monitors) (m.monitor.left == 0 && m.monitor.top == 0 ? primary_ : right_) = m;
        ASSERT_EQ(right_.monitor.left, primary_.monitor.right)
            << "the second monitor lies right of the first";
        ASSERT_LT(right_.work.bottom - right_.work.top, primary_.work.bottom - primary_.work.top);
    }
    void TearDown() override { qbtest::MoveMouseTo(POINT{5, 5}); }

    static void End(qbtest::ProgramProcess& program) { EXPECT_TRUE(program.Close().has_value()); }

    Monitor primary_{};
    Monitor right_{};
};

TEST_F(TwoMonitors, AOneShotMenuAndATrayMenuStayOnTheMonitorOfTheirPoint) {
    {
        qbtest::ProgramProcess oneShot(L"-t " + std::to_wstring(right_.work.right - 20) + L" " +
                                       std::to_wstring(right_.work.bottom - 20));
        HWND menu = oneShot.WaitForVisibleWindow(L"TRootMenuFiler");
        ASSERT_NE(menu, nullptr);
        const RECT r = WindowRect(menu);
        EXPECT_EQ(r.right, right_.work.right) << "pulled onto the primary monitor";
        EXPECT_EQ(r.bottom, right_.work.bottom);
        End(oneShot);
    }

    // The tray icon clicked with the cursor in the right monitor's bottom-right corner.
    qbtest::ProgramProcess resident(L"");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return !resident.UtilityWindows().empty(); }));
    qbtest::MoveMouseTo(POINT{right_.work.right - 3, right_.work.bottom - 3});
    resident.ClickTrayIcon();
    std::vector<HWND> tops;
    ASSERT_TRUE(
        qbtest::WaitUntil([&] { return !(tops = resident.VisibleWindows(L"TTopMenuFiler")).empty(); }, 10s));
    const RECT r = WindowRect(tops.front());
    EXPECT_EQ(r.right, right_.work.right);
    EXPECT_EQ(r.bottom, right_.work.bottom);
    End(resident);
}

TEST_F(TwoMonitors, ATallFolderIsCutToTheHeightOfItsOwnMonitor) {
    const qbtest::TempFolder folder(L"二つのモニター");
    for (int i = 0; i < 120; ++i) {
        const std::wstring file = folder.Child(L"ファイル " + std::to_wstring(1000 + i) + L".txt");
        ::CloseHandle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    }
    for (const Monitor* m : {&right_, &primary_}) {
        qbtest::ProgramProcess oneShot(L"-d \"" + folder.Path() + L"\" " +
                                       std::to_wstring(m->work.left + 100) + L" " +
                                       std::to_wstring(m->work.top));
        HWND menu = oneShot.WaitForVisibleWindow(L"TSubFolderFiler");
        ASSERT_NE(menu, nullptr);
        const RECT r = WindowRect(menu);
        EXPECT_EQ(r.top, m->work.top);
        EXPECT_EQ(r.bottom - r.top, m->work.bottom - m->work.top)
            << (m == &right_ ? "on the right monitor" : "on the primary monitor");
        End(oneShot);
    }
}

TEST_F(TwoMonitors, SubmenusOpenRightOnTheRightMonitorAndTurnAtItsEdge) {
    qbtest::ProgramProcess resident(L"");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return resident.FindWindowOf(L"TMainForm") != nullptr; }));
    auto openTopAt = [&](POINT at) -> HWND {
        qbtest::MoveMouseTo(at);
        qbtest::KeyDown(VK_CONTROL);
        qbtest::TapKey('E');
        qbtest::KeyUp(VK_CONTROL);
        HWND top = nullptr;
        qbtest::WaitUntil(
            [&] {
                const auto found = resident.VisibleWindows(L"TTopMenuFiler");
                if (found.empty()) return false;
                const RECT r = WindowRect(found.front());
                top = found.front();
                return r.left == at.x && r.top == at.y;
            },
            10s);
        return top;
    };
    auto submenuOf = [&](HWND top) -> std::optional<RECT> {
        const RECT c = qbtest::ClientOnScreen(top);
        // Onto the first entry and a pixel on, as a hand's motion comes: a single jump that lands while
        // the hotkey is still being handled counts as the menu appearing under a resting cursor.
        qbtest::MoveMouseTo(POINT{c.left + 30, c.top + 8});
        qbtest::MoveMouseTo(POINT{c.left + 31, c.top + 8});
        std::vector<HWND> subs;
        if (!qbtest::WaitUntil([&] { return !(subs = resident.VisibleWindows(L"TSubFolderFiler")).empty(); },
                               5s)) {
            return std::nullopt;
        }
        return WindowRect(subs.front());
    };

    // Well inside the right monitor: to the right, as on the primary monitor.
    HWND top = openTopAt(POINT{right_.work.left + 100, 100});
    ASSERT_NE(top, nullptr);
    std::optional<RECT> sub = submenuOf(top);
    ASSERT_TRUE(sub.has_value());
    EXPECT_EQ(sub->left, WindowRect(top).right - 5) << "turned at the primary monitor's edge";

    // Near its right edge: to the left, inside the monitor.
    top = openTopAt(POINT{right_.work.right - 150, 100});
    ASSERT_NE(top, nullptr);
    sub = submenuOf(top);
    ASSERT_TRUE(sub.has_value());
    EXPECT_EQ(sub->right, WindowRect(top).left + 5);
    End(resident);
}

}  // namespace
