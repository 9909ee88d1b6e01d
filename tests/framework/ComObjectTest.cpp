// COM objects we hand out: one identity, an exact reference count under concurrent use, and deletion at the
// last Release, also when OLE holds references of its own.
#include "framework/ComObject.h"
#include "framework/UtilityWindow.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <atomic>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

class TestDropSource final : public fw::ComObject<IDropSource, IDropSourceNotify> {
public:
    static inline int live = 0;
    TestDropSource() { ++live; }

    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD) noexcept override {
        return escape ? DRAGDROP_S_CANCEL : S_OK;
    }
    STDMETHODIMP GiveFeedback(DWORD) noexcept override { return DRAGDROP_S_USEDEFAULTCURSORS; }
    STDMETHODIMP DragEnterTarget(HWND) noexcept override { return S_OK; }
    STDMETHODIMP DragLeaveTarget() noexcept override { return S_OK; }

private:
    ~TestDropSource() override { --live; }
};

// Only the last Release ends it: no delete, no object on the stack.
template <class T>
concept Deletable = requires(T* p) {
    delete p;
};
static_assert(!Deletable<TestDropSource>);
static_assert(!std::is_destructible_v<TestDropSource>);

class TestDropTarget final : public fw::ComObject<IDropTarget> {
public:
    static inline int live = 0;
    TestDropTarget() { ++live; }

    STDMETHODIMP DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) noexcept override {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) noexcept override {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    STDMETHODIMP DragLeave() noexcept override { return S_OK; }
    STDMETHODIMP Drop(IDataObject*, DWORD, POINTL, DWORD* effect) noexcept override {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }

private:
    ~TestDropTarget() override { --live; }
};

IUnknown* IdentityOf(IUnknown* object) {
    fw::ComPtr<IUnknown> identity;
    if (FAILED(object->QueryInterface(IID_PPV_ARGS(identity.put())))) return nullptr;
    return identity.get();  // still held by the caller's reference
}

TEST(ComObject, AnswersItsInterfacesWithOneIdentity) {
    {
        const fw::ComPtr<TestDropSource> source = fw::MakeComObject<TestDropSource>();
        IDropSource* asSource = source.get();
        fw::ComPtr<IDropSourceNotify> notify;
        ASSERT_HRESULT_SUCCEEDED(asSource->QueryInterface(IID_PPV_ARGS(notify.put())));
        EXPECT_EQ(notify->DragLeaveTarget(), S_OK);
        ASSERT_NE(IdentityOf(asSource), nullptr);
        EXPECT_EQ(IdentityOf(asSource), IdentityOf(notify.get()));

        void* other = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(asSource->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
        EXPECT_EQ(other, nullptr);
        EXPECT_EQ(asSource->QueryInterface(IID_IDropSource, nullptr), E_POINTER);
        EXPECT_EQ(TestDropSource::live, 1);
    }
    EXPECT_EQ(TestDropSource::live, 0) << "every reference a query handed out was given back";
}

TEST(ComObject, CountsExactlyUnderConcurrentUseAndEndsAtTheLastRelease) {
    fw::ComPtr<TestDropSource> source = fw::MakeComObject<TestDropSource>();
    // Through the interface, as OLE calls it; all threads start together.
    IDropSource* const shared = source.get();
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            while (!go) std::this_thread::yield();
            for (int n = 0; n < 5000; ++n) {
                // Held across a call the compiler cannot see into, so that no count is optimised away.
                for (int k = 0; k < 8; ++k) shared->AddRef();
                std::this_thread::yield();
                for (int k = 0; k < 8; ++k) shared->Release();
            }
        });
    }
    go = true;
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(TestDropSource::live, 1);
    EXPECT_EQ(source->AddRef(), 2u);
    EXPECT_EQ(source->Release(), 1u);

    fw::ComPtr<IDropSource> copy(source.get());
    source.reset();
    EXPECT_EQ(TestDropSource::live, 1);
    copy.reset();
    EXPECT_EQ(TestDropSource::live, 0);
}

// OLE keeps its own references to a registered drop target until the registration is revoked.
TEST(ComObject, LivesWhileOleHoldsIt) {
    fw::UtilityWindow window([](UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); }, nullptr);
    ASSERT_NE(window.Handle(), nullptr);
    fw::ComPtr<TestDropTarget> target = fw::MakeComObject<TestDropTarget>();
    ASSERT_HRESULT_SUCCEEDED(::RegisterDragDrop(window.Handle(), target.get()));
    target.reset();
    EXPECT_EQ(TestDropTarget::live, 1);
    ASSERT_HRESULT_SUCCEEDED(::RevokeDragDrop(window.Handle()));
    EXPECT_EQ(TestDropTarget::live, 0);
}

}  // namespace
