// Process entry. Around the main function: OLE and the shell allocator live for the whole process, the
// settings record is loaded before the main function and stored after it, and the application object
// (with the main form, its hotkey and its tray icon) is freed after the settings are stored. Then the
// single-instance mutex goes, and only then does the end wait for shell work still running on threads
// of ours: a copy started meanwhile is not turned away by one that has nothing left to show.
#include "settings/DataConserver.h"
#include "app/ProcessReference.h"
#include "app/QuillbrookMain.h"
#include "framework/Application.h"
#include "framework/Exception.h"
#include "shell/CoInitialize.h"

#include <windows.h>

#include <memory>
#include <optional>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    try {
        TCoInitialize ole;
        // Outlives the application: the end waits for shell work still running on threads of ours.
        TProcessReference processReference;
        auto app = std::make_unique<fw::Application>(instance);
        {
            TDataConserver settings;
            DataConserver = &settings;
            QuillbrookMain(commandLine ? commandLine : L"");
            DataConserver = nullptr;
        }
        app.reset();
        ReleaseInstance();
    } catch (const fw::Exception& e) {
        ::MessageBoxW(nullptr, e.Message().c_str(), L"Quillbrook", MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Nothing sensible is left to report to.
    }
    return 0;
}
