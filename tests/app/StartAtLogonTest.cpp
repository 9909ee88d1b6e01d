// Starting at logon from the tray icon's menu: its tick says whether the user's Run key starts this
// program, and choosing it writes or removes the program's own value and nothing else under Run.
#include "app/MainForm.h"
#include "app/StartAtLogon.h"
#include "app/TaskTray.h"
#include "framework/Module.h"
#include "support/Input.h"
#include "support/NestedStep.h"
#include "support/Process.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr wchar_t kOtherValue[] = L"QuillbrookTestOther";

// The main form of a resident start, with its tray icon's window where the shell sends the clicks.
class ResidentForm : public TMainForm {
public:
    using TMainForm::TMainForm;
    HWND TrayWindow() const { return TaskTray1->WindowHandle(); }
};

void SetRunValue(const wchar_t* name, const std::wstring& data) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, name, REG_SZ, data.c_str(),
                      static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> RunValue(const wchar_t* name) {
    wchar_t data[2048]{};
    DWORD size = sizeof(data);
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(data);
}

class StartAtLogonMenu : public testing::Test {
protected:
    void SetUp() override { form_ = new ResidentForm(nullptr); }
    void TearDown() override {
        form_->Free();
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName);
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kOtherValue);
        qbtest::PumpFor(50ms);
    }

    // Right-clicks the tray icon and, while its menu is up, reads the item's tick and presses `keys`;
    // the tick, or nothing when no menu came.
    std::optional<bool> OpenTrayMenu(const std::vector<WORD>& keys) {
        std::optional<bool> ticked;
        qbtest::NestedStep step(
            [&] {
                const HWND shown = qbtest::FindThreadWindow(L"#32768");
                if (!shown) return false;
                const auto menu = reinterpret_cast<HMENU>(::SendMessageW(shown, MN_GETHMENU, 0, 0));
                wchar_t caption[64]{};
                ::GetMenuStringW(menu, 1, caption, 64, MF_BYPOSITION);
                EXPECT_STREQ(caption, TMainForm::kStartAtLogonItem);
                ticked = (::GetMenuState(menu, 1, MF_BYPOSITION) & MF_CHECKED) != 0;
                RECT r{};
                ::GetWindowRect(shown, &r);
                if (*ticked) qbtest::SaveScreenshot(r, qbtest::OutputFolder() + L"\\tray-menu-ticked.bmp");
                for (WORD key : keys) qbtest::TapKey(key);
                return true;
            },
            [] { ::EndMenu(); });
        ::PostMessageW(form_->TrayWindow(), TTaskTray::kCallbackMessage, 0, WM_RBUTTONDOWN);
        qbtest::WaitUntil([&] { return step.Done() && !qbtest::FindThreadWindow(L"#32768"); });
        return ticked;
    }

    ResidentForm* form_ = nullptr;
    const std::vector<WORD> choose_{VK_DOWN, VK_DOWN, VK_RETURN};
};

TEST_F(StartAtLogonMenu, TicksOurValueOnlyWhenItNamesThisProgramAndSwitchesItAlone) {
    const std::wstring program = fw::ProgramFilePath();
    SetRunValue(kOtherValue, L"C:\\Other\\other.exe");
    SetRunValue(kRunValueName, L"\"C:\\Old place\\Quillbrook.exe\"");  // left by a copy elsewhere
    EXPECT_EQ(OpenTrayMenu(choose_), false) << "a value naming another copy is ticked";
    EXPECT_EQ(RunValue(kRunValueName), L"\"" + program + L"\"");
    EXPECT_EQ(OpenTrayMenu({VK_ESCAPE}), true);

    // Written by hand: without quotes, in other case.
    std::wstring upper = program;
    ::CharUpperW(upper.data());
    SetRunValue(kRunValueName, upper);
    EXPECT_EQ(OpenTrayMenu(choose_), true);
    EXPECT_EQ(RunValue(kRunValueName), std::nullopt);
    EXPECT_EQ(RunValue(kOtherValue), L"C:\\Other\\other.exe") << "another program's value was touched";
    EXPECT_EQ(OpenTrayMenu({VK_ESCAPE}), false);
}

}  // namespace
