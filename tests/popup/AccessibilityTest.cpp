// What a screen reader is told about a menu window. Wine's Active Accessibility cannot hand an object to
// a client, so the tests call the object the window hands out directly, and check that the window
// answers WM_GETOBJECT.
#include "popup/MenuAccessible.h"
#include "support/popup/MenuTest.h"
#include "popup/SeparateBar.h"
#include "popup/StringButton.h"
#include "popup/TreeButton.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using popuptest::AddCaptioned;

VARIANT Child(long id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring Name(IAccessible& object, long id) {
    BSTR name = nullptr;
    if (FAILED(object.get_accName(Child(id), &name)) || !name) return L"";
    std::wstring text(name, ::SysStringLen(name));
    ::SysFreeString(name);
    return text;
}

long Role(IAccessible& object, long id) {
    VARIANT role;
    ::VariantInit(&role);
    return SUCCEEDED(object.get_accRole(Child(id), &role)) && role.vt == VT_I4 ? role.lVal : -1;
}

long State(IAccessible& object, long id) {
    VARIANT state;
    ::VariantInit(&state);
    return SUCCEEDED(object.get_accState(Child(id), &state)) && state.vt == VT_I4 ? state.lVal : -1;
}

class Accessibility : public popuptest::MenuTest {
protected:
    // 1 "開く" (a submenu), 2 separator, 3 "実行する", 4 label.
    TPopupMenuBase* Menu() {
        TPopupMenuBase* w = NewWindow();
        w->SetCaption(L"ドキュメント");
        TPopupButtonManager& m = *w->ButtonManager;
        AddCaptioned(m, new TTreeButton([](TPopupButtonManager& sub) {
                         AddCaptioned(sub, new TPopupButton, L"中の項目");
                     }),
                     L"サブメニュー", 0);
        m.AddEntry(new TSeparateBar);
        run_ = AddCaptioned(m, new TPopupButton, L"実行する");
        run_->OnClick = [this](TPopupButtonBase&) { ++clicks_; };
        auto* label = new TLabel;
        label->SetCaption(L"(なし)");
        m.AddEntry(label);
        ShowAt(w, 200, 150);
        return w;
    }

    TPopupButton* run_ = nullptr;
    int clicks_ = 0;
};

TEST_F(Accessibility, TheWindowIsAMenuOfItsEntriesWithTheirNamesRolesAndStates) {
    TPopupMenuBase* w = Menu();
    IAccessible* object = w->Accessible();
    ASSERT_NE(object, nullptr);
    long count = 0;
    ASSERT_EQ(object->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(Name(*object, CHILDID_SELF), L"ドキュメント");
    EXPECT_EQ(Role(*object, CHILDID_SELF), ROLE_SYSTEM_MENUPOPUP);
    EXPECT_EQ(Name(*object, 1), L"サブメニュー");
    EXPECT_EQ(Role(*object, 1), ROLE_SYSTEM_MENUITEM);
    EXPECT_TRUE(State(*object, 1) & STATE_SYSTEM_HASPOPUP);
    EXPECT_EQ(Role(*object, 2), ROLE_SYSTEM_SEPARATOR);
    EXPECT_EQ(Name(*object, 3), L"実行する");
    EXPECT_FALSE(State(*object, 3) & STATE_SYSTEM_HASPOPUP);
    EXPECT_EQ(Role(*object, 4), ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(Name(*object, 4), L"(なし)");
    BSTR action = nullptr;
    ASSERT_EQ(object->get_accDefaultAction(Child(1), &action), S_OK);
    EXPECT_STREQ(action, L"開く");
    ::SysFreeString(action);

    // Where an entry is, and which entry is at a point.
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(object->accLocation(&left, &top, &width, &height, Child(3)), S_OK);
    const RECT r = popuptest::ScreenRect(run_);
    EXPECT_EQ(left, r.left);
    EXPECT_EQ(top, r.top);
    EXPECT_EQ(width, r.right - r.left);
    VARIANT hit;
    ::VariantInit(&hit);
    ASSERT_EQ(object->accHitTest(left + 3, top + 2, &hit), S_OK);
    EXPECT_EQ(hit.lVal, 3);

    // The entry under the mouse is hot and selected.
    qbtest::MoveMouseTo(popuptest::EntryCenter(run_));
    ASSERT_TRUE(qbtest::WaitUntil([&] { return (State(*object, 3) & STATE_SYSTEM_HOTTRACKED) != 0; }, 3s));
    VARIANT selected;
    ::VariantInit(&selected);
    ASSERT_EQ(object->get_accSelection(&selected), S_OK);
    EXPECT_EQ(selected.lVal, 3);
    EXPECT_FALSE(State(*object, 1) & STATE_SYSTEM_HOTTRACKED);

    // The window hands the same object out through WM_GETOBJECT.
    const LRESULT answer = ::SendMessageW(w->Handle(), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    EXPECT_GT(answer, 0);
    fw::ComPtr<IAccessible> fromWindow;
    if (SUCCEEDED(::ObjectFromLresult(answer, __uuidof(IAccessible), 0,
                                      reinterpret_cast<void**>(fromWindow.put())))) {
        EXPECT_EQ(Name(*fromWindow.get(), CHILDID_SELF), L"ドキュメント");
    }
}

TEST_F(Accessibility, TheDefaultActionOpensASubmenuOrClicksAndAGoneWindowIsReportedSo) {
    TPopupMenuBase* w = Menu();
    fw::ComPtr<IAccessible> held(w->Accessible());
    ASSERT_EQ(held->accDoDefaultAction(Child(1)), S_OK);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return w->ChildMenu != nullptr; }, 3s)) << "the submenu did not open";
    EXPECT_EQ(Name(*w->ChildMenu->Accessible(), 1), L"中の項目");
    ASSERT_EQ(held->accDoDefaultAction(Child(3)), S_OK);
    EXPECT_EQ(clicks_, 0) << "carried out inside the caller's call";
    ASSERT_TRUE(qbtest::WaitUntil([&] { return clicks_ == 1; }, 3s));
    EXPECT_EQ(held->accDoDefaultAction(Child(2)), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(held->accDoDefaultAction(Child(9)), E_INVALIDARG);

    // A screen reader that still holds the object after the window has gone is told so.
    w->Release();
    ASSERT_TRUE(qbtest::WaitUntil([&] { return fw::LiveCount<TPopupMenuBase>::Live() == 0; }, 3s));
    long count = 0;
    EXPECT_EQ(held->get_accChildCount(&count), RPC_E_DISCONNECTED);
    BSTR name = nullptr;
    EXPECT_EQ(held->get_accName(Child(1), &name), RPC_E_DISCONNECTED);
}

// Focus events as a screen reader's hook receives them: (window, entry).
std::vector<std::pair<HWND, long>> g_focusEvents;

void CALLBACK OnFocusEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT && child != CHILDID_SELF) g_focusEvents.emplace_back(window, child);
}

