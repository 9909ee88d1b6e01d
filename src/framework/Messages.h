// Private window messages of the framework. They sit in the WM_APP range, clear of the WM_USER range
// that programs use for their own messages.
#pragma once

#include <windows.h>

namespace fw {

constexpr UINT CM_RELEASE = WM_APP + 0x101;     // a form frees itself when this arrives
constexpr UINT CM_ACTIVATE = WM_APP + 0x102;    // posted to the application window after activation
constexpr UINT CM_DEACTIVATE = WM_APP + 0x103;  // posted to the application window after deactivation

}  // namespace fw
