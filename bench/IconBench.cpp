// What a row's icon costs as its folder grows: the first screen (about 60 rows) of folders of 1,000 and
// 100,000 files, from the first paint until the worker's icon is on every row, per row; the first
// paint itself (the icons of the types, on the window thread); and the old way, SHGetFileInfo on each
// row's absolute list on the window thread, for comparison. Ratios measured in one run. The folders are
// kept under C:\quillbrook-bench for later runs.
#include "BenchSupport.h"
#include "framework/Application.h"
#include "framework/ComPtr.h"
#include "framework/Dpi.h"
#include "operations/FileButton.h"
#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"
#include "shell/IconFetcher.h"
#include "shell/IdList.h"
#include "shell/ShellFolder.h"

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace bench;

constexpr int kScreenRows = 60;
constexpr const wchar_t* kExtensions[] = {L".txt", L".bmp", L".html", L".zip"};

// A folder of `files` empty files of a few types, kept for later runs (bench/run makes them from Linux,
// which is much quicker than Wine).
class BigFolder {
public:
    explicit BigFolder(int files) {
        path_ = L"C:\\quillbrook-bench\\" + std::to_wstring(files) + L" typed files";
        ::CreateDirectoryW(L"C:\\quillbrook-bench", nullptr);
        ::CreateDirectoryW(path_.c_str(), nullptr);
        for (int i = 0; i < files; ++i) {
            wchar_t name[64];
            swprintf(name, 64, L"\\文書 %06d%ls", i, kExtensions[i % 4]);
            const std::wstring file = path_ + name;
            if (::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
            HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
        }
    }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

// A row that notes when it was first painted and when its own icon was applied.
class TimedRow : public TFileButton {
public:
    using TFileButton::TFileButton;
    bool painted = false;
    bool applied = false;
    Clock::time_point appliedAt{};

protected:
    void IconPainted(fw::Canvas& canvas, const RECT& icon) override {
        painted = true;
        TFileButton::IconPainted(canvas, icon);
    }
    void IconFetched(int index) override {
        TFileButton::IconFetched(index);
        applied = true;
        appliedAt = Clock::now();
    }
};

struct Item {
    unique_child_idlist child;
    std::wstring name;
    SFGAOF attributes = 0;
    WIN32_FIND_DATAW data{};
};

struct Figures {
    int rows = 0;
    double firstPaintMs = 0;  // the window's first paint, type icons drawn
    double perRowMs = 0;      // first paint until the row's own icon, per row
    double oldPerRowMs = 0;   // SHGetFileInfo on the absolute list, per row
    double listingS = 0;
};

// The first screen's items, as the filer learns them: name, attributes and file data.
std::vector<Item> FirstScreen(IShellFolder& folder) {
    std::vector<Item> items;
    fw::ComPtr<IEnumIDList> list;
    if (FAILED(folder.EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                  list.put())) ||
        !list)
        return items;
    PITEMID_CHILD raw = nullptr;
    while (static_cast<int>(items.size()) < kScreenRows && list->Next(1, &raw, nullptr) == S_OK) {
        Item item;
        item.child = AdoptIdList(raw);
        STRRET reply{};
        if (FAILED(folder.GetDisplayNameOf(item.child.get(), SHGDN_NORMAL, &reply))) continue;
        item.name = StrRetToString(reply, item.child.get());
        PCUITEMID_CHILD one[] = {item.child.get()};
        item.attributes = 0xFFFFFFFF;
        if (FAILED(folder.GetAttributesOf(1, one, &item.attributes))) item.attributes = 0;
        ::SHGetDataFromIDListW(&folder, item.child.get(), SHGDFIL_FINDDATA, &item.data, sizeof(item.data));
        items.push_back(std::move(item));
    }
    return items;
}

double OldWayPerRow(PCIDLIST_ABSOLUTE folder, const std::vector<Item>& items) {
    const auto start = Clock::now();
    for (const Item& item : items) {
        const unique_absolute_idlist absolute = ConcatIdLists(folder, item.child.get());
        SHFILEINFOW info{};
        ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.get()), 0, &info, sizeof(info),
                         SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    }
    return items.empty() ? 0 : MillisecondsSince(start) / static_cast<double>(items.size());
}

