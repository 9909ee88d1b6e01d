// Icons by file type: the index in the system image lists that the shell gives a folder, or a file by the
// extension of its name, without looking at any item (SHGFI_USEFILEATTRIBUTES). They cost the same in any
// folder and touch no file system, so a row shows one at once, before its own icon is known.
//
// An entry keeps a kind (a small number for the extension of its name) rather than the name; each kind's
// icon is asked for once, when first shown. Used on the window thread only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string_view>

class TTypeIcons {
public:
    struct Icon {
        HIMAGELIST list = nullptr;  // the small system image list (borrowed); null when the shell gave none
        int index = 0;
    };

    // The kind of a file name: the same for names of one extension in any letter case. Never kNoName.
    // Extensions past the first kKindLimit seen, and absurdly long ones, share the kind of names
    // without an extension.
    static uint32_t KindOf(std::wstring_view name);
    // The icon of a file of that kind; kNoName gives the icon of a file of no known type.
    static Icon FileIcon(uint32_t kind);
    static Icon FolderIcon();

    static constexpr uint32_t kNoName = 0;
    static constexpr size_t kKindLimit = 1024;
    static constexpr size_t kLongestExtension = 32;
};
