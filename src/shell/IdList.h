// Item identifier lists: the shell's ITEMIDLIST, a run of items each led by a 16-bit byte count (which
// counts itself), ended by a zero count. The empty list (the terminator alone) names the desktop.
//
// Three kinds, distinct types because the project builds with STRICT_TYPED_ITEMIDS: an absolute list starts
// at the desktop (PIDLIST_ABSOLUTE), a relative list starts at some folder (PIDLIST_RELATIVE), a child is one
// item of a folder (PITEMID_CHILD). Absolute lists and children are relative lists too, not the other way
// round. Each kind has its owner, freeing through the shell task allocator.
//
// These functions walk, cut, join and compare lists by the counts only; they never look inside an item.
// Every list they return is new and owned by the caller; they return null only when the allocator is out of
// memory. A null argument counts as the empty list.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <shtypes.h>

#include <memory>
#include <string>
#include <type_traits>

static_assert(!std::is_same_v<ITEMIDLIST_ABSOLUTE, ITEMID_CHILD>,
              "the kinds of item identifier list are told apart only with STRICT_TYPED_ITEMIDS");

struct IdListDeleter {
    void operator()(ITEMIDLIST* list) const noexcept { ::CoTaskMemFree(list); }
};
using unique_absolute_idlist = std::unique_ptr<ITEMIDLIST_ABSOLUTE, IdListDeleter>;
using unique_relative_idlist = std::unique_ptr<ITEMIDLIST_RELATIVE, IdListDeleter>;
using unique_child_idlist = std::unique_ptr<ITEMID_CHILD, IdListDeleter>;

// Takes ownership of a list the shell handed out (IPersistFolder2::GetCurFolder, IEnumIDList::Next, ...).
inline unique_absolute_idlist AdoptIdList(PIDLIST_ABSOLUTE list) noexcept {
    return unique_absolute_idlist(list);
}
inline unique_relative_idlist AdoptIdList(PIDLIST_RELATIVE list) noexcept {
    return unique_relative_idlist(list);
}
inline unique_child_idlist AdoptIdList(PITEMID_CHILD list) noexcept {
    return unique_child_idlist(list);
}

// Sum of the item byte counts, terminator excluded.
UINT IdListSize(PCUIDLIST_RELATIVE list) noexcept;
// Byte count of the last item; 0 for the empty list.
UINT LastItemSize(PCUIDLIST_RELATIVE list) noexcept;

// A copy of the same kind.
unique_absolute_idlist CopyIdList(PCUIDLIST_ABSOLUTE list) noexcept;
unique_relative_idlist CopyIdList(PCUIDLIST_RELATIVE list) noexcept;
unique_child_idlist CopyIdList(PCUITEMID_CHILD list) noexcept;
// The folder's items, then the item's: an item's absolute list from its folder's absolute list and its child
// item (or any list relative to that folder). A null or empty folder is the desktop.
unique_absolute_idlist ConcatIdLists(PCUIDLIST_ABSOLUTE folder, PCUIDLIST_RELATIVE item) noexcept;
// Returns the first item alone; `rest` receives the further items (the empty list when there are none).
unique_child_idlist SplitFirstItem(PCUIDLIST_RELATIVE list, unique_relative_idlist& rest) noexcept;
// The absolute list of the folder holding `list`'s last item: all items but the last (the empty list for a
// one-item or empty list).
unique_absolute_idlist ParentIdList(PCUIDLIST_ABSOLUTE list) noexcept;
// The last item alone (the empty list for the empty list).
unique_child_idlist LastItemOf(PCUIDLIST_RELATIVE list) noexcept;

// Equal sizes and equal item bytes. Two routes to one object (drive letter, network path) stay different.
bool IdListsEqual(PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) noexcept;

// A path or shell display name to an absolute list through the desktop folder; null on any failure.
unique_absolute_idlist ParseDisplayPath(const std::wstring& text);

// The text of a GetDisplayNameOf reply. `relative` is the item the reply belongs to: an offset reply reads
// its text from inside it, so it must still be alive. A UTF-16 reply is consumed: its buffer is freed here,
// and the reply must not be used again.
std::wstring StrRetToString(const STRRET& reply, PCUITEMID_CHILD relative);
