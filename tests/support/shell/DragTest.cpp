#include "support/shell/DragTest.h"

#include "support/Input.h"
#include "support/TestSupport.h"

#include <shlobj.h>
#include <shellapi.h>

namespace dragtest {

std::vector<std::wstring> DroppedFiles(IDataObject& data) {
    std::vector<std::wstring> files;
    const Medium medium(data, CF_HDROP);
    if (!medium.Global()) return files;
    auto drop = static_cast<HDROP>(::GlobalLock(medium.Global()));
    if (!drop) return files;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(::DragQueryFileW(drop, i, nullptr, 0), L'\0');
        ::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
        files.push_back(path);
    }
    ::GlobalUnlock(medium.Global());
    return files;
}

std::vector<std::wstring> ShellIdListPaths(IDataObject& data) {
    std::vector<std::wstring> paths;
    const Medium medium(data, static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(CFSTR_SHELLIDLIST)));
    if (!medium.Global()) return paths;
    const auto* cida = static_cast<const CIDA*>(::GlobalLock(medium.Global()));
    if (!cida) return paths;
    const auto* base = reinterpret_cast<const BYTE*>(cida);
    const auto folder = reinterpret_cast<PCUIDLIST_ABSOLUTE>(base + cida->aoffset[0]);
    for (UINT i = 1; i <= cida->cidl; ++i) {
        const auto item = reinterpret_cast<PCUIDLIST_RELATIVE>(base + cida->aoffset[i]);
        const unique_absolute_idlist absolute = ConcatIdLists(folder, item);
        wchar_t path[MAX_PATH] = L"";
        ::SHGetPathFromIDListW(absolute.get(), path);
        paths.push_back(path);
    }
    ::GlobalUnlock(medium.Global());
    return paths;
}

TargetWindow::TargetWindow(const RECT& bounds, IDropTarget* target) {
    static const ATOM kClass = [] {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = &::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = L"QbTestDropTarget";
        return ::RegisterClassExW(&wc);
    }();
    hwnd_ = ::CreateWindowExW(WS_EX_TOPMOST, MAKEINTATOM(kClass), L"", WS_POPUP | WS_BORDER | WS_VISIBLE,
                              bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                              nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    registered_ = hwnd_ && target && SUCCEEDED(::RegisterDragDrop(hwnd_, target));
    ::UpdateWindow(hwnd_);
}

bool DragDriver::Dragging(DWORD thread) const {
    GUITHREADINFO info{sizeof(info)};
    if (!::GetGUIThreadInfo(thread, &info)) return false;
    return info.hwndCapture && info.hwndCapture != source_;
}
bool DragDriver::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}
void DragDriver::Drive(DWORD dragging) {
    POINT from{};
    ::GetCursorPos(&from);
    // More than 5 pixels from the press starts the drag.
    qbtest::MoveMouseTo(POINT{from.x + 8, from.y + 6});
    began_ = WaitFor([&] { return Dragging(dragging); }, 3s);
    constexpr int kSteps = 6;
    for (int i = 1; i <= kSteps; ++i) {
        qbtest::MoveMouseTo(
            POINT{from.x + (to_.x - from.x) * i / kSteps, from.y + (to_.y - from.y) * i / kSteps});
        std::this_thread::sleep_for(40ms);
    }
    // A few moves over the target: DragOver while the drag rests there.
    for (int i = 0; i < 4; ++i) {
        qbtest::MoveMouseTo(POINT{to_.x + (i % 2), to_.y});
        std::this_thread::sleep_for(60ms);
    }
    if (ending_ == Ending::Escape) {
        qbtest::TapKey(VK_ESCAPE);
        WaitFor([&] { return !Dragging(dragging); }, 5s);
    }
    qbtest::ReleaseLeft();
    ended_ = WaitFor([&] { return !Dragging(dragging); }, 5s);
    if (!ended_) {
        // A drag that missed its ending must still end, or the test would hang in its loop.
        qbtest::TapKey(VK_ESCAPE);
        qbtest::ReleaseLeft();
    }
    done_ = true;
}

}  // namespace dragtest
