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
#include "shell/MergeSort.h"
#include "shell/ShellFolder.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

namespace {

constexpr SHCONTF kListed = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
constexpr SFGAOF kRemovableDrive = SFGAO_REMOVABLE | SFGAO_FILESYSANCESTOR;

HWND AppWindow() noexcept {
    return fw::App() ? fw::App()->Handle() : nullptr;
}

// Removable drives are asked for their attributes once per run (asking spins the drive up).
SFGAOF AttributesOf(IShellFolder* folder, PCUITEMID_CHILD item, PCIDLIST_ABSOLUTE absolute) {
    if (AttributeCache) {
        const SFGAOF cached = AttributeCache->Find(absolute);
        if ((cached & kRemovableDrive) == kRemovableDrive) return cached;
    }
    SFGAOF mask = 0xFFFFFFFF;
    if (FAILED(folder->GetAttributesOf(1, &item, &mask))) mask = 0;
    if (AttributeCache && (mask & kRemovableDrive) == kRemovableDrive) AttributeCache->Add(absolute, mask);
    return mask;
}

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
    Refill();
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
        RefillWhenIdle();
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

bool TSubFolderFiler::EntryBusy() const {
    // The mouse routing holds the container while an entry's handler runs (a context menu is tracked
    // inside the right button's release, a rename asks the shell); a rename box merely left open is carried
    // over the refill instead.
    return ButtonManager->HandlerDepth() > 0;
}

void TSubFolderFiler::RefillWhenIdle() {
    if (!EntryBusy()) {
        if (refillLater_) refillLater_->SetEnabled(false);
        Refill();
        return;
    }
    // The entry the user works with stays until the step ends; then the window shows the new content.
    if (!refillLater_) {
        refillLater_ = new fw::Timer(this);
        refillLater_->SetInterval(100);
        refillLater_->OnTimer = [this](fw::Timer&) { RefillWhenIdle(); };
    }
    refillLater_->SetEnabled(true);
}

void TSubFolderFiler::AddPlaceholder(const wchar_t* caption) {
    auto* label = new TLabel;
    label->SetCaption(caption);
    ButtonManager->AddEntry(label);
    ButtonManager->FitOwnerWindow();
}

void TSubFolderFiler::Refill() {
    // A highlight a key placed stays on its item, or on its place when the item is gone: the keyboard
    // user keeps going from there after F5, a rename or a change on disk.
    TPopupButtonBase* hot = ButtonManager->KeyboardHighlight() ? ButtonManager->HotEntry() : nullptr;
    std::wstring caption;
    int place = 0;
    if (hot) {
        if (const std::wstring* text = hot->CaptionText()) caption = *text;
        for (TPopupButtonBase* e : *ButtonManager) {
            if (e == hot) break;
            ++place;
        }
    }
    std::optional<CarriedEdit> edit = TakeOpenEdit();
    Fill();
    if (edit) ResumeEdit(*edit);
    if (!hot || ButtonManager->EntryCount() == 0) return;
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

const wchar_t* TSubFolderFiler::EmptyCaption() const {
    // A folder without a file-system path has only the shell to ask.
    const std::wstring path = FileSystemPath(folder_.get());
    if (path.empty()) return kNothing;
    // Renamed, deleted or replaced by a file since the window opened.
    const DWORD attributes = FileAttributesAt(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return kNoAccess;
    // The shell listed nothing, yet the folder holds items it would show (the shell's own listing stops
    // at paths of MAX_PATH on some systems): the folder is there but cannot be read through the shell.
    WIN32_FIND_DATAW data;
    const std::wstring pattern = path + (path.back() == L'\\' ? L"*" : L"\\*");
    const HANDLE find = ::FindFirstFileExW(ExtendedLengthPath(pattern).c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return kNothing;
    bool holds = false;
    constexpr DWORD kSuperHidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        const std::wstring_view name = data.cFileName;
        holds = name != L"." && name != L".." && (data.dwFileAttributes & kSuperHidden) != kSuperHidden;
    } while (!holds && ::FindNextFileW(find, &data));
    ::FindClose(find);
    return holds ? kNoAccess : kNothing;
}

void TSubFolderFiler::Fill() {
    if (!folder_) return;
    ButtonManager->ClearEntries();
    EntriesCleared();
    const TShellFolder folder(folder_.get());
    // A folder that is gone cannot be bound by every shell.
    if (!folder) {
        AddPlaceholder(kNoAccess);
        return;
    }
    fw::ComPtr<IEnumIDList> items;
    const HRESULT listed = folder->EnumObjects(AppWindow(), kListed, items.put());
    if (FAILED(listed)) {
        AddPlaceholder(kNoAccess);
        return;
    }
    std::vector<std::unique_ptr<TFileObject>> entries;
    PITEMID_CHILD raw = nullptr;
    // Success without an enumerator is an empty listing.
    while (items && items->Next(1, &raw, nullptr) == S_OK) {
        unique_child_idlist item = AdoptIdList(raw);
        STRRET reply{};
        if (FAILED(folder->GetDisplayNameOf(item.get(), SHGDN_NORMAL, &reply))) continue;
        const std::wstring name = StrRetToString(reply, item.get());
        unique_absolute_idlist absolute = ConcatIdLists(folder_.get(), item.get());
        if (!absolute) continue;
        const SFGAOF mask = AttributesOf(folder.Folder(), item.get(), absolute.get());
        // File data only for plain files and folders, never for drives and the folders above them.
        WIN32_FIND_DATAW data{};
        const bool haveData = (mask & SFGAO_FILESYSTEM) && !(mask & SFGAO_FILESYSANCESTOR) &&
                              SUCCEEDED(::SHGetDataFromIDListW(folder.Folder(), item.get(), SHGDFIL_FINDDATA,
                                                               &data, sizeof(data)));
        std::unique_ptr<TFileObject> entry = MakeEntry(mask, std::move(absolute), std::move(item));
        // The side this window's submenus open to: a refill keeps what the placing chose.
        if (ShowTriangle && (mask & SFGAO_FOLDER)) entry->SetTriangleSide(OpensRight ? 1 : 0);
        entry->SetCaption(name);
        entry->SetAttributes(mask);
        if (haveData) entry->SetFileAttributes(data.dwFileAttributes);
        entries.push_back(std::move(entry));
    }
    items.reset();
    if (entries.empty()) {
        AddPlaceholder(EmptyCaption());
        return;
    }
    // The folder's own order: the low 16 bits of CompareIDs, read as a signed number.
    IShellFolder* order = folder.Folder();
    MergeSort(entries, [order](const std::unique_ptr<TFileObject>& a, const std::unique_ptr<TFileObject>& b) {
        const HRESULT r = order->CompareIDs(0, a->RelativeId(), b->RelativeId());
        return static_cast<short>(HRESULT_CODE(r)) < 0;
    });
    for (auto& entry : entries) ButtonManager->AddEntry(entry.release());
    ButtonManager->FinishLayout();
    FitHeightToWorkArea(this);
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
