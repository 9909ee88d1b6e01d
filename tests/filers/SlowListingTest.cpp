// Folder windows on a folder whose listing takes as long as the test wants: a folder of the test's own,
// bound in place of the real one, whose enumeration waits at a gate. The window shows "読み込み中…" and
// then its rows, keeps its rows while a refill is listed, lists once more for changes that came meanwhile,
// and a window closed while its folder is listed leaves nothing behind when the listing ends.
#include "filers/SubFolderFiler.h"
#include "framework/ComObject.h"
#include "support/MallocSpy.h"
#include "support/operations/ShellEntryTest.h"

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Items are one SHITEMID each, holding the name.
PITEMID_CHILD MakeChild(const std::wstring& name) {
    const UINT bytes = static_cast<UINT>(sizeof(USHORT) + (name.size() + 1) * sizeof(wchar_t));
    auto* item = static_cast<BYTE*>(::CoTaskMemAlloc(bytes + sizeof(USHORT)));
    *reinterpret_cast<USHORT*>(item) = static_cast<USHORT>(bytes);
    ::memcpy(item + sizeof(USHORT), name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    *reinterpret_cast<USHORT*>(item + bytes) = 0;
    return reinterpret_cast<PITEMID_CHILD>(item);
}
const wchar_t* NameOf(PCUIDLIST_RELATIVE item) {
    return reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(item) + sizeof(USHORT));
}

// The folder: its listing hands out the names it holds once the gate is open.
class GateFolder final : public fw::ComObject<IShellFolder> {
public:
    HANDLE gate = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // Names from "r" on are given only once this is open (rows far down a big folder).
    HANDLE nameGate = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
    std::atomic<int> listings{0};
    std::mutex lock;
    std::vector<std::wstring> names;

    class Items final : public fw::ComObject<IEnumIDList> {
    public:
        Items(HANDLE gate, std::vector<std::wstring> names) : gate_(gate), names_(std::move(names)) {}
        STDMETHODIMP Next(ULONG, PITEMID_CHILD* out, ULONG* fetched) noexcept override {
            if (fetched) *fetched = 0;
            ::WaitForSingleObject(gate_, INFINITE);
            if (next_ >= names_.size()) return S_FALSE;
            *out = MakeChild(names_[next_++]);
            if (fetched) *fetched = 1;
            return S_OK;
        }
        STDMETHODIMP Skip(ULONG) noexcept override { return E_NOTIMPL; }
        STDMETHODIMP Reset() noexcept override { return E_NOTIMPL; }
        STDMETHODIMP Clone(IEnumIDList**) noexcept override { return E_NOTIMPL; }

    private:
        ~Items() override = default;
        HANDLE gate_;
        std::vector<std::wstring> names_;
        size_t next_ = 0;
    };

    STDMETHODIMP EnumObjects(HWND, SHCONTF, IEnumIDList** out) noexcept override {
        ++listings;
        const std::lock_guard hold(lock);
        *out = new Items(gate, names);
        return S_OK;
    }
    STDMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF, STRRET* name) noexcept override {
        if (NameOf(item)[0] == L'r') ::WaitForSingleObject(nameGate, INFINITE);
        const size_t bytes = (::lstrlenW(NameOf(item)) + 1) * sizeof(wchar_t);
        name->uType = STRRET_WSTR;
        name->pOleStr = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
        if (!name->pOleStr) return E_OUTOFMEMORY;
        ::memcpy(name->pOleStr, NameOf(item), bytes);
        return S_OK;
    }
    STDMETHODIMP GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF* mask) noexcept override {
        *mask = 0;
        return S_OK;
    }
    STDMETHODIMP CompareIDs(LPARAM, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) noexcept override {
        const int c = ::lstrcmpW(NameOf(a), NameOf(b));
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(static_cast<short>(c < 0 ? -1 : c > 0)));
    }
    STDMETHODIMP ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*,
                                  ULONG*) noexcept override {
        return E_NOTIMPL;
    }
    STDMETHODIMP BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) noexcept override {
        return E_NOTIMPL;
    }
    STDMETHODIMP BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) noexcept override {
        return E_NOTIMPL;
    }
    STDMETHODIMP CreateViewObject(HWND, REFIID, void**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void**) noexcept override {
        return E_NOTIMPL;
    }
    STDMETHODIMP SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) noexcept override {
        return E_NOTIMPL;
    }

private:
    ~GateFolder() override {
        ::CloseHandle(gate);
        ::CloseHandle(nameGate);
    }
};

GateFolder* g_folder = nullptr;

