// Driving Quillbrook.exe from outside the way a user would: start it, find its windows, click, look.
#pragma once

#include "framework/UniqueAny.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace qbtest {

class ProgramProcess {
public:
    // Starts Quillbrook.exe with the given arguments (after the program name).
    explicit ProgramProcess(const std::wstring& arguments);
    // Starts another program (an installer, an uninstaller) the same way.
    ProgramProcess(const std::wstring& program, const std::wstring& arguments);
    ~ProgramProcess();  // ends the process if it is still running

    bool Started() const noexcept { return static_cast<bool>(process_); }
    DWORD Id() const noexcept { return id_; }
    // Waits (pumping this thread's messages) for the process to end; its exit code, or nothing.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout);
    bool Running() const noexcept;
    // A visible or hidden top-level window of this process with the given class (and caption, when given).
    HWND FindWindowOf(const wchar_t* className, const wchar_t* caption = nullptr) const;
    // Waits (pumping this thread's messages) until a window of the class is up and visible, as a one-shot
    // start's menu once the program has listed its folder; the window, or null.
    HWND WaitForVisibleWindow(const wchar_t* className,
                              std::chrono::milliseconds timeout = std::chrono::seconds(15)) const;
    // Ends the program as its Exit does (its main form closes) and waits for it; its exit code, or nothing.
    std::optional<DWORD> Close(std::chrono::milliseconds timeout = std::chrono::seconds(15));
    // Its visible top-level windows of a class, in z order.
    std::vector<HWND> VisibleWindows(const wchar_t* className) const;
    // All its top-level windows of a class, hidden ones included.
    std::vector<HWND> AllWindows(const wchar_t* className) const;
    // How many threads it runs now (a Toolhelp snapshot), or -1.
    int ThreadCount() const;
    // Its hidden utility windows (the tray icon's is one of them).
    std::vector<HWND> UtilityWindows() const;
    // What the shell sends when the user presses the left button on the program's tray icon (posted to
    // every utility window of the program: only the tray's answers).
    void ClickTrayIcon() const;

private:
    fw::unique_handle process_;
    DWORD id_ = 0;
};

// What a user does to leave a program: a window of another program (this test program) comes to the
// front. The window stays up for the life of the object.
class OtherProgramWindow {
public:
    OtherProgramWindow();
    ~OtherProgramWindow();
    OtherProgramWindow(const OtherProgramWindow&) = delete;
    OtherProgramWindow& operator=(const OtherProgramWindow&) = delete;
    // Brings the window to the front; true once it is the foreground window.
    bool Activate();
    HWND Handle() const noexcept { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// Waits until `window` is the foreground window, asking for it once a while; true when it is.
bool BringToFront(HWND window, std::chrono::milliseconds timeout);

// Text of a window (GetWindowText through WM_GETTEXT, so it works across processes).
std::wstring WindowText(HWND hwnd);
// The child of `parent` with the given class whose text is not empty, in z order; null if none.
HWND FindChild(HWND parent, const wchar_t* className, const wchar_t* text = nullptr);
// A window's client rectangle in screen coordinates (under Wine a menu window's caption is drawn above it).
RECT ClientOnScreen(HWND window);
// A real left click at a screen point (cursor move, button down, button up).
void ClickAt(POINT screen);
// Saves what the screen shows inside `rect` as a 24-bit BMP file; true on success.
bool SaveScreenshot(const RECT& rect, const std::wstring& path);

}  // namespace qbtest
