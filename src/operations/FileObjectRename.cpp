// Renaming a shell item in place.
#include "operations/FileObject.h"

#include "operations/ShellCommands.h"
#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"
#include "shell/FileSystemPath.h"
#include "shell/ShellFolder.h"
#include "shell/TypeIcons.h"

#include <string_view>

namespace {

constexpr wchar_t kNoName[] = L"名前を入力してください。";
constexpr wchar_t kBadCharacters[] = L"名前には次の文字は使えません:\n\\ / : * ? \" < > |";
constexpr wchar_t kTooLong[] = L"名前が長すぎます。もっと短い名前を入力してください。";
constexpr wchar_t kNotRenamed[] = L"名前を変更できませんでした。";
// The longest name a file system takes for one file or folder.
constexpr size_t kLongestName = 255;

std::wstring DisplayName(IShellFolder& folder, PCUITEMID_CHILD item, SHGDNF flags) {
    STRRET reply{};
    if (FAILED(folder.GetDisplayNameOf(item, flags, &reply))) return {};
    return StrRetToString(reply, item);
}

// The system's text for an error, without its line break.
std::wstring ErrorText(HRESULT error) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result(text ? text : L"", n);
    if (text) ::LocalFree(text);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r')) result.pop_back();
    return result;
}

}  // namespace

void TFileObject::BeginRename() {
    if (!(Attributes & SFGAO_CANRENAME)) return;
    BeginEdit(IconSize() + Scale(kGap), 0, Caption());
}

void TFileObject::ApplyRename() {
    // The shell may ask the user something (a changed extension) in a loop of its own, and so may we.
    TEntryScope scope(*this);
    // A refill took the item off the window: it may be gone, and it is not ours to rename any more.
    if (Marked() || !EditBox) return;
    const std::wstring name = EditBox->Text();
    const TShellFolder parent(ParentIdList(AbsoluteId()).get());
    if (parent) {
        // Refused names and failed renames leave the box open with the name in it, for the user to mend.
        if (const wchar_t* refusal = NameRefusal(*parent.Folder(), name)) {
            Tell(refusal);
            return;
        }
        const HRESULT result = Rename(*parent.Folder(), name);
        if (Marked()) return;
        // ERROR_CANCELLED: the shell has told the user itself, or the user said no to its question.
        if (FAILED(result) && result != HRESULT_FROM_WIN32(ERROR_CANCELLED)) {
            const std::wstring why = ErrorText(result);
            Tell(why.empty() ? std::wstring(kNotRenamed) : std::wstring(kNotRenamed) + L"\n\n" + why);
            return;
        }
        if (FAILED(result)) return;
    }
    HideEditBox();
}

const wchar_t* TFileObject::NameRefusal(IShellFolder& parent, const std::wstring& name) const {
    // The file system drops blanks and dots at the end of a name: what remains must be a name.
    const size_t kept = name.find_last_not_of(L" .");
    if (name.empty() || ((Attributes & SFGAO_FILESYSTEM) && kept == std::wstring::npos)) return kNoName;
    if (!(Attributes & SFGAO_FILESYSTEM)) return nullptr;
    if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) return kBadCharacters;
    // A name shown without its extension gets it back from the shell.
    const std::wstring shown = DisplayName(parent, RelativeId(), SHGDN_INFOLDER);
    const std::wstring parsed = DisplayName(parent, RelativeId(), SHGDN_INFOLDER | SHGDN_FORPARSING);
    const size_t added =
        parsed.size() > shown.size() && parsed.starts_with(shown) ? parsed.size() - shown.size() : 0;
    const size_t length = name.size() + added;
    // The shell's rename takes no path of MAX_PATH or more: a longer one would be cut, extension first.
    const std::wstring folder = FileSystemPath(ParentIdList(AbsoluteId()).get());
    if (length > kLongestName || (!folder.empty() && folder.size() + 1 + length >= MAX_PATH)) return kTooLong;
    return nullptr;
}

void TFileObject::Tell(const std::wstring& text) {
    TPopupMenuBase* window = MenuWindow();
    ::MessageBoxW(window ? window->Handle() : ApplicationWindow(), text.c_str(), L"Quillbrook",
                  MB_OK | MB_ICONWARNING);
    if (Marked() || !EditBox) return;
    EditBox->SetFocus();
    EditBox->SelectAll();
}

HRESULT TFileObject::Rename(IShellFolder& parent, const std::wstring& name) {
    // The entry's own list stays as it is until the rename is known to have happened.
    const unique_child_idlist kept = CopyIdList(RelativeId());
    if (!kept) return E_OUTOFMEMORY;
    PITEMID_CHILD out = nullptr;
    // SHGDN_NORMAL: the name is a plain name inside the folder, the way the caption shows it.
    const HRESULT result =
        parent.SetNameOf(ApplicationWindow(), kept.get(), name.c_str(), SHGDN_NORMAL, &out);
    // Success is judged by the list handed out: some shells hand one out with a warning code.
    unique_child_idlist renamed = AdoptIdList(out);
    if (!renamed) return FAILED(result) ? result : E_FAIL;
    if (Marked()) return S_OK;
    unique_absolute_idlist absolute = ConcatIdLists(ParentIdList(AbsoluteId()).get(), renamed.get());
    if (!absolute) return S_OK;  // out of memory: the entry keeps the old name until the window refills
    relative_ = std::move(renamed);
    absolute_ = std::move(absolute);
    // The name the item now has, as the shell shows it: the file system may have kept another spelling
    // (a change of letter case only) or the shell may show it differently (a hidden extension).
    std::wstring caption = DisplayName(parent, RelativeId(), SHGDN_NORMAL);
    if (caption.empty()) caption = name;
    // The column keeps its width until the window lays out again; a new extension may bring a new icon.
    const int width = Width();
    SetCaption(caption);
    SetWidth(width);
    // A new extension brings a new type: the row asks for its icons again when next painted.
    if (fileKind_ != TTypeIcons::kNoName) {
        const std::wstring fileName = DisplayName(parent, RelativeId(), SHGDN_INFOLDER | SHGDN_FORPARSING);
        if (!fileName.empty()) SetFileName(fileName);
    }
    CancelIcon();
    iconPrepared_ = false;
    ownIconAsked_ = false;
    if (TPopupButtonManager* container = Container()) container->InvalidateRect(BoundsRect());
    return S_OK;
}
