// The per-user installer run silently (/S) in the test prefix: what it puts in place, the program it starts,
// an install over the running copy, and an uninstall that leaves nothing of ours but the settings.
#include "support/Process.h"
#include "support/SettingsKey.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>

namespace {

using namespace std::chrono_literals;
using std::filesystem::exists;
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillbrook";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// A REG_SZ, a REG_DWORD as its number, or nothing.
std::optional<std::wstring> Value(const wchar_t* key, const wchar_t* name) {
    union {
        wchar_t text[1024];
        DWORD number;
    } data;
    DWORD type = 0, size = sizeof(data);
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, &data, &size))
        return std::nullopt;
    return type == REG_DWORD ? std::to_wstring(data.number) : std::wstring(data.text);
}

// The process whose main form is up (the window the installer asks to close), or 0.
DWORD RunningCopy() {
    DWORD id = 0;
    if (HWND form = ::FindWindowW(L"TMainForm", L"MainForm")) ::GetWindowThreadProcessId(form, &id);
    return id;
}

class Installer : public qbtest::SettingsTest {
protected:
    void SetUp() override {
        if (setup_.empty()) GTEST_SKIP() << "no installer was made: the build found no makensis (nsis)";
        ASSERT_TRUE(exists(setup_)) << "the installer was not built";
    }
    // Nothing left after a failure: a running copy's mutex would turn the next tests' copies away.
    void TearDown() override {
        if (exists(uninstaller_)) qbtest::ProgramProcess(uninstaller_, L"/S _?=" + folder_).WaitForExit(30s);
        ::DeleteFileW(uninstaller_.c_str());
        ::RemoveDirectoryW(folder_.c_str());
    }
    const std::wstring setup_ = qbtest::ProgramPath();  // the test program's argument
    const std::wstring folder_ = Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Quillbrook";
    const std::wstring exe_ = folder_ + L"\\Quillbrook.exe", uninstaller_ = folder_ + L"\\uninstall.exe";
    const std::wstring shortcut_ = Folder(CSIDL_PROGRAMS) + L"\\Quillbrook.lnk";
};

TEST_F(Installer, InstallsForTheUserStartsTheProgramInstallsOverItAndUninstallsAllButTheSettings) {
    SetDword(L"DelayTime", 345);  // a setting the user has from before
    ASSERT_EQ(qbtest::ProgramProcess(setup_, L"/S").WaitForExit(60s), 0u);
    EXPECT_TRUE(exists(exe_) && exists(folder_ + L"\\Quillbrook.html") && exists(shortcut_));
    EXPECT_EQ(Value(kRunKey, L"Quillbrook"), L"\"" + exe_ + L"\"");
    const std::pair<const wchar_t*, std::wstring> entries[] = {
        {L"DisplayName", L"Quillbrook"},
        {L"DisplayVersion", QB_VERSION},
        {L"Publisher", L"Quillbrook"},
        {L"DisplayIcon", exe_ + L",0"},
        {L"InstallLocation", folder_},
        {L"NoModify", L"1"},
        {L"NoRepair", L"1"},
        {L"UninstallString", L"\"" + uninstaller_ + L"\""},
        {L"QuietUninstallString", L"\"" + uninstaller_ + L"\" /S"}};
    for (const auto& [name, expected] : entries) EXPECT_EQ(Value(kUninstallKey, name), expected) << name;
    EXPECT_GT(std::stoul(Value(kUninstallKey, L"EstimatedSize").value_or(L"0")), 500u);  // KB: the exe alone
    ASSERT_TRUE(qbtest::WaitUntil([] { return RunningCopy() != 0; }, 15s)) << "the program did not start";

    // Over the running copy: closed as Exit closes it (so it stores every setting), replaced, started again.
    ASSERT_EQ(qbtest::ProgramProcess(setup_, L"/S").WaitForExit(60s), 0u);
    EXPECT_TRUE(Stored(L"HotKey1")) << "the running copy did not end through its main form";
    ASSERT_TRUE(qbtest::WaitUntil([] { return RunningCopy() != 0; }, 15s));

    // The uninstaller hands its work to a copy of itself and ends at once; the copy removes the entry last.
    ASSERT_EQ(qbtest::ProgramProcess(uninstaller_, L"/S").WaitForExit(30s), 0u);
    EXPECT_TRUE(qbtest::WaitUntil([] { return !Value(kUninstallKey, L"DisplayName"); }, 30s));
    EXPECT_EQ(RunningCopy(), 0u);
    EXPECT_FALSE(exists(folder_));
    EXPECT_FALSE(exists(shortcut_));
    EXPECT_FALSE(Value(kRunKey, L"Quillbrook"));
    fw::unique_hkey entry;  // the key itself is gone
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, entry.put()), ERROR_SUCCESS);
    EXPECT_EQ(Dword(L"DelayTime"), 345u) << "the settings went with a silent uninstall";
}

}  // namespace
