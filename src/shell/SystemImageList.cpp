#include "shell/SystemImageList.h"

#include "framework/ComPtr.h"

#include <shellapi.h>

#include <algorithm>
#include <array>

namespace {

// IID_IImageList, declared by headers and libraries that not every tool chain has.
constexpr GUID kImageListInterface{
    0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};

struct SizedList {
    fw::ComPtr<IUnknown> list;  // an IImageList, which is also its HIMAGELIST
    int size = 0;
    HIMAGELIST Handle() const noexcept { return reinterpret_cast<HIMAGELIST>(list.get()); }
};

// Small (the caption's size), large (the desktop's) and extra large, smallest first.
std::array<SizedList, 3> LoadLists() noexcept {
    std::array<SizedList, 3> lists;
    const int kinds[] = {SHIL_SMALL, SHIL_LARGE, SHIL_EXTRALARGE};
    for (size_t i = 0; i < lists.size(); ++i) {
        SizedList& entry = lists[i];
        if (FAILED(::SHGetImageList(kinds[i], kImageListInterface, entry.list.put_void())) || !entry.list) {
            entry.list.reset();
            continue;
        }
        int cx = 0;
        int cy = 0;
        if (::ImageList_GetIconSize(entry.Handle(), &cx, &cy)) entry.size = cx;
    }
    std::sort(lists.begin(), lists.end(),
              [](const SizedList& a, const SizedList& b) { return a.size < b.size; });
    return lists;
}

}  // namespace

HIMAGELIST SystemImageListFor(int size) noexcept {
    static const std::array<SizedList, 3> lists = LoadLists();
    HIMAGELIST largest = nullptr;
    for (const SizedList& entry : lists) {
        if (!entry.list || entry.size <= 0) continue;
        if (entry.size >= size) return entry.Handle();
        largest = entry.Handle();
    }
    return largest;
}
