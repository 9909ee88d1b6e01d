#include "BareListing.h"

#include "BenchSupport.h"
#include "framework/ComPtr.h"
#include "shell/IdList.h"
#include "shell/MergeSort.h"
#include "shell/ShellFolder.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace bench {

double BareListing(const std::wstring& path, bool details, int icons) {
    const auto start = Clock::now();
    const unique_absolute_idlist absolute = ParseDisplayPath(path);
    const TShellFolder folder(absolute.get());
    fw::ComPtr<IEnumIDList> items;
    constexpr SHCONTF kListed = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
    if (!folder || FAILED(folder->EnumObjects(nullptr, kListed, items.put())) || !items) return 0;
    std::vector<unique_child_idlist> children;
    PITEMID_CHILD raw = nullptr;
    while (items->Next(1, &raw, nullptr) == S_OK) {
        unique_child_idlist item = AdoptIdList(raw);
        if (details) {
            STRRET reply{};
            if (FAILED(folder->GetDisplayNameOf(item.get(), SHGDN_NORMAL, &reply))) continue;
            const std::wstring name = StrRetToString(reply, item.get());
            PCUITEMID_CHILD one[] = {item.get()};
            SFGAOF mask = 0xFFFFFFFF;
            folder->GetAttributesOf(1, one, &mask);
            WIN32_FIND_DATAW data{};
            ::SHGetDataFromIDListW(folder.Folder(), item.get(), SHGDFIL_FINDDATA, &data, sizeof(data));
        }
        children.push_back(std::move(item));
    }
    IShellFolder* order = folder.Folder();
    MergeSort(children, [order](const unique_child_idlist& a, const unique_child_idlist& b) {
        return static_cast<short>(HRESULT_CODE(order->CompareIDs(0, a.get(), b.get()))) < 0;
    });
    for (size_t i = 0; i < children.size() && i < static_cast<size_t>(icons); ++i) {
        const unique_absolute_idlist itemAbsolute = ConcatIdLists(absolute.get(), children[i].get());
        SHFILEINFOW info{};
        ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(itemAbsolute.get()), 0, &info, sizeof(info),
                         SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    }
    return SecondsSince(start);
}

}  // namespace bench
