#pragma once
// Root of the framework's class tree, with the run-time class information
// that DECLARE_DYNAMIC / IMPLEMENT_DYNAMIC attach to a class.

#include <windows.h>

class CObject;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    CObject* (*m_pfnCreateObject)(); // NULL: not dynamically creatable
    const CRuntimeClass* m_pBaseClass;

    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
    BOOL IsDerivedFrom(const CRuntimeClass* base) const
    {
        for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass) {
            if (c == base)
                return TRUE;
        }
        return FALSE;
    }
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                                                                                    \
public:                                                                                                                \
    static const CRuntimeClass class##class_name;                                                                      \
    virtual const CRuntimeClass* GetRuntimeClass() const;

#define DECLARE_DYNCREATE(class_name)                                                                                  \
    DECLARE_DYNAMIC(class_name)                                                                                        \
    static CObject* CreateObject();

#define IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, pfnNew)                                                   \
    const CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)), pfnNew,    \
                                                         RUNTIME_CLASS(base_class_name)};                              \
    const CRuntimeClass* class_name::GetRuntimeClass() const                                                           \
    {                                                                                                                  \
        return RUNTIME_CLASS(class_name);                                                                              \
    }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                                               \
    CObject* class_name::CreateObject()                                                                                \
    {                                                                                                                  \
        return new class_name;                                                                                         \
    }                                                                                                                  \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, class_name::CreateObject)

class CObject {
public:
    static const CRuntimeClass classCObject;

    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    BOOL IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

protected:
    CObject() = default;

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};
