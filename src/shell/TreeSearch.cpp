#include "shell/TreeSearch.h"

#include "framework/ComObject.h"
#include "framework/ComPtr.h"
#include "framework/Exception.h"
#include "framework/TextConv.h"
#include "framework/UniqueAny.h"
#include "shell/ShellFolder.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <deque>
#include <set>
#include <utility>

namespace {

// Found items go to the window in batches of at most this many, or after this long (milliseconds).
constexpr size_t kBatch = 32;
constexpr ULONGLONG kBatchTime = 50;

struct FindClose {
    void operator()(HANDLE h) const noexcept { ::FindClose(h); }
};
using unique_find = std::unique_ptr<void, FindClose>;

// Where a folder really is, links followed: the same folder reached twice is walked once.
std::wstring FinalPath(const std::wstring& path) {
    const HANDLE h = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return fw::FoldForSearch(path);
    wchar_t buffer[1024];
    const DWORD n = ::GetFinalPathNameByHandleW(h, buffer, 1024, FILE_NAME_NORMALIZED);
    ::CloseHandle(h);
    return fw::FoldForSearch(n > 0 && n < 1024 ? std::wstring(buffer, n) : path);
}

// What the walk read of an item, handed to the folder that parses its name: the folder makes the item
// from it instead of reading the disk again.
class FoundData final : public fw::ComObject<IFileSystemBindData> {
public:
    explicit FoundData(const WIN32_FIND_DATAW& data) : data_(data) {}
    STDMETHODIMP SetFindData(const WIN32_FIND_DATAW* data) noexcept override {
        if (!data) return E_POINTER;
        data_ = *data;
        return S_OK;
    }
    STDMETHODIMP GetFindData(WIN32_FIND_DATAW* data) noexcept override {
        if (!data) return E_POINTER;
        *data = data_;
        return S_OK;
    }

private:
    ~FoundData() override = default;
    WIN32_FIND_DATAW data_;
};

fw::ComPtr<IBindCtx> BindingOf(const WIN32_FIND_DATAW& data) {
    fw::ComPtr<IBindCtx> context;
    if (FAILED(::CreateBindCtx(0, context.put()))) return nullptr;
    BIND_OPTS options{sizeof(options), 0, STGM_CREATE, 0};
    const fw::ComPtr<IFileSystemBindData> found =
        fw::ComPtr<IFileSystemBindData>::Attach(new FoundData(data));
    if (FAILED(context->SetBindOptions(&options)) ||
        FAILED(context->RegisterObjectParam(const_cast<LPOLESTR>(STR_FILE_SYS_BIND_DATA), found.get())))
        return nullptr;
    return context;
}

// Items of the tree made without reading the disk again: a file-system item's own part of its list does
// not depend on its folder, so one bound folder (the root) makes each item's part from what the walk read
// of it, and the item's list is its folder's list with that part added.
class ItemMaker {
public:
    explicit ItemMaker(const std::wstring& root)
        : root_(reinterpret_cast<PIDLIST_ABSOLUTE>(::ILCreateFromPathW(root.c_str()))) {
        if (root_) folder_ = std::make_unique<TShellFolder>(root_.get());
    }
    PCIDLIST_ABSOLUTE Root() const noexcept { return root_.get(); }
    unique_absolute_idlist ItemOf(PCIDLIST_ABSOLUTE folder, const WIN32_FIND_DATAW& data) const {
        if (!folder || !folder_ || !*folder_) return nullptr;
        std::wstring text(data.cFileName);
        PIDLIST_RELATIVE child = nullptr;
        const fw::ComPtr<IBindCtx> context = BindingOf(data);
        if (!context ||
            FAILED((*folder_)->ParseDisplayName(nullptr, context.get(), text.data(), nullptr, &child,
                                                nullptr)) ||
            !child)
            return nullptr;
        const unique_relative_idlist own = AdoptIdList(child);
        return ConcatIdLists(folder, own.get());
    }

private:
    unique_absolute_idlist root_;
    std::unique_ptr<TShellFolder> folder_;
};

}  // namespace

TTreeSearch::TTreeSearch(std::wstring root, std::wstring folded, HWND target, UINT message, Limits limits)
    : root_(std::move(root)),
      folded_(std::move(folded)),
      target_(target),
      message_(message),
      limits_(limits) {}

TTreeSearch::~TTreeSearch() {
    if (thread_) ::CloseHandle(thread_);
}

