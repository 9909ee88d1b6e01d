// A long resident session in one run: the hotkey opens the top menu, resting on a folder opens its
// submenu, and leaving for another program closes everything, over and over. Whatever the first cycles
// settle to (shell allocations, menu windows, entries, watchers, threads, private memory) must stay so;
// a leak of one block or one thread per cycle shows at once. QB_SOAK_CYCLES sets the number of cycles
// (100 by default; the soak script beside the benchmarks runs 1,000).
#include "app/CommandLineParser.h"
#include "app/MainForm.h"
#include "filers/MenuFilerBase.h"
#include "framework/Application.h"
#include "framework/Lifetime.h"
#include "operations/FolderButton.h"
#include "popup/PopupBase.h"
#include "popup/PopupButtonBase.h"
#include "settings/DataConserver.h"
#include "shell/AttributeCache.h"
#include "shell/FolderWatcher.h"
#include "shell/ListOfItemIdList.h"
#include "support/Input.h"
#include "support/MallocSpy.h"
#include "support/Process.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

using namespace std::chrono_literals;

int Cycles() {
    wchar_t text[16] = {};
    if (::GetEnvironmentVariableW(L"QB_SOAK_CYCLES", text, 16) == 0) return 100;
    return std::max(20, _wtoi(text));
}

int ThreadsOfThisProcess() {
    fw::unique_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
    }
    return count;
}

// Committed private memory, counted region by region (Wine reports no private usage in the process
// counters).
SIZE_T PrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total;
}

int Watchers() {
    TFolderWatcherManager* watchers = TMenuFilerBase::Watchers();
    return watchers ? watchers->Count() : 0;
}

// A window of another process to leave for: the platform's own text editor.
class AnotherProgram {
public:
    AnotherProgram() {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring command = L"notepad.exe";
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info)) {
            return;
        }
        process_.reset(info.hProcess);
        ::CloseHandle(info.hThread);
        id_ = info.dwProcessId;
        ::WaitForInputIdle(process_.get(), 10000);
        qbtest::WaitUntil([&] { return (window_ = FindWindow()) != nullptr; }, 10s);
    }
    ~AnotherProgram() {
        if (process_) {
            ::TerminateProcess(process_.get(), 0);
            ::WaitForSingleObject(process_.get(), 5000);
        }
    }
    AnotherProgram(const AnotherProgram&) = delete;
    AnotherProgram& operator=(const AnotherProgram&) = delete;

    HWND Window() const noexcept { return window_; }
    bool Activate() const { return window_ && qbtest::BringToFront(window_, 5s); }

