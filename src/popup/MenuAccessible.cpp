#include "popup/MenuAccessible.h"

#include "framework/HResult.h"
#include "popup/PopupBase.h"
#include "popup/SeparateBar.h"
#include "popup/StringButton.h"

#include <string>

namespace {

// What the default action of an entry is called.
constexpr wchar_t kOpen[] = L"開く";
constexpr wchar_t kRun[] = L"実行";

HRESULT ToBstr(const std::wstring& text, BSTR* out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    ::GetClassNameW(w, name, 64);
    return name;
}

std::wstring TextOf(HWND w) {
    const int length = ::GetWindowTextLengthW(w);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(w, text.data(), length + 1)));
    return text;
}

bool IsCheckBox(HWND control) {
    if (_wcsicmp(ClassOf(control).c_str(), L"Button") != 0) return false;
    const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}

bool IsSeparator(const TPopupButtonBase& entry) {
    return dynamic_cast<const TSeparateBar*>(&entry) != nullptr;
}

bool IsLabel(const TPopupButtonBase& entry) {
    return dynamic_cast<const TLabel*>(&entry) != nullptr;
}

RECT EntryOnScreen(const TPopupButtonBase& entry) {
    const POINT tl = entry.Container()->ClientToScreen(POINT{entry.Left(), entry.Top()});
    return RECT{tl.x, tl.y, tl.x + entry.Width(), tl.y + entry.Height()};
}

}  // namespace

HWND TMenuAccessible::WindowHandle() const noexcept {
    return window_ ? window_->Handle() : nullptr;
}

long TMenuAccessible::ChildIdOf(const TPopupButtonBase* entry) const noexcept {
    if (!window_ || !window_->ButtonManager) return CHILDID_SELF;
    const int index = window_->ButtonManager->IndexOf(entry);
    return index >= 0 ? index + 1 : CHILDID_SELF;
}

HRESULT TMenuAccessible::Entry(const VARIANT& child, TPopupButtonBase** entry) const noexcept {
    *entry = nullptr;
    if (!window_ || !window_->ButtonManager) return RPC_E_DISCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) return S_OK;
    *entry = window_->ButtonManager->Entries(child.lVal - 1);
    return *entry ? S_OK : E_INVALIDARG;
}

HWND TMenuAccessible::ControlOf(const TPopupButtonBase& entry) const noexcept {
    HWND window = WindowHandle();
    if (!window) return nullptr;
    // An edit field before anything else in its row (a browse button beside it is its helper).
    const RECT row = EntryOnScreen(entry);
    HWND found = nullptr;
    for (HWND c = ::GetWindow(window, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(c)) continue;
        RECT r{};
        RECT common{};
        ::GetWindowRect(c, &r);
        if (!::IntersectRect(&common, &r, &row)) continue;
        if (_wcsicmp(ClassOf(c).c_str(), L"Edit") == 0) return c;
        if (!found) found = c;
    }
    return found;
}

STDMETHODIMP TMenuAccessible::GetTypeInfoCount(UINT* count) noexcept {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP TMenuAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TMenuAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept {
    return E_NOTIMPL;
}

STDMETHODIMP TMenuAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept {
    return E_NOTIMPL;
}

STDMETHODIMP TMenuAccessible::get_accParent(IDispatch** parent) noexcept {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    HWND window = WindowHandle();
    if (!window) return RPC_E_DISCONNECTED;
    // The window's frame, as the platform describes it.
    if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                            reinterpret_cast<void**>(parent)))) {
        *parent = nullptr;
        return S_FALSE;
    }
    return S_OK;
}

STDMETHODIMP TMenuAccessible::get_accChildCount(long* count) noexcept {
    if (!count) return E_POINTER;
    *count = 0;
    if (!window_ || !window_->ButtonManager) return RPC_E_DISCONNECTED;
    *count = window_->ButtonManager->EntryCount();
    return S_OK;
}

STDMETHODIMP TMenuAccessible::get_accChild(VARIANT child, IDispatch** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    TPopupButtonBase* entry = nullptr;
    RETURN_IF_FAILED(Entry(child, &entry));
    if (!entry) return E_INVALIDARG;
    if (HWND control = ControlOf(*entry)) {
        if (SUCCEEDED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IDispatch,
                                                   reinterpret_cast<void**>(object))) &&
            *object) {
            return S_OK;
        }
        *object = nullptr;
    }
    return S_FALSE;  // a simple element: ask this object about it
}

