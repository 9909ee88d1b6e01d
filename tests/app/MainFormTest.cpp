// The main form of a one-shot start: its one menu, and the rule that ends the program when the user
// leaves it, but not when a window of the program's own comes to the front (a properties sheet that the
// shell runs on a thread of ours), until the user goes on from there to another program. Of a resident
// start: the tray menu's start at logon, ticked only when the user's Run key starts this program.
#include "app/CommandLineParser.h"
#include "app/MainForm.h"
#include "app/StartAtLogon.h"
#include "app/TaskTray.h"
#include "framework/Application.h"
#include "framework/Module.h"
#include "framework/Registry.h"
#include "framework/Screen.h"
#include "popup/PopupBase.h"
#include "support/Input.h"
#include "support/NestedStep.h"
#include "support/Process.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(MainForm, AOneShotMenuStaysForAWindowOfTheProgramOnAnotherThreadAndEndsForAnotherProgramAfterIt) {
    TCommandLineParser parser(L"-t 60 60");
    CommandLineParser = &parser;
    auto* form = new TMainForm(nullptr);
    int closes = 0;
    form->OnClose = [&](fw::Form&, fw::CloseAction& action) {
        ++closes;
        action = fw::CloseAction::None;
    };
    HWND menu = nullptr;
    ASSERT_TRUE(
        qbtest::WaitUntil([&] { return (menu = qbtest::FindThreadWindow(L"TRootMenuFiler")) != nullptr; }));
    RECT r{};
    ::GetWindowRect(menu, &r);
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.top, 60);
    ASSERT_TRUE(qbtest::BringToFront(menu, 5s));
    ASSERT_TRUE(qbtest::WaitUntil([] { return fw::App()->Active(); }));

    std::atomic<HWND> sheet{nullptr};
    std::atomic<bool> done{false};
    std::thread shellThread([&] {
        HWND w = ::CreateWindowExW(0, L"STATIC", L"プロパティ", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                                   200, 100, nullptr, nullptr, nullptr, nullptr);
        sheet = w;
        while (!done) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            ::Sleep(5);
        }
        ::DestroyWindow(w);
    });
    ASSERT_TRUE(qbtest::WaitUntil([&] { return sheet.load() != nullptr; }));
    EXPECT_TRUE(qbtest::BringToFront(sheet, 5s));
    // The program's thread hears that it lost activation, and keeps its menu.
    EXPECT_TRUE(qbtest::WaitUntil([] { return !fw::App()->Active(); }, 3s));
    qbtest::PumpFor(300ms);
    EXPECT_EQ(closes, 0) << "a window of the program's own ended the one-shot run";
    EXPECT_TRUE(::IsWindowVisible(menu));
    // From there the user goes on to another program: that is leaving.
    qbtest::ProgramProcess other(L"-t 700 500");
    ASSERT_TRUE(qbtest::BringToFront(other.WaitForVisibleWindow(L"TRootMenuFiler"), 5s));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return closes > 0; }, 3s)) << "the one-shot run missed the leaving";

    done = true;
    shellThread.join();
    form->Free();
    CommandLineParser = nullptr;
    qbtest::PumpFor(50ms);
}

TEST(MainForm, AOneShotMenuGivenAPointOnASecondMonitorIsKeptInsideThatMonitor) {
    // The display has one monitor; the program is given a layout with a second one to the right.
    const fw::ScopedMonitorLayout layout{
        {fw::MonitorArea{RECT{0, 0, 1280, 1024}, RECT{0, 0, 1280, 994}},
         fw::MonitorArea{RECT{1280, -200, 2304, 568}, RECT{1280, -200, 2304, 540}}}};
    TCommandLineParser parser(L"-t 2250 500");
    CommandLineParser = &parser;
    auto* form = new TMainForm(nullptr);
    form->OnClose = [](fw::Form&, fw::CloseAction& action) { action = fw::CloseAction::None; };
    HWND menu = nullptr;
    ASSERT_TRUE(
        qbtest::WaitUntil([&] { return (menu = qbtest::FindThreadWindow(L"TRootMenuFiler")) != nullptr; }));
    RECT r{};
    ::GetWindowRect(menu, &r);
    EXPECT_EQ(r.right, 2304) << "pulled onto the primary monitor";
    EXPECT_EQ(r.bottom, 540);
    form->Free();
    CommandLineParser = nullptr;
    qbtest::PumpFor(50ms);
}

constexpr wchar_t kOtherValue[] = L"QuillbrookTestOther";

class ResidentForm : public TMainForm {
public:
    using TMainForm::TMainForm;
    HWND TrayWindow() const { return TaskTray1->WindowHandle(); }  // where the shell sends the clicks
};

// Right-clicks the tray icon; while its menu is up, reads the item's tick and presses `keys`.
std::optional<bool> TrayMenuTick(ResidentForm& form, const std::vector<WORD>& keys) {
    std::optional<bool> ticked;
    qbtest::NestedStep step(
        [&] {
            const HWND shown = qbtest::FindThreadWindow(L"#32768");
            if (!shown) return false;
            const auto menu = reinterpret_cast<HMENU>(::SendMessageW(shown, MN_GETHMENU, 0, 0));
            ticked = (::GetMenuState(menu, 1, MF_BYPOSITION) & MF_CHECKED) != 0;
            for (WORD key : keys) qbtest::TapKey(key);
            return true;
        },
        [] { ::EndMenu(); });
    ::PostMessageW(form.TrayWindow(), TTaskTray::kCallbackMessage, 0, WM_RBUTTONDOWN);
    qbtest::WaitUntil([&] { return step.Done() && !qbtest::FindThreadWindow(L"#32768"); });
    return ticked;
}

TEST(MainForm, TheTrayMenusStartAtLogonIsTickedOnlyWhenOurValueNamesThisProgramAndSwitchesItAlone) {
    fw::Registry run;
    ASSERT_TRUE(run.OpenKey(kRunKey, true));
    run.WriteString(kOtherValue, L"C:\\Other\\other.exe");
    run.WriteString(kRunValueName, L"\"C:\\Old place\\Quillbrook.exe\"");  // left by a copy elsewhere
    auto* form = new ResidentForm(nullptr);
    const std::vector<WORD> choose{VK_DOWN, VK_DOWN, VK_RETURN};
    EXPECT_EQ(TrayMenuTick(*form, choose), false) << "a value naming another copy is ticked";
    const std::wstring program = fw::ProgramFilePath();
    EXPECT_EQ(run.ReadString(kRunValueName), L"\"" + program + L"\"");
    EXPECT_EQ(TrayMenuTick(*form, {VK_ESCAPE}), true);
    std::wstring byHand = program;  // without quotes, in other case
    ::CharUpperW(byHand.data());
    run.WriteString(kRunValueName, byHand);
    EXPECT_EQ(TrayMenuTick(*form, choose), true);
    EXPECT_FALSE(run.ValueExists(kRunValueName));
    EXPECT_EQ(run.ReadString(kOtherValue), L"C:\\Other\\other.exe") << "another program's value changed";
    form->Free();
    run.DeleteValue(kRunValueName);
    run.DeleteValue(kOtherValue);
    qbtest::PumpFor(50ms);
}

}  // namespace
