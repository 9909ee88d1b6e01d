// The real program on folders that answer slowly (a far share, a sleeping disk; here the tests' slow file
// system, each listing or each file's attributes waiting 3 s): every menu keeps answering, the slow
// folder's window shows at once with "読み込み中…" and its rows when they come, and the user can move on,
// close it or move the top menu meanwhile without anything being left behind.
#include "framework/ComPtr.h"
#include "support/AnswerWatch.h"
#include "support/Input.h"
#include "support/Process.h"
#include "support/SettingsKey.h"
#include "support/SlowFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr wchar_t kLoading[] = L"読み込み中…";
// Longest a window may keep the user waiting; the listing it must not wait for takes seconds.
constexpr auto kAtOnce = 100ms;
// Resting on an entry opens it after the hover delay (200 ms); input under Wine takes some more.
constexpr auto kHoverOpens = 1500ms;

const std::vector<std::wstring> kFourFiles{L"a.txt", L"b.txt", L"c.txt", L"d.txt"};
const std::vector<std::wstring> kTwoFiles{L"a.txt", L"b.txt"};

struct Row {
    std::wstring name;
    POINT centre;
};

// The rows of a menu window as a screen reader reads them; none while the window does not answer (the
// reader's questions would wait as long).
std::vector<Row> Rows(HWND menu) {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(menu, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer)) return {};
    fw::ComPtr<IAccessible> object;
    if (FAILED(::AccessibleObjectFromWindow(menu, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            object.put_void()))) {
        return {};
    }
    long count = 0;
    object->get_accChildCount(&count);
    std::vector<Row> rows;
    for (long i = 1; i <= count; ++i) {
        VARIANT child;
        ::VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = i;
        BSTR name = nullptr;
        long left = 0, top = 0, width = 0, height = 0;
        object->get_accName(child, &name);
        object->accLocation(&left, &top, &width, &height, child);
        rows.push_back(Row{name ? name : L"", POINT{left + width / 2, top + height / 2}});
        ::SysFreeString(name);
    }
    return rows;
}

std::vector<std::wstring> Names(HWND menu) {
    std::vector<std::wstring> names;
    for (const Row& row : Rows(menu)) names.push_back(row.name);
    return names;
}

// Rests the mouse on a menu's row; false when the menu shows no such row.
bool RestOn(HWND menu, const std::wstring& name) {
    for (const Row& row : Rows(menu)) {
        if (row.name != name) continue;
        qbtest::MoveMouseTo(row.centre);
        return true;
    }
    return false;
}

// The user's desktop folder moved to another folder for the life of the object, so that the top menu of a
// program started meanwhile lists that folder's items. The shell keeps the path in two keys (the second
// expanded); both go back to the test prefix's own.
class DesktopFolderAt {
public:
    explicit DesktopFolderAt(const std::wstring& path) { Set(kUserFolders, REG_EXPAND_SZ, path); }
    ~DesktopFolderAt() {
        Set(kUserFolders, REG_EXPAND_SZ, kOwn);
        wchar_t own[MAX_PATH] = {};
        ::ExpandEnvironmentStringsW(kOwn, own, MAX_PATH);
        Set(kShellFolders, REG_SZ, own);
    }
    DesktopFolderAt(const DesktopFolderAt&) = delete;
    DesktopFolderAt& operator=(const DesktopFolderAt&) = delete;

private:
    static constexpr wchar_t kUserFolders[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr wchar_t kShellFolders[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    static constexpr wchar_t kOwn[] = L"%USERPROFILE%\\Desktop";
    static void Set(const wchar_t* key, DWORD type, const std::wstring& text) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Desktop", type, text.c_str(),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
};

class SlowFolder : public qbtest::SettingsTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(qbtest::ProgramPath().empty());
        if (!fs_.Mounted()) GTEST_SKIP() << fs_.Absent();
        qbtest::MoveMouseTo(POINT{5, 5});
    }

    // Starts the program one-shot on the folder that holds the quick and the slow folders; its window.
    HWND OpenMenuFolder() {
        program_.emplace(L"-d \"" + fs_.Path(L"menu") + L"\" 10 20");
        HWND menu = program_->WaitForVisibleWindow(L"TSubFolderFiler");
        const std::vector<std::wstring> folders{L"quick", L"slow", L"slow-attributes"};
        return menu && qbtest::WaitUntil([&] { return Names(menu) == folders; }) ? menu : nullptr;
    }
    // Waits until nothing waits in the file system: the windows have what they show of the slow folders
    // (an icon may look into one), and what waits from now on is what the test does.
    bool Settled() const {
        return qbtest::WaitUntil([&] { return fs_.Waiting() == 0; }, 20s);
    }
    // The visible window of a folder, or null.
    HWND Opened(const wchar_t* folder) const {
        HWND w = program_->FindWindowOf(L"TSubFolderFiler", folder);
        return w && ::IsWindowVisible(w) ? w : nullptr;
    }

    qbtest::SlowFileSystem fs_;  // before the program: released only once the program has gone
    std::optional<qbtest::ProgramProcess> program_;
};

