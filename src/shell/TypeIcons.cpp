#include "shell/TypeIcons.h"

#include <shellapi.h>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Kind {
    std::wstring extension;  // with its dot, in lower case; empty for names without one
    std::optional<TTypeIcons::Icon> icon;
};

// Kind 0 is kNoName; kind 1 is the name without an extension.
struct Kinds {
    std::vector<Kind> kinds{Kind{}, Kind{}};
    std::unordered_map<std::wstring, uint32_t> byExtension{{std::wstring(), 1u}};
};

Kinds& TheKinds() {
    static Kinds kinds;
    return kinds;
}

TTypeIcons::Icon AskShell(const std::wstring& name, DWORD attributes) {
    SHFILEINFOW info{};
    const DWORD_PTR list = ::SHGetFileInfoW(name.c_str(), attributes, &info, sizeof(info),
                                            SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    if (!list) return {};
    return TTypeIcons::Icon{reinterpret_cast<HIMAGELIST>(list), info.iIcon};
}

}  // namespace

uint32_t TTypeIcons::KindOf(std::wstring_view name) {
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos || name.size() - dot > kLongestExtension) return 1;
    std::wstring extension(name.substr(dot));
    ::CharLowerBuffW(extension.data(), static_cast<DWORD>(extension.size()));
    Kinds& all = TheKinds();
    if (const auto found = all.byExtension.find(extension); found != all.byExtension.end())
        return found->second;
    // A folder of numbered files (log.1, log.2, ...) would otherwise keep one kind per file.
    if (all.kinds.size() >= kKindLimit) return 1;
    const auto kind = static_cast<uint32_t>(all.kinds.size());
    all.kinds.push_back(Kind{extension, std::nullopt});
    all.byExtension.emplace(std::move(extension), kind);
    return kind;
}

TTypeIcons::Icon TTypeIcons::FileIcon(uint32_t kind) {
    Kinds& all = TheKinds();
    Kind& k = all.kinds[kind < all.kinds.size() && kind != kNoName ? kind : 1];
    // The shell reads the type's icon from the registry once; a failure is not asked again either.
    if (!k.icon) k.icon = AskShell(L"file" + k.extension, FILE_ATTRIBUTE_NORMAL);
    return *k.icon;
}

TTypeIcons::Icon TTypeIcons::FolderIcon() {
    static const Icon folder = AskShell(L"folder", FILE_ATTRIBUTE_DIRECTORY);
    return folder;
}
