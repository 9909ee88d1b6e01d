#include "framework/Module.h"

#include "framework/Application.h"

namespace fw {

HINSTANCE ModuleHandle() noexcept {
    if (Application* app = App()) return app->ModuleInstance();
    return ::GetModuleHandleW(nullptr);
}

std::wstring ProgramFilePath() {
    // A path longer than the buffer is cut to its size: read again in a larger one.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace fw
