// The base of the COM objects we hand to the shell and to OLE (drop source, data objects, ...).
//
//   class TDropSource final : public fw::ComObject<IDropSource> {
//   public:
//       STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) noexcept override;
//       STDMETHODIMP GiveFeedback(DWORD effect) noexcept override;
//   private:
//       ~TDropSource() override = default;  // only Release ends it
//   };
//   fw::ComPtr<TDropSource> source = fw::MakeComObject<TDropSource>();
//
// ComObject answers QueryInterface from its list of interfaces (IUnknown is the first interface's, so every
// route gives the same identity), counts references with interlocked operations (other threads and OLE's
// own may hold them), and deletes the object at the last Release. An interface's own bases other than
// IUnknown are not answered unless listed, except IDispatch for a dispatch interface (IAccessible, ...);
// list only interfaces that do not derive from each other.
//
// The object's destructor is reachable only through Release: MakeComObject refuses a class whose destructor
// is public, so such an object can be neither deleted directly nor made on the stack.
#pragma once

#include "framework/ComPtr.h"

#include <oaidl.h>
#include <unknwn.h>

#include <tuple>
#include <type_traits>
#include <utility>

namespace fw {

template <class... Interfaces>
class ComObject : public Interfaces... {
    static_assert(sizeof...(Interfaces) > 0, "a COM object implements at least one interface");

public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept final {
        if (!ppv) return E_POINTER;
        *ppv = Find<Interfaces...>(riid);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept final {
        return static_cast<ULONG>(::InterlockedIncrement(&refs_));
    }
    STDMETHODIMP_(ULONG) Release() noexcept final {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    ComObject() noexcept = default;
    virtual ~ComObject() = default;

    // The references held now; 0 only while the last Release deletes the object (a destructor's check).
    LONG RefCount() const noexcept { return refs_; }

private:
    using Primary = std::tuple_element_t<0, std::tuple<Interfaces...>>;

    template <class First, class... Rest>
    void* Find(REFIID riid) noexcept {
        if (::IsEqualIID(riid, __uuidof(First))) return static_cast<First*>(this);
        if constexpr (std::is_base_of_v<IDispatch, First>) {
            if (::IsEqualIID(riid, IID_IDispatch)) return static_cast<IDispatch*>(static_cast<First*>(this));
        }
        if constexpr (sizeof...(Rest) > 0) {
            return Find<Rest...>(riid);
        } else {
            return ::IsEqualIID(riid, IID_IUnknown) ? static_cast<IUnknown*>(static_cast<Primary*>(this))
                                                    : nullptr;
        }
    }

    LONG refs_ = 1;  // the reference MakeComObject hands out
};

// Makes a `T` with one reference, owned by the returned pointer. Throws what T's constructor throws
// (std::bad_alloc).
template <class T, class... Args>
ComPtr<T> MakeComObject(Args&&... args) {
    static_assert(!std::is_destructible_v<T>,
                  "a COM object's destructor must not be public: only its last Release may end it");
    return ComPtr<T>::Attach(new T(std::forward<Args>(args)...));
}

}  // namespace fw
