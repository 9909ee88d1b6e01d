// The application object: one per process. It owns the forms (as components), keeps a hidden
// top-level window (made with the object, so that even the first message box has an owner) that owns
// every form window and serves as owner for shell calls and message boxes, runs the message loop until
// the main form closes, and raises OnDeactivate when the program loses activation to another program.
#pragma once

#include "framework/Component.h"
#include "framework/Exception.h"
#include "framework/WindowHandler.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <utility>

namespace fw {

class Form;

class Application : public Component, public WindowHandler {
public:
    explicit Application(HINSTANCE instance);
    ~Application() override;

    // The one application object, or null before it exists and after it is gone.
    static Application* Instance() noexcept { return instance_; }

    // The hidden application window exists from construction; this is kept for the start-up sequence.
    void Initialize() noexcept {}
    using WindowHandler::Handle;
    // The hidden application window never shows; this makes sure of it.
    void HideWindow() noexcept;
    HINSTANCE ModuleInstance() const noexcept { return module_; }

    const std::wstring& Title() const noexcept { return title_; }
    void SetTitle(const std::wstring& title);
    const std::wstring& HelpFile() const noexcept { return helpFile_; }
    void SetHelpFile(const std::wstring& file) { helpFile_ = file; }
    // Shows help for a context of the help file. The old help viewer is no longer part of Windows: where
    // it or the help file is missing, a document of the same name ending in .html beside the program is
    // opened at the section for the context (id "context-N"). False when neither can be shown.
    bool HelpContext(int context);
    // The document HelpContext opens when the old viewer cannot: its full path, and the address with the
    // context's section.
    std::wstring HelpDocument() const;
    std::wstring HelpDocumentAddress(int context) const;
    bool ShowMainForm = true;

    // Creates a form owned by the application; the first one becomes the main form. The form's own
    // constructor is its create event, so it runs inside this call.
    template <class T, class... Args>
    T* CreateForm(Args&&... args) {
        T* form = new T(this, std::forward<Args>(args)...);
        if (!mainForm_) mainForm_ = form;
        return form;
    }
    Form* MainForm() const noexcept { return mainForm_; }

    // Runs the message loop until Terminate (closing the main form terminates).
    void Run();
    void Terminate() noexcept;
    bool Terminated() const noexcept { return terminated_; }
    // Handles every message already waiting, then returns.
    void ProcessMessages();

    // Whether one of the program's windows is active (recorded from WM_ACTIVATEAPP).
    bool Active() const noexcept { return active_; }
    std::function<void()> OnActivate;
    std::function<void()> OnDeactivate;

    // Exception display: OnException when set, else the standard display (ShowException).
    std::function<void(const std::exception&)> OnException;
    void HandleException(const std::exception& e) noexcept;
    void HandleCurrentException() noexcept;  // call inside a catch block
    // The standard display: a stop box with the message (ending in a period), then for an fw::Exception
    // that carries an error code the system's description of the code and the code in hexadecimal; the
    // title is the caption.
    void ShowException(const std::exception& e) noexcept;

    // A message box owned by the application window.
    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);

    // Brings the application's last active popup to the foreground when it is visible and enabled.
    void BringLastActivePopupToFront();

    // Called by every form and by the application window on WM_ACTIVATEAPP.
    void ActivateAppChanged(bool active) noexcept;
    // Called by a form when it is freed.
    void FormDestroyed(Form* form) noexcept;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool HandleMessage();

    static Application* instance_;
    HINSTANCE module_;
    std::wstring title_;
    std::wstring helpFile_;
    Form* mainForm_ = nullptr;
    bool terminated_ = false;
    bool active_ = false;
};

// Shorthand for the one application object (null when there is none).
inline Application* App() noexcept {
    return Application::Instance();
}

}  // namespace fw