// The window's first paint, then the queue pumped until every painted row has its own icon.
void NewWay(TPopupMenuManager& manager, PCIDLIST_ABSOLUTE folder, const std::vector<Item>& items,
            Figures& f) {
    auto* window = new TPopupMenuBase(&manager, &manager);
    std::vector<TimedRow*> rows;
    for (const Item& item : items) {
        auto* row = new TimedRow(ConcatIdLists(folder, item.child.get()), CopyIdList(item.child.get()));
        row->SetCaption(item.name);
        row->SetAttributes(item.attributes);
        row->SetFileAttributes(item.data.dwFileAttributes);
        row->SetFileName(item.data.cFileName);
        window->ButtonManager->AddEntry(row);
        rows.push_back(row);
    }
    window->ButtonManager->FinishLayout();
    window->SetLeft(50);
    window->SetTop(0);
    const auto start = Clock::now();
    window->Show();
    ::UpdateWindow(window->Handle());
    f.firstPaintMs = MillisecondsSince(start);
    const auto answered = [&] {
        return std::all_of(rows.begin(), rows.end(), [](TimedRow* r) { return !r->painted || r->applied; });
    };
    while (!answered() && SecondsSince(start) < 300) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Pump();
    }
    Clock::time_point last = start;
    for (TimedRow* row : rows) {
        if (!row->painted) continue;
        ++f.rows;
        last = std::max(last, row->appliedAt);
    }
    if (f.rows > 0) f.perRowMs = std::chrono::duration<double, std::milli>(last - start).count() / f.rows;
    window->Free();
    Pump();
}

Figures Measure(int files, TPopupMenuManager& manager) {
    std::printf("making %d files...\n", files);
    std::fflush(stdout);
    const BigFolder made(files);
    Figures f;
    const unique_absolute_idlist absolute = ParseDisplayPath(made.Path());
    const TShellFolder folder(absolute.get());
    if (!folder) return f;
    const auto start = Clock::now();
    const std::vector<Item> items = FirstScreen(*folder.Folder());
    f.listingS = SecondsSince(start);
    NewWay(manager, absolute.get(), items, f);
    f.oldPerRowMs = OldWayPerRow(absolute.get(), items);
    // The worker has gone with the last row: nothing of it outlives the folder.
    while (TIconFetcherCounts::RunningWorkers() > 0) ::Sleep(10);
    return f;
}

}  // namespace

int wmain() {
    fw::RequestPerMonitorDpiAwareness();
    ::OleInitialize(nullptr);
    int status = 0;
    {
        fw::Application app(::GetModuleHandleW(nullptr));
        TPopupMenuManager manager(nullptr);
        Measure(200, manager);  // warms the shell's caches of the types' icons for both sides alike
        const Figures small = Measure(1000, manager);
        const Figures big = Measure(100000, manager);
        for (const auto& [files, f] : {std::pair{1000, &small}, std::pair{100000, &big}}) {
            std::printf(
                "%6d files: %d rows; first paint %6.2f ms; own icon %6.3f ms per row (old SHGetFileInfo "
                "%7.3f ms per row); listing the first screen %.2f s\n",
                files, f->rows, f->firstPaintMs, f->perRowMs, f->oldPerRowMs, f->listingS);
        }
        const double ratio = small.perRowMs > 0 ? big.perRowMs / small.perRowMs : 0;
        const double oldRatio = small.oldPerRowMs > 0 ? big.oldPerRowMs / small.oldPerRowMs : 0;
        std::printf("per-row icon cost at 100,000 / at 1,000: %.2f (goal at most 2); the old way: %.2f\n",
                    ratio, oldRatio);
        if (ratio > 2 || small.rows == 0 || big.rows == 0) status = 1;
    }
    ::OleUninitialize();
    return status;
}