TTreeSearch* TTreeSearch::Start(const std::wstring& root, const std::wstring& folded, HWND target,
                                UINT message, Limits limits) {
    auto* search = new TTreeSearch(root, folded, target, message, limits);
    search->AddRef();  // the worker's
    search->thread_ = ::CreateThread(nullptr, 0, &Body, search, 0, nullptr);
    if (search->thread_) return search;
    search->Release();
    search->Release();
    throw fw::Exception(L"Cannot start a thread");
}

void TTreeSearch::Release() noexcept {
    if (--references_ == 0) delete this;
}

std::vector<TFoundItem> TTreeSearch::TakeFound() {
    const std::lock_guard hold(lock_);
    told_ = false;
    return std::move(found_);
}

unsigned long __stdcall TTreeSearch::Body(void* self) noexcept {
    auto* search = static_cast<TTreeSearch*>(self);
    // A drive without its medium is skipped, never asked for by the system.
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    try {
        search->Walk();
    } catch (...) {
        // What was found stays; the search ends.
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    search->done_ = true;
    if (!search->cancelled_) ::PostMessageW(search->target_, search->message_, 0, 0);
    search->Release();
    return 0;
}

void TTreeSearch::Walk() {
    const ULONGLONG start = ::GetTickCount64();
    size_t found = 0;
    std::vector<TFoundItem> batch;
    ULONGLONG batchStart = start;
    std::set<std::wstring> visited{FinalPath(root_)};
    const ItemMaker maker(root_);
    if (!maker.Root()) return;
    // Folders to walk, relative to the root, with their lists; the root's own items are the window's.
    struct Folder {
        std::wstring where;
        unique_absolute_idlist list;
    };
    std::deque<Folder> folders;
    auto walk = [&](const std::wstring& where, PCIDLIST_ABSOLUTE list, bool match) {
        const std::wstring folder = where.empty() ? root_ : root_ + L"\\" + where;
        WIN32_FIND_DATAW data;
        unique_find find(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                            FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (find.get() == INVALID_HANDLE_VALUE) {
            find.release();
            return true;
        }
        ++walked_;
        do {
            if (cancelled_) return false;
            const std::wstring_view name(data.cFileName);
            if (name == L"." || name == L"..") continue;
            const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool matches = match && fw::FoldForSearch(name).find(folded_) != std::wstring::npos;
            const std::wstring relative =
                where.empty() ? std::wstring(name) : where + L"\\" + std::wstring(name);
            // Every folder is walked once, however it is reached (a junction, a symbolic link, a link
            // the file system follows on its own back up the tree).
            const bool walkIt = isFolder && visited.insert(FinalPath(root_ + L"\\" + relative)).second;
            if (!walkIt && !matches) continue;
            unique_absolute_idlist item = maker.ItemOf(list, data);
            if (!item) continue;
            if (walkIt) {
                unique_absolute_idlist copy = matches ? CopyIdList(item.get()) : std::move(item);
                if (copy) folders.push_back(Folder{relative, std::move(copy)});
            }
            if (!matches) continue;
            batch.push_back(
                TFoundItem{std::move(item), std::wstring(name), where, isFolder, data.dwFileAttributes});
            if (++found >= limits_.most) {
                cutShort_ = true;
                return false;
            }
            const ULONGLONG now = ::GetTickCount64();
            if (batch.size() >= kBatch || now - batchStart >= kBatchTime) {
                Hand(batch);
                batchStart = now;
            }
        } while (::FindNextFileW(find.get(), &data));
        return true;
    };
    bool going = walk(std::wstring(), maker.Root(), false);
    while (going && !folders.empty()) {
        if (::GetTickCount64() - start >= limits_.time) {
            cutShort_ = true;
            break;
        }
        const Folder next = std::move(folders.front());
        folders.pop_front();
        going = walk(next.where, next.list.get(), true);
        if (!batch.empty() && ::GetTickCount64() - batchStart >= kBatchTime) {
            Hand(batch);
            batchStart = ::GetTickCount64();
        }
    }
    Hand(batch);
}

void TTreeSearch::Hand(std::vector<TFoundItem>& batch) {
    if (batch.empty() || cancelled_) return;
    bool tell = false;
    {
        const std::lock_guard hold(lock_);
        for (TFoundItem& f : batch) found_.push_back(std::move(f));
        tell = !told_;
        told_ = true;
    }
    batch.clear();
    if (tell) ::PostMessageW(target_, message_, 0, 0);
}
