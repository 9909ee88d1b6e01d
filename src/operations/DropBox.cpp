#include "operations/DropBox.h"

#include "framework/Exception.h"
#include "framework/UniqueAny.h"

#include <shellapi.h>

TDropBox::TDropBox(fw::Component* owner, fw::Form& parent) : fw::Button(owner, parent) {
    SetBounds(0, 0, 75, 25);
}

std::optional<std::wstring> TDropBox::FileName(int index) const {
    if (index < 0 || index >= FileCount()) return std::nullopt;
    return FileNames[static_cast<size_t>(index)];
}

void TDropBox::SetDropAccept(bool accept) {
    if (accept == dropAccept_) return;
    dropAccept_ = accept;
    if (Handle()) ::DragAcceptFiles(Handle(), accept ? TRUE : FALSE);
}

LRESULT TDropBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_DROPFILES) return fw::Button::WndProc(msg, wParam, lParam);
    WMDropFiles(reinterpret_cast<HDROP>(wParam));
    return 0;
}

void TDropBox::WMDropFiles(HDROP drop) {
    // The receiver owns the handle: it is finished however the reading ends, the exception's way included.
    fw::unique_hdrop owned(drop);
    // Nobody would hear of the drop: the previous one stays.
    if (!OnDropFiles) return;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::wstring> names;
    names.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(static_cast<size_t>(length) + 1, L'\0');
        const UINT copied = ::DragQueryFileW(drop, i, path.data(), length + 1);
        // A path cut short would name another file; only a complete drop replaces the previous one.
        if (copied != length) throw fw::Exception(L"Fail to get exact path name in TDropBox::WMDropFiles.");
        path.resize(length);
        names.push_back(std::move(path));
    }
    owned.reset();
    FileNames = std::move(names);
    OnDropFiles(*this);
}