class SlowListing : public optest::ShellEntryTest {
protected:
    void SetUp() override {
        ShellEntryTest::SetUp();
        folder = fw::ComPtr<GateFolder>::Attach(new GateFolder);
        folder->names = {L"b", L"c", L"a"};
        g_folder = folder.get();
        TSubFolderFiler::ListingBinder = [](PCIDLIST_ABSOLUTE) { return fw::ComPtr<IShellFolder>(g_folder); };
        budget_ = std::exchange(TSubFolderFiler::ListingBudget, 50);
    }
    void TearDown() override {
        ::SetEvent(folder->gate);
        ::SetEvent(folder->nameGate);
        TSubFolderFiler::ListingBinder = nullptr;
        TSubFolderFiler::ListingBudget = budget_;
        ShellEntryTest::TearDown();
    }
    static std::vector<std::wstring> Captions(const TPopupMenuBase* w) {
        std::vector<std::wstring> captions;
        for (TPopupButtonBase* e : *w->ButtonManager) captions.push_back(*e->CaptionText());
        return captions;
    }
    fw::ComPtr<GateFolder> folder;

private:
    unsigned long budget_ = 0;
};

TEST_F(SlowListing, ShowsLoadingThenItsRowsAndKeepsThemWhileARefillIsListed) {
    TSubFolderFiler* w = TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Path(), false);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Captions(w), std::vector<std::wstring>{TSubFolderFiler::kLoading});
    ::SetEvent(folder->gate);
    ASSERT_TRUE(qbtest::WaitUntil([w] { return !w->ListingPending(); }, 5s));
    EXPECT_EQ(Captions(w), (std::vector<std::wstring>{L"a", L"b", L"c"}));

    // Changes while a refill is listed: the rows stay, and one more listing follows the running one.
    ::ResetEvent(folder->gate);
    {
        const std::lock_guard hold(folder->lock);
        folder->names.push_back(L"d");
    }
    w->Refill();
    w->Refill();
    w->Refill();
    qbtest::PumpFor(200ms);
    EXPECT_EQ(Captions(w), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    ::SetEvent(folder->gate);
    ASSERT_TRUE(qbtest::WaitUntil([w] { return !w->ListingPending(); }, 5s));
    EXPECT_EQ(Captions(w), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(folder->listings, 3) << "the first, the refill, and one more for what came meanwhile";
}

TEST_F(SlowListing, ABigFolderShowsItsFirstScreenBeforeTheRowsFarDownAreNamed) {
    // The first screen, a full batch below it, and rows whose names take long.
    constexpr int kNamed = static_cast<int>(TFolderListing::kFirstBatch + TFolderListing::kBatch);
    folder->names.clear();
    for (int i = 0; i < kNamed + 10; ++i)
        folder->names.push_back((i < kNamed ? L"a" : L"r") + std::to_wstring(10000 + i));
    ::ResetEvent(folder->nameGate);
    ::SetEvent(folder->gate);
    TSubFolderFiler* w = TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Path(), false);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(qbtest::WaitUntil([w] { return w->ButtonManager->EntryCount() >= 128; }, 5s));
    EXPECT_EQ(*w->ButtonManager->Entries(0)->CaptionText(), L"a10000");
    EXPECT_TRUE(w->ListingPending());
    // Rows that came below a window already as tall as its screen are where the mouse finds them.
    auto hitsRow = [w](int index) {
        const TPopupButtonBase* e = w->ButtonManager->Entries(index);
        return e && w->ButtonManager->EntryAt(e->Left() + e->Width() / 2, e->Top() + e->Height() / 2) == e;
    };
    ASSERT_TRUE(qbtest::WaitUntil([w] { return w->ButtonManager->EntryCount() == kNamed; }, 5s));
    EXPECT_TRUE(hitsRow(0) && hitsRow(1000) && hitsRow(kNamed - 1));
    ::SetEvent(folder->nameGate);
    ASSERT_TRUE(qbtest::WaitUntil([w] { return !w->ListingPending(); }, 5s));
    ASSERT_EQ(w->ButtonManager->EntryCount(), kNamed + 10);
    EXPECT_EQ(*w->ButtonManager->Entries(kNamed + 9)->CaptionText(),
              L"r" + std::to_wstring(10000 + kNamed + 9));
    EXPECT_TRUE(hitsRow(kNamed) && hitsRow(kNamed + 9));
}

TEST_F(SlowListing, AWindowClosedWhileItsFolderIsListedLeavesNothingBehind) {
    ::SetEvent(folder->gate);
    TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Path(), false);
    menus->DestroyComponents();  // the shell keeps a few blocks of its own after a first use
    ::ResetEvent(folder->gate);
    const int windowsBefore = fw::LiveCount<TPopupMenuBase>::Live();
    HANDLE worker = nullptr;
    {
        qbtest::MallocSpyScope spy;
        TSubFolderFiler* w = TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Path(), false);
        ASSERT_TRUE(w && w->Listing());
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), w->Listing()->Thread(), ::GetCurrentProcess(),
                                      &worker, SYNCHRONIZE, FALSE, 0));
        menus->DestroyComponents();
        ::SetEvent(folder->gate);
        EXPECT_EQ(::WaitForSingleObject(worker, 5000), WAIT_OBJECT_0) << "the worker did not end";
        qbtest::PumpFor(100ms);
        EXPECT_EQ(spy.Outstanding(), 0u);
    }
    ::CloseHandle(worker);
    EXPECT_EQ(fw::LiveCount<TPopupMenuBase>::Live(), windowsBefore);
}

}  // namespace
