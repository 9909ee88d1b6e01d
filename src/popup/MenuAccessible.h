// What a screen reader learns of a menu window. The window is a popup menu named by its caption; its
// entries are its children 1..N in display order: menu items named by their captions ("has popup" for
// those that open a submenu, hot under the mouse, focused under the highlight), separators, and labels
// as static text. A row that holds a real control (an edit field, a check box) hands out the control's
// own accessible object where the platform gives one, and otherwise tells its kind, value and check
// state itself.
//
// The window makes the object on the first WM_GETOBJECT and disconnects it when the window goes; a
// client still holding it then gets RPC_E_DISCONNECTED.
#pragma once

#include "framework/ComObject.h"

#include <oleacc.h>
#include <windows.h>

#include <string>

class TPopupMenuBase;
class TPopupButtonBase;

class TMenuAccessible final : public fw::ComObject<IAccessible> {
public:
    explicit TMenuAccessible(TPopupMenuBase& window) noexcept : window_(&window) {}

    void Disconnect() noexcept { window_ = nullptr; }
    // The child id of a live entry (1-based, its place in the window), or CHILDID_SELF for none.
    long ChildIdOf(const TPopupButtonBase* entry) const noexcept;

    // IDispatch: not offered (clients use the IAccessible methods).
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) noexcept override;

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) noexcept override;
    STDMETHODIMP get_accChildCount(long* count) noexcept override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) noexcept override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) noexcept override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) noexcept override;
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) noexcept override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) noexcept override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) noexcept override;
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) noexcept override;
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) noexcept override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) noexcept override;
    STDMETHODIMP get_accFocus(VARIANT* child) noexcept override;
    STDMETHODIMP get_accSelection(VARIANT* children) noexcept override;
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) noexcept override;
    STDMETHODIMP accSelect(long flags, VARIANT child) noexcept override;
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height,
                             VARIANT child) noexcept override;
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) noexcept override;
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) noexcept override;
    STDMETHODIMP accDoDefaultAction(VARIANT child) noexcept override;
    STDMETHODIMP put_accName(VARIANT, BSTR) noexcept override;
    STDMETHODIMP put_accValue(VARIANT, BSTR) noexcept override;

private:
    ~TMenuAccessible() override = default;  // only the last Release ends it

    // The entry a child id names: S_OK with the entry, or with null for the window itself; E_INVALIDARG for
    // an id out of range, RPC_E_DISCONNECTED when the window has gone.
    HRESULT Entry(const VARIANT& child, TPopupButtonBase** entry) const noexcept;
    // The real control inside an entry's row, if it holds one.
    HWND ControlOf(const TPopupButtonBase& entry) const noexcept;
    HWND WindowHandle() const noexcept;

    TPopupMenuBase* window_;
};
