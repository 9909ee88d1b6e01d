#include "filers/SubFolderFiler.h"

#include "framework/Application.h"
#include "framework/Edit.h"
#include "operations/FileButton.h"
#include "operations/FileObject.h"
#include "operations/FolderButton.h"
#include "popup/StringButton.h"
#include "shell/AttributeCache.h"
#include "shell/FileSystemPath.h"
#include "shell/ListOfItemIdList.h"
#include "shell/ShellFolder.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace {

constexpr SHCONTF kListed = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
std::unique_ptr<TFileObject> MakeEntry(SFGAOF mask, unique_absolute_idlist absolute,
                                       unique_child_idlist item) {
    if (mask & SFGAO_FOLDER) {
        if (mask & SFGAO_REMOVABLE)
            return std::make_unique<TRemovableFolder>(std::move(absolute), std::move(item));
        return std::make_unique<TFolderButton>(std::move(absolute), std::move(item));
    }
    if (mask & SFGAO_FILESYSTEM) return std::make_unique<TFileButton>(std::move(absolute), std::move(item));
    return std::make_unique<SpecialObjectButton>(std::move(absolute), std::move(item));
}

}  // namespace

TSubFolderFiler::TSubFolderFiler(fw::Component* owner, bool showTriangle, TFileObject& entry,
                                 fw::Component* adopter)
    : TMenuFilerBase(owner, showTriangle, adopter, kParams) {
    if (const std::wstring* caption = entry.CaptionText()) SetCaption(*caption);
    SetIcon(fw::unique_hicon(entry.GetIcon()));
    folder_ = CopyIdList(entry.AbsoluteId());
    StartListing();
    if (listing_ && listing_->WaitFor(ListingBudget)) {
        ApplyListing();
    } else if (listing_) {
        // Too slow to wait for: the window shows what is there, and grows as the rest comes.
        growing_ = true;
        AppendArrived();
        if (ButtonManager->EntryCount() == 0) {
            loading_ = true;
            AddPlaceholder(kLoading);
        }
    }
    RegisterDropTarget();
}

TSubFolderFiler::~TSubFolderFiler() {
    RevokeDropTarget();
    // A closed window's folder is no longer watched: its change handle would keep a drive from being ejected.
    if (TFolderWatcherManager* watchers = Watchers()) watchers->StopWatchersFor(Handle());
}

TSubFolderFiler* TSubFolderFiler::OpenFolderByPath(fw::Component* owner, const std::wstring& path,
                                                   bool showTriangle) {
    unique_absolute_idlist absolute = ParseDisplayPath(path);
    if (!absolute) return nullptr;
    unique_child_idlist last = LastItemOf(absolute.get());
    const unique_absolute_idlist parent = ParentIdList(absolute.get());
    if (!last || !parent) return nullptr;
    // A stand-in for the folder entry a submenu would open from: it gives the window its folder, caption
    // and icon, and goes once the window is made.
    TFileObject stand(std::move(absolute), std::move(last));
    const TShellFolder folder(parent.get());
    STRRET reply{};
    if (folder && SUCCEEDED(folder->GetDisplayNameOf(stand.RelativeId(), SHGDN_NORMAL, &reply))) {
        stand.SetCaption(StrRetToString(reply, stand.RelativeId()));
    }
    return new TSubFolderFiler(owner, showTriangle, stand, owner);
}

void TSubFolderFiler::RequestRefresh() {
    ::PostMessageW(Handle(), kFolderChanged, 0, 0);
}

LRESULT TSubFolderFiler::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kFolderChanged) {
        // A burst of changes (an unzip, a drop of many files) queues one message per change: one refill
        // answers them all, and the user's keys and clicks are not kept waiting behind a queue of refills.
        DropQueuedMessages(kFolderChanged);
        Refill();
    } else if (msg == kListingArrived) {
        ListingArrived();
    }
    return TMenuFilerBase::WndProc(msg, wParam, lParam);
}

void TSubFolderFiler::KeyDown(WORD& key, fw::ShiftState shift) {
    // Escape and the other menu keys are the menu window's.
    if (key == VK_F5) {
        RequestRefresh();
        key = 0;
        return;
    }
    TMenuFilerBase::KeyDown(key, shift);
}