STDMETHODIMP TMenuAccessible::get_accName(VARIANT child, BSTR* name) noexcept {
    if (!name) return E_POINTER;
    *name = nullptr;
    TPopupButtonBase* entry = nullptr;
    RETURN_IF_FAILED(Entry(child, &entry));
    try {
        return ToBstr(entry ? entry->SpokenName() : TextOf(WindowHandle()), name);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP TMenuAccessible::get_accValue(VARIANT child, BSTR* value) noexcept {
    if (!value) return E_POINTER;
    *value = nullptr;
    TPopupButtonBase* entry = nullptr;
    RETURN_IF_FAILED(Entry(child, &entry));
    HWND control = entry ? ControlOf(*entry) : nullptr;
    if (!control || IsCheckBox(control)) return S_FALSE;
    try {
        return ToBstr(TextOf(control), value);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP TMenuAccessible::get_accDescription(VARIANT, BSTR* description) noexcept {
    if (description) *description = nullptr;
    return S_FALSE;
}

STDMETHODIMP TMenuAccessible::get_accRole(VARIANT child, VARIANT* role) noexcept {
    if (!role) return E_POINTER;
    ::VariantInit(role);
    TPopupButtonBase* entry = nullptr;
    RETURN_IF_FAILED(Entry(child, &entry));
    role->vt = VT_I4;
    if (!entry) {
        role->lVal = ROLE_SYSTEM_MENUPOPUP;
    } else if (IsSeparator(*entry)) {
        role->lVal = ROLE_SYSTEM_SEPARATOR;
    } else if (IsLabel(*entry)) {
        role->lVal = ROLE_SYSTEM_STATICTEXT;
    } else if (HWND control = ControlOf(*entry)) {
        role->lVal = IsCheckBox(control) ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_TEXT;
    } else {
        role->lVal = ROLE_SYSTEM_MENUITEM;
    }
    return S_OK;
}

STDMETHODIMP TMenuAccessible::get_accState(VARIANT child, VARIANT* state) noexcept {
    if (!state) return E_POINTER;
    ::VariantInit(state);
    TPopupButtonBase* entry = nullptr;
    RETURN_IF_FAILED(Entry(child, &entry));
    HWND window = WindowHandle();
    long bits = 0;
    if (!::IsWindowVisible(window)) bits |= STATE_SYSTEM_INVISIBLE;
    if (!entry) {
        if (::GetFocus() == window) bits |= STATE_SYSTEM_FOCUSED;
        bits |= STATE_SYSTEM_FOCUSABLE;
    } else if (IsSeparator(*entry) || IsLabel(*entry)) {
        bits |= STATE_SYSTEM_UNAVAILABLE;
    } else {
        bits |= STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
        const bool highlighted = window_->ButtonManager->HotEntry() == entry;
        if (highlighted) bits |= STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_SELECTED;
        if (highlighted && ::GetFocus() == window) bits |= STATE_SYSTEM_FOCUSED;
        if (entry->HasSubmenu()) bits |= STATE_SYSTEM_HASPOPUP;
        if (HWND control = ControlOf(*entry)) {
            if (IsCheckBox(control) && ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                bits |= STATE_SYSTEM_CHECKED;
            }
        }
        RECT client{};
        ::GetClientRect(window, &client);
        ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const RECT row = EntryOnScreen(*entry);
        RECT common{};
        if (!::IntersectRect(&common, &row, &client)) bits |= STATE_SYSTEM_OFFSCREEN;
    }
    state->vt = VT_I4;
    state->lVal = bits;
    return S_OK;
}

STDMETHODIMP TMenuAccessible::get_accHelp(VARIANT, BSTR* help) noexcept {
    if (help) *help = nullptr;
    return S_FALSE;
}

STDMETHODIMP TMenuAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) noexcept {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
}

STDMETHODIMP TMenuAccessible::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) noexcept {
    if (shortcut) *shortcut = nullptr;
    return S_FALSE;
}

STDMETHODIMP TMenuAccessible::get_accFocus(VARIANT* child) noexcept {
    if (!child) return E_POINTER;
    ::VariantInit(child);
    HWND window = WindowHandle();
    if (!window) return RPC_E_DISCONNECTED;
    if (::GetFocus() != window) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = ChildIdOf(window_->ButtonManager->HotEntry());
    return S_OK;
}

STDMETHODIMP TMenuAccessible::get_accSelection(VARIANT* children) noexcept {
    if (!children) return E_POINTER;
    ::VariantInit(children);
    if (!window_ || !window_->ButtonManager) return RPC_E_DISCONNECTED;
    const long id = ChildIdOf(window_->ButtonManager->HotEntry());
    if (id == CHILDID_SELF) return S_FALSE;
    children->vt = VT_I4;
    children->lVal = id;
    return S_OK;
}

STDMETHODIMP TMenuAccessible::get_accDefaultAction(VARIANT child, BSTR* action) noexcept {
    if (!action) return E_POINTER;
    *action = nullptr;
    TPopupButtonBase* entry = nullptr;
    RETURN_IF_FAILED(Entry(child, &entry));
    if (!entry || IsSeparator(*entry) || IsLabel(*entry) || ControlOf(*entry)) return S_FALSE;
    return ToBstr(entry->HasSubmenu() ? kOpen : kRun, action);
}

STDMETHODIMP TMenuAccessible::accSelect(long, VARIANT) noexcept {
    return window_ ? DISP_E_MEMBERNOTFOUND : RPC_E_DISCONNECTED;
}

STDMETHODIMP TMenuAccessible::accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) noexcept {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    TPopupButtonBase* entry = nullptr;
    RETURN_IF_FAILED(Entry(child, &entry));
    RECT r{};
    if (entry) {
        r = EntryOnScreen(*entry);
    } else {
        ::GetWindowRect(WindowHandle(), &r);
    }
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

STDMETHODIMP TMenuAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) noexcept {
    if (!end) return E_POINTER;
    ::VariantInit(end);
    TPopupButtonBase* entry = nullptr;
    RETURN_IF_FAILED(Entry(start, &entry));
    const long count = window_->ButtonManager->EntryCount();
    long id = 0;
    if (!entry) {
        if (direction == NAVDIR_FIRSTCHILD) id = 1;
        if (direction == NAVDIR_LASTCHILD) id = count;
    } else {
        const long from = start.lVal;
        if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) id = from + 1;
        if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) id = from - 1;
    }
    if (id < 1 || id > count) return S_FALSE;
    end->vt = VT_I4;
    end->lVal = id;
    return S_OK;
}

