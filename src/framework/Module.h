// The module whose resources and window classes the framework uses: the program's executable (or the test
// program that links the framework).
#pragma once

#include <windows.h>

namespace fw {

HINSTANCE ModuleHandle() noexcept;

}  // namespace fw
