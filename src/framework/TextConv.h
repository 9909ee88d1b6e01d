// Text conversions. The program works in UTF-16 throughout; these exist for the few places where the
// platform hands out narrow text (shell STRRET replies) or a test needs UTF-8.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace fw {

std::wstring MultiByteToWide(std::string_view text, UINT codePage);
std::string WideToMultiByte(std::wstring_view text, UINT codePage);
inline std::wstring AnsiToWide(std::string_view text) {
    return MultiByteToWide(text, CP_ACP);
}
inline std::wstring Utf8ToWide(std::string_view text) {
    return MultiByteToWide(text, CP_UTF8);
}
inline std::string WideToUtf8(std::wstring_view text) {
    return WideToMultiByte(text, CP_UTF8);
}

// Locale-aware lower-casing of the whole text (LCMapStringEx with the user's locale).
std::wstring ToLowerLocale(std::wstring_view text);

// The text as names are compared when searched: lower case, full width and hiragana, so that case, width
// and kana type do not count ("ﾌｧｲﾙ", "ファイル" and "ふぁいる" fold alike).
std::wstring FoldForSearch(std::wstring_view text);

// A window's text (empty for a null or vanished window).
std::wstring WindowText(HWND hwnd);

// Signed decimal integer as the program's settings and command line accept it: optional sign and digits
// only, no blanks, within 32 bits. Returns false (and leaves `out` alone) for anything else.
bool TryParseInt32(std::wstring_view text, int& out) noexcept;

}  // namespace fw
