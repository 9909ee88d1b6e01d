// The drop handle that the shell hands a WM_DROPFILES window: a DROPFILES header followed by the wide
// paths, each ended by a null, and one more null at the end. The receiver frees it with DragFinish.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace qbtest {

inline HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const auto& p : paths) chars += p.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    if (!memory) return nullptr;
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(header + 1);
    for (const auto& p : paths) {
        std::memcpy(out, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
        out += p.size() + 1;
    }
    *out = L'\0';
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// Whether a drop handle has been freed: its memory is no longer a valid global block.
inline bool DropReleased(HDROP drop) {
    return ::GlobalSize(drop) == 0;
}

}  // namespace qbtest
