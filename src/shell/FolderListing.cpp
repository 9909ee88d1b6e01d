#include "shell/FolderListing.h"

#include "framework/Exception.h"
#include "shell/FileSystemPath.h"
#include "shell/MergeSort.h"
#include "shell/ShellFolder.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace {

// While a window waits for its listing, messages sent to it are answered at least this often (ms).
constexpr ULONGLONG kAnswerSlice = 10;
constexpr SFGAOF kRemovableDrive = SFGAO_REMOVABLE | SFGAO_FILESYSANCESTOR;

// The folder's own order: the low 16 bits of CompareIDs, read as a signed number.
bool Before(IShellFolder& folder, const TListedItem& a, const TListedItem& b) {
    const HRESULT r = folder.CompareIDs(0, a.item.get(), b.item.get());
    return static_cast<short>(HRESULT_CODE(r)) < 0;
}

}  // namespace

TFolderListing::TFolderListing(unique_absolute_idlist folder, SHCONTF flags, HWND target, UINT message,
                               KnownAttributes known, Binder bind)
    : folder_(std::move(folder)),
      flags_(flags),
      target_(target),
      message_(message),
      known_(std::move(known)),
      bind_(bind) {}

TFolderListing::~TFolderListing() {
    if (thread_) ::CloseHandle(thread_);
    if (done_event_) ::CloseHandle(done_event_);
}

TFolderListing* TFolderListing::Start(PCIDLIST_ABSOLUTE folder, SHCONTF flags, HWND target, UINT message,
                                      KnownAttributes known, Binder bind) {
    unique_absolute_idlist copy = CopyIdList(folder);
    if (!copy) throw std::bad_alloc();
    auto* listing = new TFolderListing(std::move(copy), flags, target, message, std::move(known), bind);
    listing->done_event_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (listing->done_event_) {
        listing->AddRef();  // the worker's
        listing->thread_ = ::CreateThread(nullptr, 0, &Body, listing, 0, nullptr);
        if (listing->thread_) return listing;
        listing->Release();
    }
    listing->Release();
    throw fw::Exception(L"Cannot start a thread");
}

void TFolderListing::Release() noexcept {
    if (--references_ == 0) delete this;
}

