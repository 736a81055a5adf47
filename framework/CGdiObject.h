#pragma once
// Base of the GDI object wrappers: owns one GDI handle and deletes it.
// FromHandle gives a temporary wrapper that does not own the handle; the
// temporaries live until AfxDeleteTempMaps (the message loop's idle time).

#include "CObject.h"

#include <typeinfo>

class CGdiObject : public CObject {
public:
    HGDIOBJ m_hObject = nullptr;

    CGdiObject() = default;
    ~CGdiObject() override { DeleteObject(); }

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    // The wrapper owns what it is given: a handle it held before is deleted,
    // so creating an object again does not leak the first one.
    BOOL Attach(HGDIOBJ handle)
    {
        if (!handle)
            return FALSE;
        if (m_hObject && m_hObject != handle)
            DeleteObject();
        m_hObject = handle;
        return TRUE;
    }
    HGDIOBJ Detach()
    {
        HGDIOBJ handle = m_hObject;
        m_hObject = nullptr;
        return handle;
    }
    BOOL DeleteObject()
    {
        if (!m_hObject)
            return FALSE;
        return ::DeleteObject(Detach());
    }
    BOOL CreateStockObject(int index) { return Attach(::GetStockObject(index)); }
    int GetObject(int count, LPVOID buffer) const { return ::GetObjectW(m_hObject, count, buffer); }
    UINT GetObjectType() const { return ::GetObjectType(m_hObject); }
    BOOL UnrealizeObject() { return ::UnrealizeObject(m_hObject); }

    static CGdiObject* FromHandle(HGDIOBJ handle) { return FromHandleAs<CGdiObject>(handle); }
    static void DeleteTempMap();

protected:
    // A temporary wrapper of the asked type for the handle (NULL for NULL).
    template <class T> static T* FromHandleAs(HGDIOBJ handle)
    {
        if (!handle)
            return nullptr;
        // One temporary per handle and wrapper type: a wrapper of another
        // type asked for later must not free one a caller still holds.
        if (CGdiObject* existing = LookupTemp(handle, typeid(T)))
            return static_cast<T*>(existing);
        T* created = new T;
        created->m_hObject = handle;
        AddTemp(created);
        return created;
    }

private:
    static CGdiObject* LookupTemp(HGDIOBJ handle, const std::type_info& type);
    static void AddTemp(CGdiObject* temp);
};
