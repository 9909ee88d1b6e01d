#include "support/Process.h"

#include "support/TestSupport.h"

#include <tlhelp32.h>

#include <vector>

namespace qbtest {

ProgramProcess::ProgramProcess(const std::wstring& arguments) : ProgramProcess(ProgramPath(), arguments) {}

ProgramProcess::ProgramProcess(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi)) {
        return;
    }
    ::CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    id_ = pi.dwProcessId;
    ::WaitForInputIdle(pi.hProcess, 5000);
}

ProgramProcess::~ProgramProcess() {
    if (Running()) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 5000);
    }
}

bool ProgramProcess::Running() const noexcept {
    return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ProgramProcess::WaitForExit(std::chrono::milliseconds timeout) {
    if (!process_) return std::nullopt;
    if (!WaitUntil([this] { return !Running(); }, timeout)) return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

HWND ProgramProcess::WaitForVisibleWindow(const wchar_t* className, std::chrono::milliseconds timeout) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowOf(className)) && ::IsWindowVisible(found); }, timeout);
    return found && ::IsWindowVisible(found) ? found : nullptr;
}

std::optional<DWORD> ProgramProcess::Close(std::chrono::milliseconds timeout) {
    ::PostMessageW(FindWindowOf(L"TMainForm"), WM_CLOSE, 0, 0);
    return WaitForExit(timeout);
}

HWND ProgramProcess::FindWindowOf(const wchar_t* className, const wchar_t* caption) const {
    struct Search {
        DWORD pid;
        const wchar_t* className;
        const wchar_t* caption;
        HWND found;
    } search{id_, className, caption, nullptr};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (pid != s->pid) return TRUE;
            wchar_t cls[256];
            ::GetClassNameW(w, cls, 256);
            if (std::wstring(cls) != s->className) return TRUE;
            if (s->caption && WindowText(w) != s->caption) return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ProgramProcess::VisibleWindows(const wchar_t* className) const {
    std::vector<HWND> visible = AllWindows(className);
    std::erase_if(visible, [](HWND w) { return !::IsWindowVisible(w); });
    return visible;
}

std::vector<HWND> ProgramProcess::AllWindows(const wchar_t* className) const {
    struct Search {
        DWORD pid;
        const wchar_t* className;
        std::vector<HWND> found;
    } search{id_, className, {}};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            wchar_t cls[256];
            ::GetClassNameW(w, cls, 256);
            if (pid == s->pid && std::wstring(cls) == s->className) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int ProgramProcess::ThreadCount() const {
    fw::unique_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more;
         more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == id_) ++count;
    }
    return count;
}

std::vector<HWND> ProgramProcess::UtilityWindows() const {
    std::vector<HWND> all;
    for (HWND w = ::FindWindowExW(nullptr, nullptr, L"TPUtilWindow", nullptr); w;
         w = ::FindWindowExW(nullptr, w, L"TPUtilWindow", nullptr)) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        if (pid == id_) all.push_back(w);
    }
    return all;
}

void ProgramProcess::ClickTrayIcon() const {
    for (HWND w : UtilityWindows()) ::PostMessageW(w, WM_USER + 100, 0, WM_LBUTTONDOWN);
}

RECT ClientOnScreen(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

OtherProgramWindow::OtherProgramWindow() {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"QbTestOtherProgram";
    ::RegisterClassExW(&wc);
    hwnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"Another program", WS_OVERLAPPEDWINDOW, 700, 600, 300,
                              200, nullptr, nullptr, wc.hInstance, nullptr);
}

OtherProgramWindow::~OtherProgramWindow() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

bool OtherProgramWindow::Activate() {
    if (!hwnd_) return false;
    ::ShowWindow(hwnd_, SW_SHOW);
    return BringToFront(hwnd_, std::chrono::milliseconds(5000));
}

bool BringToFront(HWND window, std::chrono::milliseconds timeout) {
    return WaitUntil(
        [window] {
            if (::GetForegroundWindow() != window) ::SetForegroundWindow(window);
            return ::GetForegroundWindow() == window;
        },
        timeout);
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[1024] = {};
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                          nullptr);
    return buffer;
}

HWND FindChild(HWND parent, const wchar_t* className, const wchar_t* text) {
    for (HWND child = ::FindWindowExW(parent, nullptr, className, nullptr); child;
         child = ::FindWindowExW(parent, child, className, nullptr)) {
        const std::wstring t = WindowText(child);
        if (text ? t == text : !t.empty()) return child;
    }
    return nullptr;
}

void ClickAt(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    const int w = ::GetSystemMetrics(SM_CXSCREEN) - 1;
    const int h = ::GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT inputs[3] = {};
    for (auto& in : inputs) {
        in.type = INPUT_MOUSE;
        in.mi.dx = screen.x * 65535 / w;
        in.mi.dy = screen.y * 65535 / h;
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(3, inputs, sizeof(INPUT));
}

bool SaveScreenshot(const RECT& rect, const std::wstring& path) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + imageSize;
    bool ok = false;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ok = ::WriteFile(file, &fh, sizeof(fh), &written, nullptr) &&
             ::WriteFile(file, &bi.bmiHeader, sizeof(bi.bmiHeader), &written, nullptr) &&
             ::WriteFile(file, bits, imageSize, &written, nullptr);
        ::CloseHandle(file);
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace qbtest
