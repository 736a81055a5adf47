#pragma once
// Small scoped holders for what the COM calls of this folder hand out, so that
// every early return releases what was obtained before it.

#include <windows.h>
#include <oleauto.h>

// One reference to an interface; released when the holder goes.
template <class T> class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // For a call that hands out a new reference: drops the one held first.
    T** Out()
    {
        Reset();
        return &m_p;
    }
    // Gives the reference to the caller, who releases it.
    T* Detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    void Reset()
    {
        if (m_p) {
            m_p->Release();
            m_p = nullptr;
        }
    }

private:
    T* m_p = nullptr;
};

// A BSTR made for one call, or handed out by one; freed when the holder goes.
class ScopedBstr {
public:
    ScopedBstr() = default;
    explicit ScopedBstr(LPCWSTR text) : m_b(::SysAllocString(text)) {}
    ~ScopedBstr() { ::SysFreeString(m_b); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;

    BSTR Get() const { return m_b; }
    BSTR* Out()
    {
        ::SysFreeString(m_b);
        m_b = nullptr;
        return &m_b;
    }

private:
    BSTR m_b = nullptr;
};
