#include "framework/OpenDialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace fw {

namespace {

// Long paths: the most the wide file functions accept.
constexpr DWORD kPathBuffer = 32768;

// The dialog wants the pairs separated by nulls and the list ended by two.
std::wstring SystemFilter(const std::wstring& filter) {
    std::wstring result = filter;
    std::replace(result.begin(), result.end(), L'|', L'\0');
    result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}

const wchar_t* OrNull(const std::wstring& text) noexcept {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

OpenDialog::OpenDialog(Component* owner) : Component(owner) {}

bool OpenDialog::Execute(HWND owner) {
    // The dialog's loop is one of this component's handlers: a Free() from the queue only marks it.
    HandlerScope scope(this);
    const std::wstring filter = SystemFilter(Filter);
    std::vector<wchar_t> buffer(kPathBuffer, L'\0');
    const auto startWith = [&](const std::wstring& name) {
        std::fill(buffer.begin(), buffer.end(), L'\0');
        std::copy_n(name.begin(), std::min<size_t>(name.size(), kPathBuffer - 1), buffer.begin());
    };
    startWith(FileName);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kPathBuffer;
    ofn.lpstrInitialDir = OrNull(InitialDir);
    ofn.lpstrTitle = OrNull(Title);
    ofn.lpstrDefExt = OrNull(DefaultExt);
    // OFN_NOCHANGEDIR: the program's current folder is not the dialog's business. No OFN_FILEMUSTEXIST:
    // the caller checks the file when it loads it, and Wine tests for the file before it appends the
    // default extension, so it would refuse a name typed without one.
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING;

    BOOL chosen = ::GetOpenFileNameW(&ofn);
    if (!chosen && ::CommDlgExtendedError() == FNERR_INVALIDFILENAME && !Marked()) {
        // A stored name that is no valid file name must not keep the dialog from opening at all.
        startWith(std::wstring());
        chosen = ::GetOpenFileNameW(&ofn);
    }
    if (!chosen || Marked()) return false;
    FileName.assign(buffer.data());
    return true;
}

}  // namespace fw
