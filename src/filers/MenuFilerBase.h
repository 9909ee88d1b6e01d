// Filers: menu windows that fill themselves from the shell. TMenuFilerBase is their common base: it holds
// the window's copy of the ShowTriangle setting and, for as long as any filer window lives, a use of the
// shared allocator holder and of the shared folder watcher manager (made by the first filer window,
// destroyed with the last, which stops every watcher). It opens a folder entry's subfolder as the child
// window.
#pragma once

#include "popup/PopupBase.h"
#include "shell/FolderWatcher.h"
#include "shell/Malloc.h"

#include "framework/SharedInstance.h"

#include <optional>
#include <string>

class TFileObject;
class TSearchRow;
class TSubFolderFiler;

class TMenuFilerBase : public TPopupMenuBase {
public:
    // The program watches at most this many folders at a time.
    static constexpr int kWatchedFolders = 2;

    TMenuFilerBase(fw::Component* owner, bool showTriangle, fw::Component* adopter,
                   const fw::FormParams& params);
    ~TMenuFilerBase() override;

    // Opens the folder of `entry` (a folder entry of this window) as the child window, placed beside this
    // one and shown; null when no window could be made. One at a time: a request that comes while a folder
    // is being listed is opened after it instead (and returns null), the last such request winning.
    TPopupMenuBase* OpenSubFolder(TPopupButtonBase* entry) override;

    // Places a subfolder window of this one beside it, level with `entry` (null: where it is), and points
    // its folders' triangles to the side its own children will open to.
    void PlaceSubFolder(TSubFolderFiler* child, TPopupButtonBase* entry);

    bool ShowTriangle = false;

    // The shared watcher manager while any filer window lives, else null.
    static TFolderWatcherManager* Watchers() noexcept;

    // Search (Ctrl+F): a field at the top of the window; the rows whose caption contains what is typed
    // stay (case, width and kana type do not count), the first of them highlighted. Up and Down move among
    // them, Enter acts on the highlighted one; Escape closes the field and every row comes back.
    void OpenSearch();
    void CloseSearch();
    // The open search field's row, or null.
    TSearchRow* Search() const noexcept { return search_; }

protected:
    void KeyDown(WORD& key, fw::ShiftState shift) override;
    // The window's entries went (a refill): a request waiting for its turn is forgotten with them, and so
    // is the search row (a refill carries the search over: TakeSearch before, ResumeSearch after).
    void EntriesCleared() noexcept {
        pending_ = nullptr;
        search_ = nullptr;
    }
    struct CarriedSearch {
        std::wstring text;
        bool focused = false;
    };
    std::optional<CarriedSearch> TakeSearch() const;
    void ResumeSearch(const std::optional<CarriedSearch>& search);

private:
    TSubFolderFiler* MakeSubFolder(TFileObject& entry);
    void ShowSubFolder(TSubFolderFiler* child, TPopupButtonBase* entry);

    // Filters the rows by the field's text and fits the window to them.
    void ApplySearch();
    void SearchKey(WORD& key, fw::ShiftState shift);

    TSearchRow* search_ = nullptr;  // owned by the container while the search is open
    bool opening_ = false;
    TFileObject* pending_ = nullptr;  // an entry of this window, waiting for the running opening
    TMalloc::Use malloc_;
    fw::SharedInstance<TFolderWatcherManager>::Use watchers_;
};
