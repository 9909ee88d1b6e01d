#include "framework/Application.h"

#include "framework/Form.h"
#include "framework/Messages.h"
#include "framework/Module.h"
#include "framework/TextConv.h"

#include <shellapi.h>

#include <cwchar>

namespace fw {

Application* Application::instance_ = nullptr;

namespace {
constexpr wchar_t kAppWindowClass[] = L"TApplication";
}

Application::Application(HINSTANCE instance) : Component(nullptr), WindowHandler(this), module_(instance) {
    instance_ = this;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.hInstance = module_;
    wc.hIcon = ::LoadIconW(module_, L"MAINICON");
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kAppWindowClass;
    RegisterWindowClass(wc);
    // A zero-sized top-level popup: it never shows, but owns every form window and message box.
    CreateBoundWindow(0, kAppWindowClass, title_.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0,
                      nullptr);
}

Application::~Application() {
    BeginDestroy();
    DestroyComponents();
    mainForm_ = nullptr;
    DestroyBoundWindow();
    if (instance_ == this) instance_ = nullptr;
}

void Application::HideWindow() noexcept {
    if (Handle()) ::ShowWindow(Handle(), SW_HIDE);
}

void Application::SetTitle(const std::wstring& title) {
    title_ = title;
    if (Handle()) ::SetWindowTextW(Handle(), title_.c_str());
}

void Application::Run() {
    if (ShowMainForm && mainForm_) mainForm_->Show();
    while (!terminated_) {
        if (!HandleMessage()) ::WaitMessage();
    }
}

bool Application::HandleMessage() {
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return true;
}

void Application::Terminate() noexcept {
    if (terminated_) return;
    ::PostQuitMessage(0);
}

void Application::ProcessMessages() {
    while (HandleMessage()) {
    }
}

void Application::HandleException(const std::exception& e) noexcept {
    try {
        if (OnException) {
            OnException(e);
            return;
        }
    } catch (...) {
        // The handler itself failed: fall back to the standard display below.
    }
    ShowException(e);
}

void Application::HandleCurrentException() noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        HandleException(Exception(L"Unknown exception", S_OK));
    }
}

void Application::ShowException(const std::exception& e) noexcept {
    try {
        std::wstring text;
        HRESULT code = S_OK;
        if (auto* fe = dynamic_cast<const Exception*>(&e)) {
            text = fe->Message();
            code = fe->Code();
        } else {
            text = Utf8ToWide(e.what());
        }
        if (!text.empty() && text.back() > L'.') text += L'.';
        // What the system says about the code, and the code itself for whoever looks it up.
        if (FAILED(code)) {
            wchar_t hex[16];
            ::swprintf(hex, 16, L"0x%08lX", static_cast<unsigned long>(code));
            const std::wstring description = ErrorDescription(code);
            text += L"\n\n" + (description.empty() ? std::wstring() : description + L" ") + L"(" + hex + L")";
        }
        ::MessageBoxW(Handle(), text.c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Out of memory while reporting: nothing more can be shown.
    }
}

int Application::MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags) {
    return ::MessageBoxW(Handle(), text.c_str(), caption.c_str(), flags);
}

namespace {

std::wstring ProgramFolder() {
    const std::wstring path = ProgramFilePath();
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring Application::HelpDocument() const {
    if (helpFile_.empty()) return {};
    std::wstring name = helpFile_;
    if (name.find_first_of(L"\\/:") == std::wstring::npos) name = ProgramFolder() + name;
    const auto dot = name.find_last_of(L'.');
    const auto slash = name.find_last_of(L"\\/");
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) name.resize(dot);
    return name + L".html";
}

std::wstring Application::HelpDocumentAddress(int context) const {
    std::wstring address = L"file:///" + HelpDocument();
    for (auto& c : address) {
        if (c == L'\\') c = L'/';
    }
    return address + L"#context-" + std::to_wstring(context);
}

bool Application::HelpContext(int context) {
    std::wstring helpFile = helpFile_;
    if (helpFile.find_first_of(L"\\/:") == std::wstring::npos) helpFile = ProgramFolder() + helpFile;
    wchar_t windows[MAX_PATH] = {};
    const UINT n = ::GetWindowsDirectoryW(windows, MAX_PATH);
    const bool viewer = n > 0 && n < MAX_PATH && FileExists(std::wstring(windows) + L"\\winhlp32.exe");
    if (viewer && FileExists(helpFile) &&
        ::WinHelpW(Handle(), helpFile.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(context))) {
        return true;
    }
    if (!FileExists(HelpDocument())) return false;
    // The section for the context comes first in the document, so a browser that drops the address's
    // fragment still opens it there.
    const std::wstring address = HelpDocumentAddress(context);
    return reinterpret_cast<INT_PTR>(
               ::ShellExecuteW(Handle(), L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

void Application::BringLastActivePopupToFront() {
    if (!Handle()) return;
    HWND popup = ::GetLastActivePopup(Handle());
    if (popup && popup != Handle() && ::IsWindowVisible(popup) && ::IsWindowEnabled(popup)) {
        ::SetForegroundWindow(popup);
    }
}

void Application::ActivateAppChanged(bool active) noexcept {
    if (active == active_) return;
    active_ = active;
    // The event is posted, so that it runs after the new state is recorded; a handler that finds the
    // program active again by then knows the switch was only passing.
    if (Handle()) ::PostMessageW(Handle(), active ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0);
}

void Application::FormDestroyed(Form* form) noexcept {
    if (form == mainForm_) mainForm_ = nullptr;
}

LRESULT Application::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ACTIVATEAPP:
            ActivateAppChanged(wParam != FALSE);
            return 0;
        case CM_ACTIVATE:
            if (OnActivate) OnActivate();
            return 0;
        case CM_DEACTIVATE:
            if (OnDeactivate) OnDeactivate();
            return 0;
        case WM_CLOSE:
            // Closing the hidden application window closes the main form.
            if (mainForm_) mainForm_->Close();
            return 0;
        default:
            return DefaultHandler(msg, wParam, lParam);
    }
}

}  // namespace fw
