// Early returns for chains of COM calls, named as in wil (which does not build with MinGW):
//
//   RETURN_IF_FAILED(SHGetDesktopFolder(desktop.put()));    // returns the failure code
//   RETURN_HR_IF_NULL(E_OUTOFMEMORY, list.get());          // returns E_OUTOFMEMORY on null
//
// The expression is evaluated once; success codes such as S_FALSE go on.
#pragma once

#include <windows.h>

#define RETURN_IF_FAILED(expr)                    \
    do {                                          \
        const HRESULT returnIfFailedHr_ = (expr); \
        if (FAILED(returnIfFailedHr_)) {          \
            return returnIfFailedHr_;             \
        }                                         \
    } while (false)

#define RETURN_HR_IF_NULL(hr, ptr) \
    do {                           \
        if ((ptr) == nullptr) {    \
            return (hr);           \
        }                          \
    } while (false)
