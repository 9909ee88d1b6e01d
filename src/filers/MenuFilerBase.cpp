#include "filers/MenuFilerBase.h"

#include "popup/Placement.h"
#include "popup/SearchRow.h"
#include "popup/SeparateBar.h"
#include "popup/StringButton.h"
#include "framework/TextConv.h"

#include "filers/SubFolderFiler.h"
#include "operations/FileButton.h"
#include "operations/FileObject.h"
#include "operations/FolderButton.h"

#include <memory>
#include <optional>
#include <utility>

namespace {
// Holds no use itself: the manager lives exactly as long as some filer window does.
constinit fw::SharedInstance<TFolderWatcherManager> g_watchers;
}  // namespace

TMenuFilerBase::TMenuFilerBase(fw::Component* owner, bool showTriangle, fw::Component* adopter,
                               const fw::FormParams& params)
    : TPopupMenuBase(owner, adopter, params),
      ShowTriangle(showTriangle),
      malloc_(TMalloc::Shared()),
      watchers_(g_watchers.Acquire([] { return std::make_unique<TFolderWatcherManager>(kWatchedFolders); })) {
}

TMenuFilerBase::~TMenuFilerBase() = default;

TFolderWatcherManager* TMenuFilerBase::Watchers() noexcept {
    return g_watchers.Current();
}

TPopupMenuBase* TMenuFilerBase::OpenSubFolder(TPopupButtonBase* entry) {
    auto* folder = dynamic_cast<TFileObject*>(entry);
    if (!folder) return nullptr;
    // Listing a folder may run a modal loop (the shell asks for a disk), in which the user may rest on
    // another folder of this window: that request waits for the running one and then takes its place, so
    // that the window never loses track of a submenu it opened. The last request wins.
    if (opening_) {
        pending_ = folder;
        return nullptr;
    }
    struct Opening {
        TMenuFilerBase& window;
        explicit Opening(TMenuFilerBase& w) : window(w) { window.opening_ = true; }
        ~Opening() {
            window.opening_ = false;
            window.pending_ = nullptr;
        }
    } opening(*this);
    TFileObject* target = folder;
    std::optional<TEntryScope> holdPending;
    for (;;) {
        TSubFolderFiler* child = MakeSubFolder(*target);
        if (Marked()) return nullptr;  // this window went while the child was being made
        TFileObject* next = std::exchange(pending_, nullptr);
        if (next && next != target && ButtonManager->Holds(next)) {
            if (child) child->Release();
            target = next;
            holdPending.reset();
            holdPending.emplace(*target);
            continue;
        }
        if (!child) return nullptr;
        ShowSubFolder(child, target);
        return target == folder ? child : nullptr;
    }
}

TSubFolderFiler* TMenuFilerBase::MakeSubFolder(TFileObject& entry) {
    CloseChild();
    // Listing a folder may take long (a network drive, a slow disk): meanwhile this window is busy making
    // its child and must not be closed automatically.
    Ready = false;
    TSubFolderFiler* child = nullptr;
    try {
        child = new TSubFolderFiler(this, ShowTriangle, entry, Adopter);
    } catch (...) {
        Ready = true;
        throw;
    }
    Ready = true;
    return child;
}

void TMenuFilerBase::ShowSubFolder(TSubFolderFiler* child, TPopupButtonBase* entry) {
    PlaceSubFolder(child, entry);
    child->Show();
    ChildMenu = child;
    ChildEntry = entry;
}

void TMenuFilerBase::PlaceSubFolder(TSubFolderFiler* child, TPopupButtonBase* entry) {
    PlaceChild(this, child, entry);
    if (ShowTriangle) {
        // The triangles point to the side where the new window's own children will open.
        const unsigned char side = child->OpensRight ? 1 : 0;
        for (TPopupButtonBase* e : *child->ButtonManager) {
            if (dynamic_cast<TFolderButton*>(e)) e->SetTriangleSide(side);
        }
    }
}

void TMenuFilerBase::KeyDown(WORD& key, fw::ShiftState shift) {
    if (key == 'F' && (shift & (fw::ssCtrl | fw::ssAlt | fw::ssShift)) == fw::ssCtrl) {
        OpenSearch();
        key = 0;
        return;
    }
    TPopupMenuBase::KeyDown(key, shift);
}

void TMenuFilerBase::OpenSearch() {
    if (search_) {
        search_->Focus();
        return;
    }
    auto* row = new TSearchRow;
    ButtonManager->InsertFirst(row);
    search_ = row;
    row->OnChange = [this](TSearchRow&) { ApplySearch(); };
    row->OnKey = [this](TSearchRow&, WORD& key, fw::ShiftState shift) { SearchKey(key, shift); };
    // A narrow window widens once for the field; a wider one gives the field what the rows leave.
    ButtonManager->FinishLayout();
    if (ButtonManager->ClientWidth() > ClientWidth()) SetClientWidth(ButtonManager->ClientWidth());
    FitHeightToWorkArea(this);
    row->Focus();
}