bool TFolderListing::WaitFor(unsigned long milliseconds) const noexcept {
    const ULONGLONG until = ::GetTickCount64() + milliseconds;
    for (;;) {
        if (done_) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= until) return false;
        // Only sent messages are answered here (a screen reader's question, another program's
        // SendMessage): posted ones wait for the message loop, so nothing of the program runs meanwhile.
        // They are looked for every few milliseconds too: not every system wakes the wait for them.
        const DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(until - now, kAnswerSlice));
        ::MsgWaitForMultipleObjects(1, &done_event_, FALSE, slice, QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

unsigned long __stdcall TFolderListing::Body(void* self) noexcept {
    auto* listing = static_cast<TFolderListing*>(self);
    listing->Execute();
    listing->Release();
    return 0;
}

void TFolderListing::Execute() noexcept {
    // A drive without its medium is reported as a failure, never asked for by the system.
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    try {
        List();
    } catch (...) {
        const std::lock_guard hold(lock_);
        ready_.clear();
        outcome_ = TListingOutcome::NoAccess;
    }
    // The shell's objects are gone before the apartment.
    if (SUCCEEDED(com)) ::CoUninitialize();
    done_ = true;
    ::SetEvent(done_event_);
    if (!cancelled_) ::PostMessageW(target_, message_, 0, 0);
}

std::vector<TListedItem> TFolderListing::TakeReady() {
    const std::lock_guard hold(lock_);
    told_ = false;
    return std::move(ready_);
}

void TFolderListing::Hand(std::vector<TListedItem>& batch) {
    if (batch.empty()) return;
    bool tell = false;
    {
        const std::lock_guard hold(lock_);
        if (ready_.empty()) {
            ready_ = std::move(batch);
        } else {
            for (TListedItem& row : batch) ready_.push_back(std::move(row));
        }
        tell = !std::exchange(told_, true);
    }
    batch.clear();
    if (tell && !cancelled_) ::PostMessageW(target_, message_, 0, 0);
}

void TFolderListing::List() {
    const fw::ComPtr<IShellFolder> folder = bind_ ? bind_(folder_.get()) : [this] {
        TShellFolder bound(folder_.get());
        return fw::ComPtr<IShellFolder>(bound.Folder());
    }();
    // A folder that is gone cannot be bound by every shell.
    if (!folder) return;
    fw::ComPtr<IEnumIDList> enumerator;
    // No owner window: a folder that would ask the user something (a disk to insert) fails instead.
    if (FAILED(folder->EnumObjects(nullptr, flags_, enumerator.put()))) return;
    std::vector<TListedItem> rows;
    PITEMID_CHILD raw = nullptr;
    // Success without an enumerator is an empty listing.
    while (!cancelled_ && enumerator && enumerator->Next(1, &raw, nullptr) == S_OK) {
        rows.emplace_back().item = AdoptIdList(raw);
    }
    enumerator.reset();
    if (cancelled_) return;
    // The order needs only the items: the details of rows far down may come after the first screen.
    IShellFolder& order = *folder.get();
    MergeSort(rows, [&order](const TListedItem& a, const TListedItem& b) { return Before(order, a, b); });
    std::vector<TListedItem> batch;
    bool handed = false;
    ULONGLONG batchStart = ::GetTickCount64();
    for (TListedItem& row : rows) {
        if (cancelled_) return;
        if (!Describe(order, row)) continue;
        batch.push_back(std::move(row));
        const size_t limit = handed ? kBatch : kFirstBatch;
        if (batch.size() >= limit || (handed && ::GetTickCount64() - batchStart >= kBatchTime)) {
            Hand(batch);
            handed = true;
            batchStart = ::GetTickCount64();
        }
    }
    handed = handed || !batch.empty();
    Hand(batch);
    outcome_ = handed ? TListingOutcome::Listed : EmptyOutcome();
}

bool TFolderListing::Describe(IShellFolder& folder, TListedItem& row) {
    STRRET reply{};
    if (FAILED(folder.GetDisplayNameOf(row.item.get(), SHGDN_NORMAL, &reply))) return false;
    row.name = StrRetToString(reply, row.item.get());
    row.attributes = AttributesOf(folder, row.item.get());
    // File data only for plain files and folders, never for drives and the folders above them.
    const SFGAOF mask = row.attributes;
    WIN32_FIND_DATAW data{};
    if ((mask & SFGAO_FILESYSTEM) && !(mask & SFGAO_FILESYSANCESTOR) &&
        SUCCEEDED(::SHGetDataFromIDListW(&folder, row.item.get(), SHGDFIL_FINDDATA, &data, sizeof(data)))) {
        row.haveFileData = true;
        row.fileAttributes = data.dwFileAttributes;
        row.fileName = data.cFileName;
    }
    return true;
}

SFGAOF TFolderListing::AttributesOf(IShellFolder& folder, PCUITEMID_CHILD item) {
    // Removable drives are asked for their attributes once per run (asking spins the drive up).
    const unique_absolute_idlist absolute = ConcatIdLists(folder_.get(), item);
    if (absolute) {
        for (const auto& [list, mask] : known_) {
            if ((mask & kRemovableDrive) == kRemovableDrive && IdListsEqual(list.get(), absolute.get()))
                return mask;
        }
    }
    SFGAOF mask = 0xFFFFFFFF;
    if (FAILED(folder.GetAttributesOf(1, &item, &mask))) mask = 0;
    if (absolute && (mask & kRemovableDrive) == kRemovableDrive)
        learned_.emplace_back(CopyIdList(absolute.get()), mask);
    return mask;
}

TListingOutcome TFolderListing::EmptyOutcome() const {
    // A folder without a file-system path has only the shell to ask.
    const std::wstring path = FileSystemPath(folder_.get());
    if (path.empty()) return TListingOutcome::Empty;
    // Renamed, deleted or replaced by a file since the window opened.
    const DWORD attributes = FileAttributesAt(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return TListingOutcome::NoAccess;
    // The shell listed nothing, yet the folder holds items it would show (the shell's own listing stops
    // at paths of MAX_PATH on some systems): the folder is there but cannot be read through the shell.
    WIN32_FIND_DATAW data;
    const std::wstring pattern = path + (path.back() == L'\\' ? L"*" : L"\\*");
    const HANDLE find = ::FindFirstFileExW(ExtendedLengthPath(pattern).c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return TListingOutcome::Empty;
    bool holds = false;
    constexpr DWORD kSuperHidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        const std::wstring_view name = data.cFileName;
        holds = name != L"." && name != L".." && (data.dwFileAttributes & kSuperHidden) != kSuperHidden;
    } while (!holds && ::FindNextFileW(find, &data));
    ::FindClose(find);
    return holds ? TListingOutcome::NoAccess : TListingOutcome::Empty;
}
