// Entry point of every test program: OLE and the application object exist for the whole run, as they
// do in the program, and exceptions that reach the exception display are recorded instead of shown. The
// process is per-monitor DPI aware, as the program's manifest makes the program.
#include "support/TestSupport.h"

#include "framework/Dpi.h"
#include "framework/Exception.h"
#include "framework/TextConv.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <cstdint>
#include <cstdio>

namespace qbtest {

namespace {
std::wstring g_programPath;
}

std::vector<std::wstring>& ReportedExceptions() {
    static std::vector<std::wstring> list;
    return list;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(std::chrono::milliseconds time) {
    WaitUntil([] { return false; }, time);
}

const std::wstring& ProgramPath() {
    return g_programPath;
}

std::wstring OutputFolder() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = ::GetEnvironmentVariableW(L"QB_TEST_OUTPUT", buffer, MAX_PATH);
    std::wstring folder = (n > 0 && n < MAX_PATH) ? std::wstring(buffer, n) : std::wstring(L".\\test-output");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

}  // namespace qbtest

namespace {

// ctest passes Unix paths; under Wine the Unix root is drive Z:.
std::wstring ToWindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (auto& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

// A crash ends the test program at once with where it happened (module and offset, for addr2line) and the
// frames that led there: otherwise Wine starts its debugger and the run waits for ctest's time-out.
void PrintAddress(const char* label, const void* address) {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        static_cast<LPCWSTR>(address), &module);
    wchar_t name[MAX_PATH] = L"?";
    if (module) ::GetModuleFileNameW(module, name, MAX_PATH);
    const auto offset = reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(module);
    std::fprintf(stderr, "  %s %ls +0x%llx\n", label, name, static_cast<unsigned long long>(offset));
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    std::fprintf(stderr, "\nCRASH: exception 0x%08lx\n", static_cast<unsigned long>(record->ExceptionCode));
    PrintAddress("at", record->ExceptionAddress);
    void* frames[48];
    const USHORT count = ::RtlCaptureStackBackTrace(0, 48, frames, nullptr);
    for (USHORT i = 0; i < count; ++i) PrintAddress("frame", frames[i]);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ::SetUnhandledExceptionFilter(&ReportCrash);
    fw::RequestPerMonitorDpiAwareness();
    ::OleInitialize(nullptr);
    int result = 0;
    {
        fw::Application app(::GetModuleHandleW(nullptr));
        app.Initialize();
        app.SetTitle(L"Quillbrook");
        app.OnException = [](const std::exception& e) {
            if (auto* fe = dynamic_cast<const fw::Exception*>(&e)) {
                qbtest::ReportedExceptions().push_back(fe->Message());
            } else {
                qbtest::ReportedExceptions().push_back(fw::Utf8ToWide(e.what()));
            }
        };
        testing::InitGoogleTest(&argc, argv);
        if (argc > 1) qbtest::g_programPath = ToWindowsPath(argv[1]);
        result = RUN_ALL_TESTS();
    }
    ::OleUninitialize();
    return result;
}
