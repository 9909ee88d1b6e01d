// Drives a running resident Quillbrook for the screenshot that scripts/run takes on a virtual display:
// puts a sample folder on the desktop, presses the hotkey, rests on the sample folder's entry until its
// submenu opens, writes where the cascade lies ("width height left top") to the file given as the
// argument, and ends the program once the script has taken the picture (it deletes that file).
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kSample[] = L"Quillbrook サンプル";

bool WaitFor(DWORD milliseconds, const auto& done) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    while (!done()) {
        if (::GetTickCount64() > end) return false;
        ::Sleep(20);
    }
    return true;
}

HWND VisibleWindow(const wchar_t* className, const wchar_t* caption = nullptr) {
    for (HWND w = ::FindWindowExW(nullptr, nullptr, className, nullptr); w;
         w = ::FindWindowExW(nullptr, w, className, nullptr)) {
        if (!::IsWindowVisible(w)) continue;
        wchar_t text[256] = {};
        ::GetWindowTextW(w, text, 256);
        if (!caption || std::wstring(text) == caption) return w;
    }
    return nullptr;
}

void MoveMouse(POINT at) {
    ::SetCursorPos(at.x, at.y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>(at.x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1));
    input.mi.dy = static_cast<LONG>(at.y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof(input));
}

void Key(WORD vk, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    ::SendInput(1, &input, sizeof(input));
}

void MakeSampleFolder() {
    wchar_t desktop[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop))) return;
    const std::wstring folder = std::wstring(desktop) + L"\\" + kSample;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* sub : {L"写真", L"資料", L"Projects"}) {
        ::CreateDirectoryW((folder + L"\\" + sub).c_str(), nullptr);
    }
    for (const wchar_t* file : {L"メモ.txt", L"予定表.csv", L"readme.txt", L"報告書.doc"}) {
        HANDLE h = ::CreateFileW((folder + L"\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
}

RECT WindowRect(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

int Fail(const char* what) {
    std::fprintf(stderr, "showcase: %s\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Fail("usage: showcase <file for the cascade's bounds>");
    MakeSampleFolder();
    HWND mainForm = nullptr;
    if (!WaitFor(60000, [&] { return (mainForm = ::FindWindowW(L"TMainForm", nullptr)) != nullptr; })) {
        return Fail("Quillbrook did not start");
    }
    ::Sleep(500);

    MoveMouse(POINT{160, 120});
    Key(VK_CONTROL, true);
    Key('E', true);
    Key('E', false);
    Key(VK_CONTROL, false);
    HWND top = nullptr;
    if (!WaitFor(10000, [&] { return (top = VisibleWindow(L"TTopMenuFiler")) != nullptr; })) {
        return Fail("the hotkey opened no top menu");
    }

    // Rest on each row in turn until the sample folder's submenu is open.
    RECT client{};
    ::GetClientRect(top, &client);
    ::MapWindowPoints(top, nullptr, reinterpret_cast<POINT*>(&client), 2);
    HWND sub = nullptr;
    for (LONG y = client.top + 4; y < client.bottom && !sub; y += 8) {
        MoveMouse(POINT{client.left + 40, y});
        WaitFor(600, [&] { return (sub = VisibleWindow(L"TSubFolderFiler", kSample)) != nullptr; });
    }
    if (!sub) return Fail("no submenu for the sample folder");
    // Rest on a file of the submenu (the fourth row: three folders come first), so that the picture shows
    // a highlight there too and no third window opens.
    RECT subClient{};
    ::GetClientRect(sub, &subClient);
    ::MapWindowPoints(sub, nullptr, reinterpret_cast<POINT*>(&subClient), 2);
    MoveMouse(POINT{subClient.left + 60, subClient.top + 60});
    ::Sleep(800);

    RECT both{};
    const RECT a = WindowRect(top);
    const RECT b = WindowRect(sub);
    ::UnionRect(&both, &a, &b);
    ::InflateRect(&both, 12, 12);
    both.left = std::max(both.left, 0L);
    both.top = std::max(both.top, 0L);
    FILE* out = _wfopen(argv[1], L"w");
    if (!out) return Fail("cannot write the bounds");
    std::fprintf(out, "%ld %ld %ld %ld\n", both.right - both.left, both.bottom - both.top, both.left, both.top);
    std::fclose(out);

    // The script deletes the file once it has the picture; then the program ends as from its tray menu.
    WaitFor(60000, [&] { return ::GetFileAttributesW(argv[1]) == INVALID_FILE_ATTRIBUTES; });
    ::PostMessageW(mainForm, WM_CLOSE, 0, 0);
    return 0;
}