private:
    HWND FindWindow() const {
        struct Search {
            DWORD id;
            HWND found;
        } search{id_, nullptr};
        ::EnumWindows(
            [](HWND w, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(w, &pid);
                if (pid != s->id || !::IsWindowVisible(w)) return TRUE;
                s->found = w;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    fw::unique_handle process_;
    DWORD id_ = 0;
    HWND window_ = nullptr;
};

// The top menu's first entry that stands for a folder of the file system (one that gets a watcher).
TPopupButtonBase* FileSystemFolderEntry(TPopupMenuBase& menu) {
    TPopupButtonManager* entries = menu.ButtonManager;
    for (int i = 0; entries && i < entries->EntryCount(); ++i) {
        auto* folder = dynamic_cast<TFolderButton*>(entries->Entries(i));
        wchar_t path[MAX_PATH] = {};
        if (folder && ::SHGetPathFromIDListW(folder->AbsoluteId(), path) && path[0]) return folder;
    }
    return nullptr;
}

TPopupMenuBase* VisibleMenuOfClass(const wchar_t* className) {
    HWND w = nullptr;
    while ((w = ::FindWindowExW(nullptr, w, className, nullptr)) != nullptr) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        if (pid != ::GetCurrentProcessId() || !::IsWindowVisible(w)) continue;
        if (auto* menu = dynamic_cast<TPopupMenuBase*>(fw::Form::FromHandle(w))) return menu;
    }
    return nullptr;
}

struct Sample {
    std::size_t heldBlocks = 0;
    int menus = 0;
    int entries = 0;
    int watchers = 0;
    int marked = 0;
    int threads = 0;
    SIZE_T privateBytes = 0;
    DWORD gdiObjects = 0;   // Wine reports 0 for both
    DWORD userObjects = 0;
};

class Soak : public testing::Test {
protected:
    void SetUp() override {
        settings_.NoSave = true;
        settings_.DelayTime = 0;
        settings_.HideWhenDeactivate = true;
        settings_.ActiveHotKey1 = 'E';
        settings_.ActiveHotKey2 = MOD_CONTROL;
        settings_.OffsetX = 0;
        settings_.OffsetY = 0;
        settings_.ShowTriangle = false;
        settings_.ButtonFaceBmp.clear();
        DataConserver = &settings_;
        CommandLineParser = &parser_;
        AttributeCache = &cache_;
    }
    void TearDown() override {
        if (form_) form_->Free();
        qbtest::PumpFor(50ms);
        DataConserver = nullptr;
        CommandLineParser = nullptr;
        AttributeCache = nullptr;
    }

    // One cycle as the user does it; false (with a failure) when a step did not happen.
    bool Cycle(int number, int& mostWatchers) {
        qbtest::MoveMouseTo(POINT{200 + number % 7 * 10, 150});
        qbtest::KeyDown(VK_CONTROL);
        qbtest::TapKey('E');
        qbtest::KeyUp(VK_CONTROL);
        TPopupMenuBase* top = nullptr;
        if (!qbtest::WaitUntil([&] { return (top = VisibleMenuOfClass(L"TTopMenuFiler")) != nullptr; }, 10s)) {
            ADD_FAILURE() << "cycle " << number << ": the hotkey opened no top menu";
            return false;
        }
        TPopupButtonBase* folder = FileSystemFolderEntry(*top);
        if (!folder) {
            ADD_FAILURE() << "no file-system folder on the desktop";
            return false;
        }
        const POINT at = folder->Container()->ClientToScreen(POINT{folder->Left() + 20, folder->Top() + 5});
        qbtest::MoveMouseTo(at);
        if (!qbtest::WaitUntil([&] { return VisibleMenuOfClass(L"TSubFolderFiler") != nullptr; }, 10s)) {
            ADD_FAILURE() << "cycle " << number << ": resting on the folder opened no submenu";
            return false;
        }
        mostWatchers = std::max(mostWatchers, Watchers());
        mostThreads_ = std::max(mostThreads_, ThreadsOfThisProcess());
        if (!other_.Activate()) {
            ADD_FAILURE() << "cycle " << number << ": the other program did not come to the front";
            return false;
        }
        if (!qbtest::WaitUntil([] { return fw::LiveCount<TPopupMenuBase>::Live() == 0; }, 10s)) {
            ADD_FAILURE() << "cycle " << number << ": leaving for another program left menus open";
            return false;
        }
        mostWatchers = std::max(mostWatchers, Watchers());
        return true;
    }

    Sample Take(const qbtest::MallocSpyScope& spy) const {
        qbtest::PumpFor(30ms);
        Sample s;
        s.heldBlocks = spy.Outstanding();
        s.menus = fw::LiveCount<TPopupMenuBase>::Live();
        s.entries = fw::LiveCount<TPopupButtonBase>::Live();
        s.watchers = Watchers();
        s.marked = fw::DeferredDelete::MarkedCount();
        s.threads = ThreadsOfThisProcess();
        s.privateBytes = PrivateBytes();
        s.gdiObjects = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
        s.userObjects = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
        return s;
    }

    TDataConserver settings_;
    TCommandLineParser parser_{L""};
    TListOfITEMIDLIST cache_;
    AnotherProgram other_;
    TMainForm* form_ = nullptr;
    int mostThreads_ = 0;  // with a submenu open (its watcher thread running)
};

TEST_F(Soak, HotkeySubmenuAndLeavingAgainAndAgainLeaveNothingBehind) {
    ASSERT_NE(other_.Window(), nullptr) << "no other program to leave for";
    form_ = new TMainForm(nullptr);
    const int cycles = Cycles();
    const int warmUp = 10;
    qbtest::MallocSpyScope spy;
    int mostWatchers = 0;
    Sample settled;
    Sample peak;
    for (int i = 0; i < cycles; ++i) {
        ASSERT_TRUE(Cycle(i, mostWatchers));
        if (i + 1 == warmUp) settled = Take(spy);
        if (i + 1 > warmUp) {
            const Sample now = Take(spy);
            peak.threads = std::max(peak.threads, now.threads);
            peak.privateBytes = std::max(peak.privateBytes, now.privateBytes);
        }
    }
    const Sample end = Take(spy);
    std::printf("soak: %d cycles; after %d: %zu blocks, %d threads, %zu KiB private; at the end: %zu blocks, "
                "%d threads (at most %d, %d with a submenu open), %zu KiB private (at most %zu); at most %d "
                "watchers\n",
                cycles, warmUp, settled.heldBlocks, settled.threads, settled.privateBytes / 1024, end.heldBlocks,
                end.threads, peak.threads, mostThreads_, end.privateBytes / 1024, peak.privateBytes / 1024, mostWatchers);

    EXPECT_EQ(end.heldBlocks, settled.heldBlocks) << "shell allocations grew";
    EXPECT_EQ(end.menus, 0);
    EXPECT_EQ(end.entries, 0);
    EXPECT_EQ(end.watchers, 0) << "watchers outlived their windows";
    EXPECT_EQ(end.marked, 0);
    EXPECT_LE(mostWatchers, 2);
    EXPECT_GT(mostThreads_, settled.threads) << "the thread count does not see the watcher thread";
    EXPECT_EQ(end.gdiObjects, settled.gdiObjects);
    EXPECT_EQ(end.userObjects, settled.userObjects);
    EXPECT_LE(end.threads, settled.threads);
    EXPECT_LE(peak.threads, settled.threads + 1);
    // The heap may round up a little; a leak of a kilobyte per cycle would not hide under this.
    const SIZE_T allowance = 256 * 1024;
    EXPECT_LE(end.privateBytes, settled.privateBytes + allowance)
        << "private memory grew from " << settled.privateBytes << " to " << end.privateBytes;

    // And the program still answers.
    int unused = 0;
    EXPECT_TRUE(Cycle(cycles, unused));
}

}  // namespace
