// Process-wide OLE set-up: OLE (which drag and drop and the shell's drop targets need) and the process-wide
// allocator holder live from before the program's start-up code to after the application has ended.
#pragma once

#include "shell/Malloc.h"

#include <windows.h>

class TCoInitialize {
public:
    // Throws fw::Exception when there is no shell allocator (OLE is then uninitialised again).
    TCoInitialize();
    ~TCoInitialize();
    TCoInitialize(const TCoInitialize&) = delete;
    TCoInitialize& operator=(const TCoInitialize&) = delete;

    // The result of OleInitialize: S_OK, S_FALSE when this thread already had it, or a failure.
    HRESULT Result() const noexcept { return result_; }

private:
    HRESULT result_;
    TMalloc::Use malloc_;
};
