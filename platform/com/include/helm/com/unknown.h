// The root of every component interface: reference counting and asking an
// object for another of its interfaces. Objects are used on the thread that
// made them (apartment rules); counts are atomic all the same, so a stray
// release from another thread cannot corrupt them.
#pragma once

#include <atomic>
#include <cstddef>
#include <tuple>
#include <utility>
#include <type_traits>

#include "helm/com/guid.h"

#define STDMETHODCALLTYPE
#define STDMETHOD(name) virtual HRESULT name
#define STDMETHOD_(type, name) virtual type name
#define STDMETHODIMP HRESULT
#define STDMETHODIMP_(type) type

struct IUnknown {
    static constexpr IID iid = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;
inline constexpr IID IID_IUnknown = IUnknown::iid;

struct IClassFactory : IUnknown {
    static constexpr IID iid = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};
inline constexpr IID IID_IClassFactory = IClassFactory::iid;

// Task memory, for strings a callee hands to its caller.
LPVOID CoTaskMemAlloc(SIZE_T size);
void CoTaskMemFree(LPVOID memory);

// Components need no per-thread set-up here: these succeed and do nothing.
#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_MULTITHREADED 0x0
HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD flags);
void CoUninitialize();
HRESULT OleInitialize(LPVOID reserved);
void OleUninitialize();

namespace helm::com {

// Implements IUnknown once for an object that offers `Interfaces...`; each
// interface names its identity as `iid`. An interface derived from another
// answers for its bases' identities too (a dual interface for IDispatch). A
// new object starts with one reference, owned by its creator. Derived
// classes answer further identities by overriding query_more, and let go of
// what they hold in FinalRelease.
template <class... Interfaces>
class Object : public Interfaces... {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown)
            *object = first_unknown();
        else
            (void)(... || find<Interfaces>(riid, object));
        if (!*object)
            *object = query_more(riid);
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override
    {
        ULONG left = --m_references;
        if (left == 0) {
            // A reference taken and given back while the object lets go of
            // what it holds must not bring it to zero a second time.
            m_references = 1;
            FinalRelease();
            delete this;
        }
        return left;
    }
    ULONG reference_count() const { return m_references; }

protected:
    Object() = default;
    virtual ~Object() = default;
    // Further interfaces, without AddRef; null when none.
    virtual void* query_more(REFIID) { return nullptr; }
    // When the last reference goes, before the object is deleted: the
    // object is still whole, so it can destroy its window, release what it
    // holds and let its sinks go with every member in place.
    virtual void FinalRelease() {}

private:
    template <class I>
    bool find(REFIID riid, void** object)
    {
        if (riid == I::iid || matches_base<I>(riid)) {
            *object = static_cast<I*>(this);
            return true;
        }
        return false;
    }
    template <class I>
    static bool matches_base(REFIID riid)
    {
        if constexpr (requires { typename I::base_interface; })
            return riid == I::base_interface::iid || matches_base<typename I::base_interface>(riid);
        else
            return false;
    }
    IUnknown* first_unknown()
    {
        using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
        return static_cast<First*>(this);
    }

    std::atomic<ULONG> m_references{1};
};

// Holds one reference; releases it when it goes.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ComPtr(const ComPtr& other) : m_p(other.m_p)
    {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already owns.
    static ComPtr adopt(T* p)
    {
        ComPtr c;
        c.m_p = p;
        return c;
    }
    void reset()
    {
        if (m_p)
            std::exchange(m_p, nullptr)->Release();
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For out parameters: releases what is held and gives the slot.
    T** put()
    {
        reset();
        return &m_p;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    T* detach() { return std::exchange(m_p, nullptr); }

    template <class U>
    ComPtr<U> query() const
    {
        ComPtr<U> u;
        if (m_p)
            m_p->QueryInterface(U::iid, u.put_void());
        return u;
    }

private:
    T* m_p = nullptr;
};

}  // namespace helm::com