void TSubFolderFiler::Activated(bool active) {
    TMenuFilerBase::Activated(active);
    if (!active || !folder_) return;
    // Folders without a file-system path (virtual folders of the shell) are never watched.
    const std::wstring path = FileSystemPath(folder_.get());
    TFolderWatcherManager* watchers = Watchers();
    if (path.empty() || !watchers) return;
    // A window whose watch was taken from it (another window needed the place) or ended missed what
    // changed meanwhile: its new watcher asks for one refill as soon as it is watching.
    watchers->WatchFolder(Handle(), path, watchedBefore_);
    watchedBefore_ = true;
}

std::wstring TSubFolderFiler::SearchRoot() const {
    return folder_ ? FileSystemPath(folder_.get()) : std::wstring();
}

bool TSubFolderFiler::EntryBusy() const {
    // The mouse routing holds the container while an entry's handler runs (a context menu is tracked
    // inside the right button's release, a rename asks the shell); a rename box merely left open is carried
    // over the refill instead.
    return ButtonManager->HandlerDepth() > 0;
}

void TSubFolderFiler::AddPlaceholder(const wchar_t* caption) {
    auto* label = new TLabel;
    label->SetCaption(caption);
    ButtonManager->AddEntry(label);
    ButtonManager->FitOwnerWindow();
}

void TSubFolderFiler::Refill() {
    if (!folder_) return;
    // One listing at a time: what changes meanwhile is read by one more listing after it.
    if (listing_) {
        again_ = true;
        return;
    }
    StartListing();
}

void TSubFolderFiler::StartListing() {
    if (!folder_) return;
    TFolderListing::KnownAttributes known;
    if (AttributeCache) known = AttributeCache->Snapshot();
    listing_.reset(TFolderListing::Start(folder_.get(), kListed, Handle(), kListingArrived, std::move(known),
                                         ListingBinder));
}

void TSubFolderFiler::ListingArrived() {
    // A message of a listing that was already shown, or of one let go.
    if (!listing_) return;
    if (growing_) {
        AppendArrived();
        return;
    }
    // A refill shows the new rows all at once.
    if (!listing_->Done()) return;
    if (!EntryBusy()) {
        if (applyLater_) applyLater_->SetEnabled(false);
        ApplyListing();
        return;
    }
    // The entry the user works with stays until the step ends; then the window shows the new content.
    if (!applyLater_) {
        applyLater_ = new fw::Timer(this);
        applyLater_->SetInterval(100);
        applyLater_->OnTimer = [this](fw::Timer&) { ListingArrived(); };
    }
    applyLater_->SetEnabled(true);
}

void TSubFolderFiler::ApplyListing() {
    const unique_folder_listing listing = std::move(listing_);
    const bool wasLoading = std::exchange(loading_, false);
    // A highlight a key placed stays on its item, or on its place when the item is gone: the keyboard
    // user keeps going from there after F5, a rename or a change on disk.
    TPopupButtonBase* hot = ButtonManager->KeyboardHighlight() ? ButtonManager->HotEntry() : nullptr;
    std::wstring caption;
    int place = 0;
    if (hot) {
        if (const std::wstring* text = hot->CaptionText()) caption = *text;
        place = std::max(0, ButtonManager->IndexOf(hot));
    }
    std::optional<CarriedEdit> edit = TakeOpenEdit();
    LearnAttributes(*listing);
    std::vector<TListedItem> items = listing->TakeReady();
    Fill(listing->Outcome(), items);
    if (edit) ResumeEdit(*edit);
    if (wasLoading) PlaceAfterLoading();
    if (std::exchange(again_, false)) StartListing();
    if (ButtonManager->EntryCount() == 0) return;
    if (!hot) {
        if (wasLoading) TakeKeysToFirstRow();
        return;
    }
    TPopupButtonBase* again = nullptr;
    for (TPopupButtonBase* e : *ButtonManager) {
        const std::wstring* text = e->CaptionText();
        if (text && *text == caption) {
            again = e;
            break;
        }
    }
    if (!again) again = ButtonManager->Entries(std::min(place, ButtonManager->EntryCount() - 1));
    if (again && again->Actionable()) ButtonManager->SetHighlight(again);
}

