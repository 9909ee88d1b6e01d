// What the screen offers the program's windows.
#pragma once

#include <windows.h>

namespace fw {

// The work area of the primary monitor: the desktop minus the task bar and other docked bars.
RECT WorkArea() noexcept;

}  // namespace fw