TEST_F(Accessibility, TheFocusFollowsTheKeyboardHighlightAndEveryMoveIsAnnounced) {
    TPopupMenuBase* w = Menu();
    g_focusEvents.clear();
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocusEvent,
                                           ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    IAccessible& object = *w->Accessible();
    auto announced = [&](HWND window, long id) {
        return qbtest::WaitUntil(
            [&] { return !g_focusEvents.empty() && g_focusEvents.back() == std::make_pair(window, id); }, 3s);
    };
    w->TakeFocus(false);
    qbtest::TapKey(VK_DOWN);
    EXPECT_TRUE(announced(w->Handle(), 1));
    VARIANT focus;
    ::VariantInit(&focus);
    ASSERT_EQ(object.get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.lVal, 1);
    EXPECT_TRUE(State(object, 1) & STATE_SYSTEM_FOCUSED);

    // Down skips the separator; the focus goes with the highlight.
    qbtest::TapKey(VK_DOWN);
    EXPECT_TRUE(announced(w->Handle(), 3));
    EXPECT_TRUE(State(object, 3) & STATE_SYSTEM_FOCUSED);
    EXPECT_FALSE(State(object, 1) & STATE_SYSTEM_FOCUSED);

    // Into the submenu and back: the reader hears the submenu's first entry, then the entry it came from.
    qbtest::TapKey(VK_UP);
    qbtest::TapKey(VK_RIGHT);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return w->ChildMenu != nullptr; }, 3s));
    EXPECT_TRUE(announced(w->ChildMenu->Handle(), 1));
    qbtest::TapKey(VK_LEFT);
    EXPECT_TRUE(announced(w->Handle(), 1));
    ::UnhookWinEvent(hook);
}

}  // namespace