void TSubFolderFiler::AppendArrived() {
    // Done is read first: the rows taken after it are the last ones.
    const bool done = listing_->Done();
    std::vector<TListedItem> taken = listing_->TakeReady();
    if (arrived_.empty()) {
        arrived_ = std::move(taken);
    } else {
        for (TListedItem& row : taken) arrived_.push_back(std::move(row));
    }
    if (appended_ < arrived_.size()) AppendSome();
    if (appended_ < arrived_.size()) {
        // The rest after the keys, clicks and paints that wait: a timer's message comes after them.
        if (!appendMore_) {
            appendMore_ = new fw::Timer(this);
            appendMore_->SetInterval(1);
            appendMore_->OnTimer = [this](fw::Timer&) {
                if (listing_ && growing_) AppendArrived();
            };
        }
        appendMore_->SetEnabled(true);
        return;
    }
    if (appendMore_) appendMore_->SetEnabled(false);
    arrived_.clear();
    appended_ = 0;
    if (!done) return;
    const unique_folder_listing listing = std::move(listing_);
    growing_ = false;
    LearnAttributes(*listing);
    if (loading_ || ButtonManager->EntryCount() == 0) {
        loading_ = false;
        std::vector<TListedItem> none;
        Fill(listing->Outcome() == TListingOutcome::Listed ? TListingOutcome::Empty : listing->Outcome(),
             none);
    } else {
        // The widest name is known now: the window takes its final size once.
        ButtonManager->FinishLayout();
        SetClientWidth(ButtonManager->ClientWidth());
        FitHeightToWorkArea(this);
    }
    PlaceAfterLoading();
    if (std::exchange(again_, false)) StartListing();
}

void TSubFolderFiler::AppendSome() {
    const bool wasLoading = std::exchange(loading_, false);
    const bool first = wasLoading || ButtonManager->EntryCount() == 0;
    if (wasLoading) {
        const std::optional<CarriedSearch> search = TakeSearch();
        ButtonManager->ClearEntries();
        EntriesCleared();
        ResumeSearch(search);
    }
    const int width = ClientWidth();
    // Rows go in steps until the slice is used: the window answers between slices, however many rows
    // wait (a folder of a hundred thousand files hands them faster than a window takes them).
    const auto start = std::chrono::steady_clock::now();
    do {
        const size_t count = std::min(kAppendStep, arrived_.size() - appended_);
        AddRows(arrived_, appended_, count);
        appended_ += count;
    } while (appended_ < arrived_.size() &&
             std::chrono::steady_clock::now() - start < std::chrono::milliseconds(kAppendSlice));
    fw::FormScrollBar& bar = VertScrollBar();
    if (!first && bar.IsShowing()) {
        // As tall as the screen already: the rows go below, and only the scroll range grows (sizing the
        // window for every batch would cost more than the batch).
        ButtonManager->LayOutInPlace();
        bar.SetRange(ButtonManager->Height());
    } else {
        ButtonManager->FinishLayout();
        FitHeightToWorkArea(this);
        // The window widens once, when the widest name is known: it does not move while it is read.
        if (!first && ClientWidth() > width) SetClientWidth(width);
    }
    if (first) {
        PlaceAfterLoading();
        TakeKeysToFirstRow();
    }
}

void TSubFolderFiler::TakeKeysToFirstRow() {
    // Opened from the keyboard while it was still loading: the keys work on the first row.
    if (Handle() && ::GetFocus() == Handle() && !ButtonManager->HotEntry())
        ButtonManager->MoveHighlight(THighlightMove::First);
}

void TSubFolderFiler::PlaceAfterLoading() {
    if (!Visible()) return;
    TPopupMenuBase* parent = ParentMenu;
    if (auto* filer = dynamic_cast<TMenuFilerBase*>(parent); filer && parent->ChildMenu == this) {
        filer->PlaceSubFolder(this, nullptr);
        return;
    }
    ClampToWorkArea(this);
}

std::optional<TSubFolderFiler::CarriedEdit> TSubFolderFiler::TakeOpenEdit() const {
    // The boxes are few among the container's components; only when one shows is its entry looked for.
    bool shown = false;
    for (int i = 0; i < ButtonManager->ComponentCount() && !shown; ++i) {
        const auto* box = dynamic_cast<const fw::Edit*>(ButtonManager->Components(i));
        shown = box && box->Visible();
    }
    if (!shown) return std::nullopt;
    for (TPopupButtonBase* e : *ButtonManager) {
        auto* entry = dynamic_cast<TFileObject*>(e);
        if (!entry) continue;
        std::optional<TEditCaptionButton::EditState> state = entry->TakeEdit();
        if (!state) continue;
        unique_child_idlist item = CopyIdList(entry->RelativeId());
        if (!item) return std::nullopt;
        return CarriedEdit{std::move(item), std::move(*state)};
    }
    return std::nullopt;
}

