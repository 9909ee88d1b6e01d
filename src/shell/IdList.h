// Item identifier lists: the shell's ITEMIDLIST, a run of items each led by a 16-bit byte count (which
// counts itself), ended by a zero count. The empty list (the terminator alone) names the desktop.
//
// These functions walk, cut, join and compare lists by the counts only; they never look inside an item.
// Every list they return is new, allocated with the shell task allocator and owned by the caller through
// `unique_idlist`; they return null only when the allocator is out of memory. A null argument counts as the
// empty list.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <shtypes.h>

#include <memory>
#include <string>

struct IdListDeleter {
    void operator()(ITEMIDLIST* list) const noexcept { ::CoTaskMemFree(list); }
};
// The owner of a list allocated with the shell task allocator.
using unique_idlist = std::unique_ptr<ITEMIDLIST, IdListDeleter>;

// Takes ownership of a list the shell handed out (ParseDisplayName, IEnumIDList::Next, ...).
unique_idlist AdoptIdList(PIDLIST_RELATIVE list) noexcept;

// Sum of the item byte counts, terminator excluded.
UINT IdListSize(PCUIDLIST_RELATIVE list) noexcept;
// Byte count of the last item; 0 for the empty list.
UINT LastItemSize(PCUIDLIST_RELATIVE list) noexcept;

unique_idlist CopyIdList(PCUIDLIST_RELATIVE list) noexcept;
// a's items, then b's items: an item's absolute list from its folder's list and its relative list.
unique_idlist ConcatIdLists(PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) noexcept;
// Returns the first item alone; `rest` receives the further items (the empty list when there are none).
unique_idlist SplitFirstItem(PCUIDLIST_RELATIVE list, unique_idlist& rest) noexcept;
// All items but the last (the empty list for a one-item or empty list).
unique_idlist ParentIdList(PCUIDLIST_RELATIVE list) noexcept;
// The last item alone (the empty list for the empty list).
unique_idlist LastItemOf(PCUIDLIST_RELATIVE list) noexcept;

// Equal sizes and equal item bytes. Two routes to one object (drive letter, network path) stay different.
bool IdListsEqual(PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) noexcept;

// A path or shell display name to an absolute list through the desktop folder; null on any failure.
unique_idlist ParseDisplayPath(const std::wstring& text);

// The text of a GetDisplayNameOf reply. `relative` is the item the reply belongs to: an offset reply reads
// its text from inside it, so it must still be alive. A UTF-16 reply is consumed: its buffer is freed here,
// and the reply must not be used again.
std::wstring StrRetToString(const STRRET& reply, PCUITEMID_CHILD relative);
