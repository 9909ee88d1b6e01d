#include "framework/Screen.h"

namespace fw {

RECT WorkArea() noexcept {
    RECT r{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
        r = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    return r;
}

}  // namespace fw
