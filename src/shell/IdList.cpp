#include "shell/IdList.h"

#include "framework/Application.h"
#include "framework/ComPtr.h"
#include "framework/TextConv.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

namespace {

// Shell list pointers are declared UNALIGNED on some targets; a byte pointer is what the walk needs, and only
// a C-style cast drops that qualifier (the SDK's own ILNext and ILSkip do the same).
const BYTE* Bytes(PCUIDLIST_RELATIVE list) noexcept {
    return (const BYTE*)list;
}

// Counts are read with memcpy: items are not aligned to two bytes.
USHORT CountAt(const BYTE* p) noexcept {
    USHORT cb;
    std::memcpy(&cb, p, sizeof(cb));
    return cb;
}

constexpr UINT kTerminatorSize = sizeof(USHORT);

// A new list of kind `List` holding `first` then `second` (sizes in bytes, items only) and a terminator.
template <class List>
std::unique_ptr<List, IdListDeleter> MakeList(const BYTE* first, UINT firstSize, const BYTE* second = nullptr,
                                              UINT secondSize = 0) noexcept {
    auto* p = static_cast<BYTE*>(::CoTaskMemAlloc(firstSize + secondSize + kTerminatorSize));
    if (!p) return nullptr;
    if (firstSize) std::memcpy(p, first, firstSize);
    if (secondSize) std::memcpy(p + firstSize, second, secondSize);
    std::memset(p + firstSize + secondSize, 0, kTerminatorSize);
    return std::unique_ptr<List, IdListDeleter>(reinterpret_cast<List*>(p));
}

// Offset of the last item (0 for the empty list); its byte count goes to `lastSize`.
UINT LastItemOffset(const BYTE* p, UINT& lastSize) noexcept {
    UINT offset = 0;
    UINT last = 0;
    lastSize = 0;
    if (!p) return 0;
    for (USHORT cb; (cb = CountAt(p + offset)) != 0; offset += cb) {
        last = offset;
        lastSize = cb;
    }
    return last;
}

}  // namespace

UINT IdListSize(PCUIDLIST_RELATIVE list) noexcept {
    const BYTE* p = Bytes(list);
    if (!p) return 0;
    UINT size = 0;
    for (USHORT cb; (cb = CountAt(p + size)) != 0;) size += cb;
    return size;
}

UINT LastItemSize(PCUIDLIST_RELATIVE list) noexcept {
    UINT lastSize;
    LastItemOffset(Bytes(list), lastSize);
    return lastSize;
}

unique_absolute_idlist CopyIdList(PCUIDLIST_ABSOLUTE list) noexcept {
    return MakeList<ITEMIDLIST_ABSOLUTE>(Bytes(list), IdListSize(list));
}

unique_relative_idlist CopyIdList(PCUIDLIST_RELATIVE list) noexcept {
    return MakeList<ITEMIDLIST_RELATIVE>(Bytes(list), IdListSize(list));
}

unique_child_idlist CopyIdList(PCUITEMID_CHILD list) noexcept {
    return MakeList<ITEMID_CHILD>(Bytes(list), IdListSize(list));
}

unique_absolute_idlist ConcatIdLists(PCUIDLIST_ABSOLUTE folder, PCUIDLIST_RELATIVE item) noexcept {
    return MakeList<ITEMIDLIST_ABSOLUTE>(Bytes(folder), IdListSize(folder), Bytes(item), IdListSize(item));
}

unique_child_idlist SplitFirstItem(PCUIDLIST_RELATIVE list, unique_relative_idlist& rest) noexcept {
    const BYTE* p = Bytes(list);
    const UINT size = IdListSize(list);
    const UINT firstSize = size ? CountAt(p) : 0;
    rest = MakeList<ITEMIDLIST_RELATIVE>(p + firstSize, size - firstSize);
    unique_child_idlist first = MakeList<ITEMID_CHILD>(p, firstSize);
    if (!first || !rest) {
        rest.reset();
        return nullptr;
    }
    return first;
}

unique_absolute_idlist ParentIdList(PCUIDLIST_ABSOLUTE list) noexcept {
    UINT lastSize;
    return MakeList<ITEMIDLIST_ABSOLUTE>(Bytes(list), LastItemOffset(Bytes(list), lastSize));
}

unique_child_idlist LastItemOf(PCUIDLIST_RELATIVE list) noexcept {
    UINT lastSize;
    const UINT offset = LastItemOffset(Bytes(list), lastSize);
    return MakeList<ITEMID_CHILD>(Bytes(list) + offset, lastSize);
}

bool IdListsEqual(PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) noexcept {
    const UINT size = IdListSize(a);
    if (size != IdListSize(b)) return false;
    return size == 0 || std::memcmp(Bytes(a), Bytes(b), size) == 0;
}

unique_absolute_idlist ParseDisplayPath(const std::wstring& text) {
    fw::ComPtr<IShellFolder> desktop;
    if (FAILED(::SHGetDesktopFolder(desktop.put())) || !desktop)
        return nullptr;  // silent: the caller decides
    // ParseDisplayName takes a writable buffer.
    std::wstring buffer = text;
    const HWND owner = fw::App() ? fw::App()->Handle() : nullptr;
    PIDLIST_RELATIVE raw = nullptr;
    const HRESULT hr = desktop->ParseDisplayName(owner, nullptr, buffer.data(), nullptr, &raw, nullptr);
    // A list relative to the desktop is an absolute one. Owned even on failure, should a shell leave one
    // behind.
    unique_absolute_idlist list = AdoptIdList(static_cast<PIDLIST_ABSOLUTE>(raw));
    if (FAILED(hr)) return nullptr;
    return list;
}

std::wstring StrRetToString(const STRRET& reply, PCUITEMID_CHILD relative) {
    switch (reply.uType) {
        case STRRET_WSTR: {
            if (!reply.pOleStr) return {};
            std::wstring text(reply.pOleStr);
            ::CoTaskMemFree(reply.pOleStr);
            return text;
        }
        case STRRET_OFFSET: {
            if (!relative) return {};
            const char* start = reinterpret_cast<const char*>(Bytes(relative)) + reply.uOffset;
            return fw::AnsiToWide(start);
        }
        case STRRET_CSTR: {
            // Bounded by the reply's own buffer in case the text fills it without a zero.
            const char* end = std::find(std::begin(reply.cStr), std::end(reply.cStr), '\0');
            return fw::AnsiToWide(std::string_view(reply.cStr, static_cast<size_t>(end - reply.cStr)));
        }
        default:
            return {};
    }
}
