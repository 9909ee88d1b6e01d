#include "framework/Exception.h"

namespace fw {

std::wstring ErrorDescription(HRESULT code) {
    // Codes that wrap a system error are described by that error's text.
    const DWORD id = HRESULT_FACILITY(code) == FACILITY_WIN32 ? HRESULT_CODE(code) : static_cast<DWORD>(code);
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        id, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring description = n && text ? std::wstring(text, n) : std::wstring();
    if (text) ::LocalFree(text);
    while (!description.empty() &&
           (description.back() == L'\n' || description.back() == L'\r' || description.back() == L' ')) {
        description.pop_back();
    }
    return description;
}

}  // namespace fw