void TMenuFilerBase::CloseSearch() {
    EndSearchBelow();
    TSearchRow* row = std::exchange(search_, nullptr);
    if (!row) return;
    const bool focused = row->Focused();
    ButtonManager->ClearFilter();
    const int scroll = VertScrollPosition(this);
    ButtonManager->RemoveEntry(row);
    ButtonManager->FinishLayout();
    FitHeightToWorkArea(this);
    if (VertScrollBar().IsShowing()) VertScrollBar().SetPosition(scroll);
    if (focused) SetFocus();
}

void TMenuFilerBase::ApplySearch() {
    if (!search_) return;
    // Every key starts the search below again, after a pause.
    EndSearchBelow();
    const std::wstring text = search_->Text();
    if (!text.empty() && !SearchRoot().empty()) {
        if (!belowLater_) {
            belowLater_ = new fw::Timer(this);
            belowLater_->SetInterval(kSearchPause);
            belowLater_->OnTimer = [this](fw::Timer& timer) {
                timer.SetEnabled(false);
                StartSearchBelow();
            };
        }
        belowLater_->SetEnabled(false);
        belowLater_->SetEnabled(true);
    }
    if (text.empty()) {
        ButtonManager->ClearFilter();
    } else {
        ButtonManager->SetFilter(text, search_);
    }
    FitScrollRange(this);
    if (VertScrollBar().IsShowing()) VertScrollBar().SetPosition(0);
    // The first match is where Enter acts.
    if (!text.empty()) ButtonManager->MoveHighlight(THighlightMove::First);
    Invalidate();
}

void TMenuFilerBase::SearchKey(WORD& key, fw::ShiftState shift) {
    if (key == VK_ESCAPE) {
        key = 0;
        CloseSearch();
        return;
    }
    // The rows' keys, while the typing goes on in the field.
    WORD pressed = key;
    key = 0;
    TPopupMenuBase::KeyDown(pressed, shift);
}

std::optional<TMenuFilerBase::CarriedSearch> TMenuFilerBase::TakeSearch() const {
    if (!search_) return std::nullopt;
    return CarriedSearch{search_->Text(), search_->Focused()};
}

void TMenuFilerBase::ResumeSearch(const std::optional<CarriedSearch>& search) {
    if (!search) return;
    OpenSearch();
    if (!search_) return;
    search_->SetText(search->text);
    ApplySearch();
    if (!search->focused) SetFocus();
}

LRESULT TMenuFilerBase::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kFound) {
        FoundArrived();
        return 0;
    }
    return TPopupMenuBase::WndProc(msg, wParam, lParam);
}

void TMenuFilerBase::EndSearchBelow() {
    if (belowLater_) belowLater_->SetEnabled(false);
    below_.reset();
    std::vector<TPopupButtonBase*> gone = std::move(found_);
    found_.clear();
    separator_ = nullptr;
    if (gone.empty()) return;
    ButtonManager->RemoveEntries(gone);
    FitHeightToWorkArea(this);
}

void TMenuFilerBase::StartSearchBelow() {
    if (!search_) return;
    const std::wstring root = SearchRoot();
    const std::wstring text = search_->Text();
    if (root.empty() || text.empty()) return;
    try {
        below_.reset(TTreeSearch::Start(root, fw::FoldForSearch(text), Handle(), kFound,
                                        TTreeSearch::Limits{kFoundMost, kSearchTime}));
    } catch (const std::exception&) {
        below_.reset();  // no thread: the window's own matches are all there is
    }
}

void TMenuFilerBase::FoundArrived() {
    if (!below_ || !search_) return;
    const bool done = below_->Done();
    std::vector<TFoundItem> found = below_->TakeFound();
    std::vector<TPopupButtonBase*> rows;
    if (!found.empty() && !separator_) {
        separator_ = new TSeparateBar;
        ButtonManager->Pin(separator_);
        rows.push_back(separator_);
    }
    for (TFoundItem& f : found) {
        unique_child_idlist child = LastItemOf(f.item.get());
        if (!child) continue;
        ULONG mask = SFGAO_FILESYSTEM;
        if (f.folder) mask |= SFGAO_FOLDER;
        TFileObject* entry =
            f.folder ? static_cast<TFileObject*>(new TFolderButton(std::move(f.item), std::move(child)))
                     : static_cast<TFileObject*>(new TFileButton(std::move(f.item), std::move(child)));
        if (ShowTriangle && f.folder) entry->SetTriangleSide(OpensRight ? 1 : 0);
        entry->SetCaption(f.name);
        entry->Note = f.where;
        entry->SetAttributes(mask);
        entry->SetFileAttributes(f.attributes);
        entry->SetFileName(f.name);
        rows.push_back(entry);
    }
    if (done && below_->CutShort()) {
        auto* label = new TLabel;
        label->SetCaption(kCutShort);
        ButtonManager->Pin(label);
        rows.push_back(label);
    }
    if (done) below_.reset();
    if (rows.empty()) return;
    // Found rows come below the others: the highlight and what a key or click acts on stay where they are.
    ButtonManager->AddEntries(rows);
    found_.insert(found_.end(), rows.begin(), rows.end());
    ButtonManager->FinishLayout();
    FitHeightToWorkArea(this);
}