void TSubFolderFiler::ResumeEdit(const CarriedEdit& edit) {
    const TShellFolder folder(folder_.get());
    if (!folder) return;
    // The same item, though its identifier may differ in what it caches (a size, a time).
    for (TPopupButtonBase* e : *ButtonManager) {
        auto* entry = dynamic_cast<TFileObject*>(e);
        if (!entry) continue;
        const HRESULT same = folder->CompareIDs(SHCIDS_CANONICALONLY, edit.item.get(), entry->RelativeId());
        if (SUCCEEDED(same) && HRESULT_CODE(same) == 0) {
            entry->ResumeEdit(edit.state);
            return;
        }
    }
    // The item went away: so did its rename.
}

void TSubFolderFiler::LearnAttributes(TFolderListing& listing) {
    // Removable drives the worker asked for their attributes: the next listing takes them from here.
    if (!AttributeCache) return;
    for (const auto& [list, mask] : listing.TakeLearned()) {
        try {
            if (!AttributeCache->Find(list.get())) AttributeCache->Add(list.get(), mask);
        } catch (const std::bad_alloc&) {
            return;  // asked again next time
        }
    }
}

void TSubFolderFiler::Fill(TListingOutcome outcome, std::vector<TListedItem>& rows) {
    // A search the user is typing goes on over the new rows.
    const std::optional<CarriedSearch> search = TakeSearch();
    ButtonManager->ClearEntries();
    EntriesCleared();
    if (outcome != TListingOutcome::Listed || rows.empty()) {
        AddPlaceholder(outcome == TListingOutcome::NoAccess ? kNoAccess : kNothing);
    } else {
        AddRows(rows, 0, rows.size());
        ButtonManager->FinishLayout();
        FitHeightToWorkArea(this);
    }
    ResumeSearch(search);
}

void TSubFolderFiler::AddRows(std::vector<TListedItem>& rows, size_t from, size_t count) {
    std::vector<TPopupButtonBase*> entries;
    entries.reserve(count);
    try {
        for (size_t i = from; i < from + count; ++i) {
            TListedItem& found = rows[i];
            unique_absolute_idlist absolute = ConcatIdLists(folder_.get(), found.item.get());
            if (!absolute) continue;
            const SFGAOF mask = found.attributes;
            std::unique_ptr<TFileObject> entry = MakeEntry(mask, std::move(absolute), std::move(found.item));
            // The side this window's submenus open to: a refill keeps what the placing chose.
            if (ShowTriangle && (mask & SFGAO_FOLDER)) entry->SetTriangleSide(OpensRight ? 1 : 0);
            entry->SetCaption(found.name);
            entry->SetAttributes(mask);
            if (found.haveFileData) {
                entry->SetFileAttributes(found.fileAttributes);
                entry->SetFileName(found.fileName);
            }
            entries.push_back(entry.release());
        }
    } catch (...) {
        for (TPopupButtonBase* e : entries) delete e;
        throw;
    }
    ButtonManager->AddEntries(entries);
}

void TSubFolderFiler::RegisterDropTarget() {
    RevokeDropTarget();
    const unique_absolute_idlist parentList = ParentIdList(folder_.get());
    const unique_child_idlist last = LastItemOf(folder_.get());
    const TShellFolder parent(parentList.get());
    if (!parent || !last) return;
    PCUITEMID_CHILD items[] = {last.get()};
    // Dropped files go to the folder exactly as the shell would drop them onto it.
    if (FAILED(parent->GetUIObjectOf(Handle(), 1, items, IID_IDropTarget, nullptr, dropTarget_.put_void())) ||
        !dropTarget_) {
        dropTarget_.reset();
        return;
    }
    dropRegistered_ = SUCCEEDED(::RegisterDragDrop(Handle(), dropTarget_.get()));
}

void TSubFolderFiler::RevokeDropTarget() noexcept {
    if (dropRegistered_ && Handle()) ::RevokeDragDrop(Handle());
    dropRegistered_ = false;
    dropTarget_.reset();
}
