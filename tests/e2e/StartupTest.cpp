// The real program, started as a user starts it: resident and one-shot starts, the second-copy guard,
// and what is left in the registry when it ends.
#include "support/Process.h"
#include "support/SettingsKey.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace {

using namespace std::chrono_literals;

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

// A thread of the program takes the shell's reference on it, as a properties sheet's thread does.
void HoldShellReference(const qbtest::ProgramProcess& program) {
    const auto take = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"shell32.dll"), "SHGetInstanceExplorer")));
    fw::unique_handle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, program.Id()));
    void* slot = ::VirtualAllocEx(process.get(), nullptr, sizeof(void*), MEM_COMMIT, PAGE_READWRITE);
    fw::unique_handle thread(::CreateRemoteThread(process.get(), nullptr, 0, take, slot, 0, nullptr));
    ::WaitForSingleObject(thread.get(), 5000);
}

class Startup : public qbtest::SettingsTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(qbtest::ProgramPath().empty()) << "the test program needs Quillbrook.exe's path";
    }
    static std::optional<DWORD> StoredType(const wchar_t* name) {
        const auto stored = TypeAndSize(name);
        return stored ? std::optional<DWORD>(stored->first) : std::nullopt;
    }
};

TEST_F(Startup, ResidentCopyRefusesASecondOneAndStoresItsSettingsWhenItsMainFormCloses) {
    qbtest::ProgramProcess first(L"");
    ASSERT_TRUE(first.Started());
    HWND mainForm = nullptr;
    ASSERT_TRUE(
        qbtest::WaitUntil([&] { return (mainForm = first.FindWindowOf(L"TMainForm", L"MainForm")); }));
    EXPECT_FALSE(::IsWindowVisible(mainForm));  // the main form is never shown

    // The resident copy holds Ctrl+E, so this process cannot register it.
    EXPECT_FALSE(::RegisterHotKey(nullptr, 1, MOD_CONTROL, 'E'));

    // The install path is recorded at start.
    ASSERT_TRUE(qbtest::WaitUntil([&] { return Stored(L"InstallFolder"); }));
    EXPECT_EQ(Lower(String(L"InstallFolder").value_or(L"")), Lower(qbtest::ProgramPath()));
    EXPECT_FALSE(Stored(L"DelayTime"));

    // Before log-off or shutdown the settings are stored at once, and Windows may go on.
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(mainForm, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(answer, 1u);
    EXPECT_EQ(StoredType(L"DelayTime"), static_cast<DWORD>(REG_DWORD));

    {
        qbtest::ProgramProcess second(L"");
        ASSERT_TRUE(second.Started());
        HWND box = nullptr;
        ASSERT_TRUE(qbtest::WaitUntil([&] { return (box = second.FindWindowOf(L"#32770", L"Quillbrook")); }));
        ASSERT_TRUE(qbtest::WaitUntil([&] { return ::IsWindowVisible(box) != FALSE; }));
        EXPECT_TRUE(qbtest::FindChild(box, L"Static", L"Quillbrookはすでに起動しています。"));
        // Owned by the program's hidden application window, so it gets no task-bar button of its own.
        HWND owner = ::GetWindow(box, GW_OWNER);
        EXPECT_TRUE(owner && owner == second.FindWindowOf(L"TApplication")) << "the box has no owner";
        RECT boxRect;
        ::GetWindowRect(box, &boxRect);
        qbtest::SaveScreenshot(boxRect, qbtest::OutputFolder() + L"\\already-running.bmp");

        HWND ok = qbtest::FindChild(box, L"Button");
        ASSERT_TRUE(ok);
        RECT r;
        ::GetWindowRect(ok, &r);
        ::SetForegroundWindow(box);
        qbtest::ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        const auto code = second.WaitForExit(10s);
        ASSERT_TRUE(code.has_value()) << "the second copy did not end after its box was dismissed";
        EXPECT_EQ(*code, 0u);
    }
    EXPECT_TRUE(first.Running());

    const auto code = first.Close();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0u);

    for (const wchar_t* name : {L"DelayTime", L"HotKey1", L"HotKey2", L"OffsetX", L"OffsetY",
                                L"HideWhenDeactivate", L"ShowTriangle"}) {
        EXPECT_EQ(StoredType(name), static_cast<DWORD>(REG_DWORD)) << name;
    }
    EXPECT_EQ(StoredType(L"ButtonFaceBmp"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(StoredType(L"InstallFolder"), static_cast<DWORD>(REG_SZ));

    // The hotkey went with the program.
    ASSERT_TRUE(::RegisterHotKey(nullptr, 1, MOD_CONTROL, 'E'));
    ::UnregisterHotKey(nullptr, 1);
}

TEST_F(Startup, OneShotStartRecordsTheInstallPathButStoresNoSettings) {
    qbtest::ProgramProcess oneShot(L"-t 100 200");
    ASSERT_TRUE(oneShot.Started());
    HWND menu = oneShot.WaitForVisibleWindow(L"TRootMenuFiler");
    ASSERT_NE(menu, nullptr);
    RECT r{};
    ::GetWindowRect(menu, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 200);
    ASSERT_TRUE(qbtest::BringToFront(menu, 5s));
    qbtest::OtherProgramWindow other;
    ASSERT_TRUE(other.Activate());
    const auto code = oneShot.WaitForExit(15s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0u);
    EXPECT_EQ(StoredType(L"InstallFolder"), static_cast<DWORD>(REG_SZ));
    EXPECT_FALSE(StoredType(L"DelayTime").has_value());
    EXPECT_FALSE(StoredType(L"ButtonFaceBmp").has_value());
}

TEST_F(Startup, AOneShotMenuGivenAPointOffTheScreenIsPulledIntoTheWorkArea) {
    qbtest::ProgramProcess oneShot(L"-t 5000 5000");
    ASSERT_TRUE(oneShot.Started());
    HWND menu = oneShot.WaitForVisibleWindow(L"TRootMenuFiler");
    ASSERT_NE(menu, nullptr);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT r{};
    ::GetWindowRect(menu, &r);
    EXPECT_EQ(r.right, work.right);
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_TRUE(oneShot.Close().has_value());
}

TEST_F(Startup, OneShotStartRunsBesideAResidentCopy) {
    qbtest::ProgramProcess resident(L"");
    HWND mainForm = nullptr;
    ASSERT_TRUE(qbtest::WaitUntil([&] { return (mainForm = resident.FindWindowOf(L"TMainForm")); }));
    qbtest::ProgramProcess oneShot(L"-t");
    HWND menu = oneShot.WaitForVisibleWindow(L"TRootMenuFiler");
    ASSERT_TRUE(qbtest::BringToFront(menu, 5s));
    qbtest::OtherProgramWindow other;
    ASSERT_TRUE(other.Activate());
    const auto code = oneShot.WaitForExit(15s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0u);
    // No already-running box came up for it, and the resident copy is untouched.
    EXPECT_TRUE(resident.Running());
    EXPECT_TRUE(resident.Close().has_value());
}

TEST_F(Startup, ARestartRightAfterExitIsNotRefusedWhileTheShellStillHoldsTheEndingCopy) {
    qbtest::ProgramProcess first(L"");
    HWND mainForm = nullptr;
    ASSERT_TRUE(qbtest::WaitUntil([&] { return (mainForm = first.FindWindowOf(L"TMainForm")); }));
    HoldShellReference(first);
    ::PostMessageW(mainForm, WM_CLOSE, 0, 0);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return !::IsWindow(mainForm); }));
    qbtest::ProgramProcess second(L"");
    EXPECT_TRUE(qbtest::WaitUntil([&] { return second.FindWindowOf(L"TMainForm") != nullptr; }))
        << "turned away";
    EXPECT_TRUE(first.Running()) << "the ending copy did not wait for the shell";
}

}  // namespace
