#include "framework/TextConv.h"

#include <algorithm>
#include <climits>

namespace fw {

std::wstring MultiByteToWide(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string WideToMultiByte(std::wstring_view text, UINT codePage) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                          nullptr);
    return out;
}

std::wstring ToLowerLocale(std::wstring_view text) {
    if (text.empty()) return {};
    const int len = static_cast<int>(text.size());
    const int n = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_LOWERCASE, text.data(), len, nullptr, 0,
                                  nullptr, nullptr, 0);
    if (n <= 0) return std::wstring(text);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_LOWERCASE, text.data(), len, out.data(), n, nullptr,
                    nullptr, 0);
    return out;
}

std::wstring WindowText(HWND hwnd) {
    if (!hwnd) return {};
    const int n = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

bool TryParseInt32(std::wstring_view text, int& out) noexcept {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    if (i == text.size()) return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return false;
    out = static_cast<int>(value);
    return true;
}

std::wstring FoldForSearch(std::wstring_view text) {
    // Plain ASCII needs only lower case: most file names are, and a tree walk folds every one of them.
    if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; })) {
        std::wstring lower(text);
        for (wchar_t& c : lower) {
            if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        }
        return lower;
    }
    // Names mix half- and full-width letters, and hiragana and katakana.
    constexpr DWORD kWidthAndKana = LCMAP_FULLWIDTH | LCMAP_HIRAGANA;
    std::wstring folded(text);
    const int length = static_cast<int>(text.size());
    const int needed = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kWidthAndKana, folded.c_str(), length,
                                       nullptr, 0, nullptr, nullptr, 0);
    if (needed > 0) {
        std::wstring mapped(static_cast<size_t>(needed), L'\0');
        const int made = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kWidthAndKana, folded.c_str(), length,
                                         mapped.data(), needed, nullptr, nullptr, 0);
        if (made > 0) {
            mapped.resize(static_cast<size_t>(made));
            folded.swap(mapped);
        }
    }
    // Full-width Latin letters, digits and signs go back to plain ASCII, as a pure ASCII text stays.
    for (wchar_t& c : folded) {
        if (c >= 0xFF01 && c <= 0xFF5E) c = static_cast<wchar_t>(c - 0xFEE0);
        if (c == 0x3000) c = L' ';
    }
    ::CharLowerBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    return folded;
}

}  // namespace fw
