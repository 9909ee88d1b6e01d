// The module whose resources and window classes the framework uses: the program's executable (or the test
// program that links the framework).
#pragma once

#include <windows.h>

#include <string>

namespace fw {

HINSTANCE ModuleHandle() noexcept;

// The full path of the running executable file, however long; empty when the system does not say.
std::wstring ProgramFilePath();

}  // namespace fw
