// Filers: menu windows that fill themselves from the shell. TMenuFilerBase is their common base: it holds
// the window's copy of the ShowTriangle setting and, for as long as any filer window lives, a use of the
// shared allocator holder and of the shared folder watcher manager (made by the first filer window,
// destroyed with the last, which stops every watcher). It opens a folder entry's subfolder as the child
// window.
#pragma once

#include "framework/Timer.h"
#include "popup/PopupBase.h"
#include "shell/FolderWatcher.h"
#include "shell/Malloc.h"
#include "shell/TreeSearch.h"

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
    // After a pause in the typing, the folders below this window's folder are searched too: what they
    // hold that matches comes under a separator as it is found, each row with its place after its name,
    // nearest folders first, at most kFoundMost rows and for at most kSearchTime; a last row says when the
    // search was cut short. Every key starts it again.
    static constexpr unsigned long kSearchPause = 300;  // milliseconds
    static constexpr size_t kFoundMost = 200;
    static constexpr unsigned long kSearchTime = 10'000;  // milliseconds
    static constexpr wchar_t kCutShort[] = L"（検索を打ち切りました）";
    // The search worker's message; in the application's own range, as kListingArrived.
    static constexpr UINT kFound = WM_APP + 0x121;
    // The search below that runs (tests), or null.
    TTreeSearch* SearchBelow() const noexcept { return below_.get(); }
    // The rows the search below found.
    const std::vector<TPopupButtonBase*>& FoundRows() const noexcept { return found_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void KeyDown(WORD& key, fw::ShiftState shift) override;
    // The file-system folder whose subfolders a search looks into; empty for none.
    virtual std::wstring SearchRoot() const { return std::wstring(); }
    // The window's entries went (a refill): a request waiting for its turn is forgotten with them, and so
    // is the search row (a refill carries the search over: TakeSearch before, ResumeSearch after).
    void EntriesCleared() noexcept {
        pending_ = nullptr;
        search_ = nullptr;
        below_.reset();
        found_.clear();
        separator_ = nullptr;
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
    // Lets go of the search below and takes away what it found.
    void EndSearchBelow();
    void StartSearchBelow();
    void FoundArrived();

    TSearchRow* search_ = nullptr;  // owned by the container while the search is open
    unique_tree_search below_;
    fw::Timer* belowLater_ = nullptr;       // owned by the window; the pause before the search below
    std::vector<TPopupButtonBase*> found_;  // the search below's rows (and its separator and last label)
    TPopupButtonBase* separator_ = nullptr;
    bool opening_ = false;
    TFileObject* pending_ = nullptr;  // an entry of this window, waiting for the running opening
    TMalloc::Use malloc_;
    fw::SharedInstance<TFolderWatcherManager>::Use watchers_;
};
