// One-shot starts as a shortcut makes them: the folder's menu opens at the given point with the folder's
// name as its caption, and the program ends when the user switches to another program.
#include "support/Process.h"
#include "support/SettingsKey.h"
#include "support/TempFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

using namespace std::chrono_literals;

class OneShot : public qbtest::SettingsTest {
protected:
    void SetUp() override { ASSERT_FALSE(qbtest::ProgramPath().empty()); }

    // Starts a one-shot copy with the root menu and waits for it; its hidden main form.
    static HWND StartRootMenu(qbtest::ProgramProcess& process) {
        return process.WaitForVisibleWindow(L"TRootMenuFiler") ? process.FindWindowOf(L"TMainForm") : nullptr;
    }
};

TEST_F(OneShot, AtLogOffAOneShotCopyStoresItsSettingsOnlyWhenNoResidentCopyRuns) {
    {
        qbtest::ProgramProcess alone(L"-t");
        HWND main = StartRootMenu(alone);
        ASSERT_NE(main, nullptr);
        DWORD_PTR answer = 0;
        ASSERT_TRUE(::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
        EXPECT_EQ(answer, 1u);
        EXPECT_TRUE(Stored(L"DelayTime")) << "log-off during a one-shot run alone stores the settings";
    }
    Clear();
    qbtest::ProgramProcess resident(L"");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return resident.FindWindowOf(L"TMainForm") != nullptr; }));
    {
        qbtest::ProgramProcess beside(L"-t");
        HWND main = StartRootMenu(beside);
        ASSERT_NE(main, nullptr);
        DWORD_PTR answer = 0;
        ASSERT_TRUE(::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
        EXPECT_EQ(answer, 1u);
        EXPECT_FALSE(Stored(L"DelayTime")) << "the one-shot copy overwrote the resident copy's settings";
    }
    EXPECT_TRUE(resident.Close().has_value());
}

TEST_F(OneShot, AFolderMenuOpensAtTheGivenPointAndTheProgramEndsWhenAnotherProgramIsActivated) {
    const qbtest::TempFolder folder(L"one shot メニュー");
    const std::wstring file = folder.Child(L"メモ.txt");
    ::CloseHandle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const std::wstring name = folder.Path().substr(folder.Path().find_last_of(L'\\') + 1);

    qbtest::ProgramProcess oneShot(L"-d \"" + folder.Path() + L"\" 10 20");
    ASSERT_TRUE(oneShot.Started());
    HWND menu = oneShot.WaitForVisibleWindow(L"TSubFolderFiler");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(qbtest::WindowText(menu), name);
    RECT r{};
    ::GetWindowRect(menu, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    qbtest::SaveScreenshot(r, qbtest::OutputFolder() + L"\\one-shot-folder.bmp");

    // Switching to the program's own menu window changes nothing; switching to another program ends it.
    ASSERT_TRUE(qbtest::BringToFront(menu, 5s));
    qbtest::PumpFor(300ms);
    EXPECT_TRUE(oneShot.Running());
    qbtest::OtherProgramWindow other;
    ASSERT_TRUE(other.Activate());
    const auto code = oneShot.WaitForExit(15s);
    ASSERT_TRUE(code.has_value()) << "the one-shot program went on after the user left it";
    EXPECT_EQ(*code, 0u);
}

TEST_F(OneShot, APathThatNamesNothingOrAFileOrADeviceEndsTheProgramAtOnce) {
    for (const wchar_t* path : {L"C:\\どこにもない\\フォルダ", L"C:\\windows\\win.ini", L"NUL"}) {
        qbtest::ProgramProcess oneShot(L"-d \"" + std::wstring(path) + L"\" 10 20");
        ASSERT_TRUE(oneShot.Started());
        const auto code = oneShot.WaitForExit(15s);
        ASSERT_TRUE(code.has_value()) << path;
        EXPECT_EQ(*code, 0u);
    }
}

}  // namespace