STDMETHODIMP TMenuAccessible::accHitTest(long x, long y, VARIANT* child) noexcept {
    if (!child) return E_POINTER;
    ::VariantInit(child);
    HWND window = WindowHandle();
    if (!window) return RPC_E_DISCONNECTED;
    POINT p{x, y};
    RECT client{};
    ::GetClientRect(window, &client);
    ::ScreenToClient(window, &p);
    if (!::PtInRect(&client, p)) return S_FALSE;
    const TPopupButtonManager& entries = *window_->ButtonManager;
    child->vt = VT_I4;
    child->lVal = ChildIdOf(entries.EntryAt(p.x - entries.Left(), p.y - entries.Top()));
    return S_OK;
}

STDMETHODIMP TMenuAccessible::accDoDefaultAction(VARIANT child) noexcept {
    TPopupButtonBase* entry = nullptr;
    RETURN_IF_FAILED(Entry(child, &entry));
    if (!entry || IsSeparator(*entry) || IsLabel(*entry)) return DISP_E_MEMBERNOTFOUND;
    // Carried out from the window's queue like a click, never inside the caller's call.
    return window_->PostDefaultAction(child.lVal - 1) ? S_OK : E_FAIL;
}

STDMETHODIMP TMenuAccessible::put_accName(VARIANT, BSTR) noexcept {
    return E_NOTIMPL;
}

STDMETHODIMP TMenuAccessible::put_accValue(VARIANT, BSTR) noexcept {
    return E_NOTIMPL;
}