TEST_F(SlowFolder, ShowsAtOnceWithItsPlaceholderAndFillsLaterWhileEveryMenuAnswers) {
    HWND menu = OpenMenuFolder();
    ASSERT_NE(menu, nullptr);
    const qbtest::AnswerWatch watch(program_->Id());

    // A folder whose listing waits, then one whose files' attributes wait (released early: each file waits).
    const struct {
        const wchar_t* folder;
        const std::vector<std::wstring>& files;
        bool waitForIt;
    } cases[] = {{L"slow", kFourFiles, true}, {L"slow-attributes", kTwoFiles, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.folder)));
        ASSERT_TRUE(fs_.SetDelay(qbtest::SlowFileSystem::kDelay));
        ASSERT_TRUE(RestOn(menu, c.folder));
        HWND sub = nullptr;
        ASSERT_TRUE(qbtest::WaitUntil([&] { return (sub = Opened(c.folder)) != nullptr; }, kHoverOpens))
            << "the window waited for the folder";
        EXPECT_EQ(Names(sub), std::vector<std::wstring>{kLoading});
        EXPECT_GE(fs_.Waiting(), 1) << "the folder was no longer being read";
        if (!c.waitForIt) fs_.SetDelay(0ms);
        EXPECT_TRUE(qbtest::WaitUntil([&] { return Names(sub) == c.files; }, 15s))
            << testing::PrintToString(Names(sub));
    }
    EXPECT_LT(watch.Longest(), kAtOnce)
        << "the menus did not answer for " << watch.Longest().count() << " ms";
}

TEST_F(SlowFolder, EscapeClosesItAtOnceLeavingNothingBehindAndAQuickFolderOpensMeanwhile) {
    HWND menu = OpenMenuFolder();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(Settled());
    const int threads = program_->ThreadCount();
    ASSERT_GT(threads, 0);
    ASSERT_TRUE(fs_.SetDelay(30s));  // nothing ends by itself while the user moves on
    const qbtest::AnswerWatch watch(program_->Id());

    // Opened by resting on it, closed from the keyboard before its listing ends.
    ASSERT_TRUE(RestOn(menu, L"slow"));
    HWND slow = nullptr;
    ASSERT_TRUE(
        qbtest::WaitUntil([&] { return (slow = Opened(L"slow")) && fs_.Waiting() >= 1; }, kHoverOpens));
    ASSERT_TRUE(qbtest::BringToFront(menu, 5s));
    for (WORD key : {VK_HOME, VK_DOWN, VK_RIGHT}) qbtest::TapKey(key);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return ::GetForegroundWindow() == slow; }, kHoverOpens));
    qbtest::TapKey(VK_ESCAPE);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return !::IsWindowVisible(slow); }, 500ms)) << "Escape waited";
    EXPECT_TRUE(qbtest::WaitUntil(
        [&] { return program_->AllWindows(L"TSubFolderFiler") == std::vector<HWND>{menu}; }, 2s))
        << "a folder window was left behind";

    // Moving on to the quick folder opens it at once. Its rows come once the slow listing ends: Wine reads
    // one folder at a time in a process (ntdll holds one lock while it reads any folder).
    ASSERT_TRUE(RestOn(menu, L"quick"));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return Opened(L"quick") != nullptr; }, kHoverOpens))
        << "the quick folder waited for the slow one";
    ASSERT_TRUE(fs_.SetDelay(0ms));
    EXPECT_TRUE(
        qbtest::WaitUntil([&] { return Opened(L"quick") && Names(Opened(L"quick")) == kFourFiles; }, 5s));

    // Whatever listed the closed folder ends once the file system answers.
    EXPECT_TRUE(qbtest::WaitUntil([&] { return program_->ThreadCount() <= threads; }, 10s))
        << program_->ThreadCount() << " threads, " << threads << " before";
    EXPECT_LT(watch.Longest(), kAtOnce)
        << "the menus did not answer for " << watch.Longest().count() << " ms";
}

TEST_F(SlowFolder, TheHotkeyMovesTheTopMenuWhileASlowFolderIsListed) {
    const DesktopFolderAt desktop(fs_.Path(L"menu"));
    program_.emplace(L"");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return program_->FindWindowOf(L"TMainForm") != nullptr; }));
    qbtest::MoveMouseTo(POINT{300, 200});
    qbtest::TapWithControl('E');
    HWND top = program_->WaitForVisibleWindow(L"TTopMenuFiler", 10s);
    ASSERT_NE(top, nullptr);
    ASSERT_TRUE(Settled());

    ASSERT_TRUE(RestOn(top, L"slow"));
    ASSERT_TRUE(qbtest::WaitUntil([&] { return fs_.Waiting() >= 1; }, kHoverOpens)) << "slow was not opened";
    const qbtest::AnswerWatch watch(program_->Id());
    qbtest::MoveMouseTo(POINT{100, 100});
    qbtest::TapWithControl('E');
    EXPECT_TRUE(qbtest::WaitUntil(
        [&] {
            RECT r{};
            ::GetWindowRect(top, &r);
            return r.left == 100 && r.top == 100;
        },
        500ms))
        << "the top menu waited for the slow folder";
    EXPECT_EQ(Opened(L"slow"), nullptr) << "moving the top menu left its submenu open";
    EXPECT_LT(watch.Longest(), kAtOnce)
        << "the menus did not answer for " << watch.Longest().count() << " ms";
}

}  // namespace
