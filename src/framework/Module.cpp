#include "framework/Module.h"

#include "framework/Application.h"

namespace fw {

HINSTANCE ModuleHandle() noexcept {
    if (Application* app = App()) return app->ModuleInstance();
    return ::GetModuleHandleW(nullptr);
}

}  // namespace fw
