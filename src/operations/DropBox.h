// A push button that takes files dropped on it from the shell through the old WM_DROPFILES protocol, for a
// button that chooses a file and also takes one dragged onto it. Drops arrive only while DropAccept is set.
#pragma once

#include "framework/Buttons.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class TDropBox : public fw::Button {
public:
    TDropBox(fw::Component* owner, fw::Form& parent);

    // The full paths of the last drop that was read, in the drop's own order.
    std::vector<std::wstring> FileNames;
    int FileCount() const noexcept { return static_cast<int>(FileNames.size()); }
    // The path at `index`; empty when there is none.
    std::optional<std::wstring> FileName(int index) const;

    bool DropAccept() const noexcept { return dropAccept_; }
    void SetDropAccept(bool accept);

    // A drop was read into FileNames. Without a handler drops are ignored.
    std::function<void(TDropBox& sender)> OnDropFiles;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Takes over the drop handle (freed on every path) and reads it.
    void WMDropFiles(HDROP drop);
    bool dropAccept_ = false;
};
