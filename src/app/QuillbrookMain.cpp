#include "app/QuillbrookMain.h"

#include "app/CommandLineParser.h"
#include "settings/DataConserver.h"
#include "app/MainForm.h"
#include "framework/Application.h"
#include "framework/UniqueAny.h"
#include "shell/AttributeCache.h"
#include "shell/ListOfItemIdList.h"

#include <windows.h>

#include <memory>

TCommandLineParser* CommandLineParser = nullptr;

namespace {

// The single-instance mutex: its name stays taken until ReleaseInstance, after the settings are stored.
fw::unique_mutex g_instanceMutex;

constexpr wchar_t kCaption[] = L"Quillbrook";
constexpr wchar_t kAlreadyRunning[] = L"Quillbrookはすでに起動しています。";
constexpr wchar_t kNoMutex[] = L"2重起動の防止ができません。\r\n2重に起動しないよう注意してください。";

int ShowMessage(const wchar_t* text) {
    if (fw::Application* app = fw::App()) return app->MessageBox(text, kCaption, MB_OK | MB_ICONINFORMATION);
    return ::MessageBoxW(nullptr, text, kCaption, MB_OK | MB_ICONINFORMATION);
}

}  // namespace

void ReleaseInstance() noexcept {
    g_instanceMutex.reset();
}

bool ResidentCopyRunning() noexcept {
    fw::unique_mutex running(::OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
    return static_cast<bool>(running) || ::GetLastError() == ERROR_ACCESS_DENIED;
}

int QuillbrookMain(const std::wstring& commandLine) {
    auto parser = std::make_unique<TCommandLineParser>(commandLine);
    CommandLineParser = parser.get();
    if (parser->HasOption() && DataConserver) DataConserver->NoSave = true;

    if (!parser->HasOption()) {
        // One step: creating the mutex tells whether it existed, so two copies started at the same moment
        // cannot both find it missing and both stay.
        g_instanceMutex.reset(::CreateMutexW(nullptr, FALSE, kInstanceMutexName));
        const DWORD created = ::GetLastError();
        // A copy in another security context makes the name exist without granting us access to it.
        if ((g_instanceMutex && created == ERROR_ALREADY_EXISTS) ||
            (!g_instanceMutex && created == ERROR_ACCESS_DENIED)) {
            g_instanceMutex.reset();
            ShowMessage(kAlreadyRunning);
            CommandLineParser = nullptr;
            return 0;
        }
        if (!g_instanceMutex) ShowMessage(kNoMutex);
        // The resident copy is the one that keeps the user's settings: each change is stored at once.
        if (DataConserver) DataConserver->SaveOnChange = true;
    }

    auto cache = std::make_unique<TListOfITEMIDLIST>();
    AttributeCache = cache.get();

    fw::Application* app = fw::App();
    try {
        app->Initialize();
        app->HideWindow();
        app->ShowMainForm = false;
        app->SetTitle(L"Quillbrook");
        app->SetHelpFile(L"QUILLBROOK.HLP");
        app->CreateForm<TMainForm>();
        if (DataConserver) DataConserver->WriteInstallFolder();
        app->Run();
    } catch (...) {
        app->HandleCurrentException();
    }

    CommandLineParser = nullptr;
    parser.reset();
    AttributeCache = nullptr;
    cache.reset();
    return 0;
}
