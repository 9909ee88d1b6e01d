#include "app/CommandLineParser.h"

#include "framework/TextConv.h"

#include <vector>

namespace {

// Blanks outside double quotes separate items; quotes stay in the items. Two blanks in a row give an
// empty item between them, a trailing blank gives none. Line breaks inside the text separate too.
std::vector<std::wstring> SplitItems(const std::wstring& text) {
    std::wstring copy = text;
    bool inQuotes = false;
    for (auto& c : copy) {
        if (inQuotes) {
            if (c == L'"') inQuotes = false;
        } else if (c == L' ') {
            c = L'\n';
        } else if (c == L'"') {
            inQuotes = true;
        }
    }
    std::vector<std::wstring> items;
    size_t start = 0;
    while (start < copy.size()) {
        size_t end = copy.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            items.push_back(copy.substr(start));
            break;
        }
        items.push_back(copy.substr(start, end - start));
        // CR LF counts as one break.
        start = (copy[end] == L'\r' && end + 1 < copy.size() && copy[end + 1] == L'\n') ? end + 2 : end + 1;
    }
    return items;
}

}  // namespace

TCommandLineParser::TCommandLineParser(const std::wstring& text) {
    CommandLine = fw::ToLowerLocale(text);
    if (CommandLine.empty()) return;

    // The options are matched without regard to case; the path goes on as typed (a case-sensitive folder
    // may hold both "Upper" and "upper").
    const std::vector<std::wstring> items = SplitItems(text);
    const std::wstring first = items.empty() ? std::wstring() : fw::ToLowerLocale(items[0]);
    size_t start = 0;
    if (first == L"-t") {
        ShowRoot = true;
        start = 1;
    } else if (first == L"-m") {
        start = 1;
    } else if (first == L"-d" && items.size() >= 2) {
        start = 2;
        FolderPath = items[1];
        if (!FolderPath.empty() && FolderPath.front() == L'"') FolderPath.erase(0, 1);
        if (!FolderPath.empty() && FolderPath.back() == L'"') FolderPath.pop_back();
    } else {
        CommandLine.clear();
        return;
    }

    if (start < items.size()) {
        if (fw::TryParseInt32(items[start], X)) {
            HasPosition = true;
        } else {
            X = 0;
        }
    }
    if (start + 1 < items.size()) {
        if (fw::TryParseInt32(items[start + 1], Y)) {
            HasPosition = true;
        } else {
            Y = 0;
        }
    }
}
