#pragma once
// Pieces shared by the tests' fake COM servers. A fake object is a struct
// whose first member is the interface (its C layout: a pointer to a table of
// functions), so the interface pointer is the object's address. Every slot of
// a table starts as a stub answering E_NOTIMPL; a fake fills in only the
// methods the product calls. Include this only where CINTERFACE is defined.

#ifndef CINTERFACE
#error "the fakes use the C layout of the interfaces"
#endif

#include <windows.h>

#include <cstddef>

namespace fakecom {

// Stands for every method a fake does not answer. The 64-bit calling
// convention lets the caller clean up whatever it passed, so one stub fits
// every slot.
inline HRESULT STDMETHODCALLTYPE NotImplemented()
{
    return E_NOTIMPL;
}

template <class Table> void FillNotImplemented(Table& table)
{
    void** slots = reinterpret_cast<void**>(&table);
    for (size_t i = 0; i < sizeof(Table) / sizeof(void*); ++i)
        slots[i] = reinterpret_cast<void*>(&NotImplemented);
}

// The object behind an interface pointer of its first member.
template <class Object, class Interface> Object* Self(Interface* iface)
{
    return reinterpret_cast<Object*>(iface);
}

// Reference counting for a fake object with `refs`, `iid` and a live count.
template <class Object, class Interface> ULONG STDMETHODCALLTYPE AddRef(Interface* iface)
{
    return static_cast<ULONG>(++Self<Object>(iface)->refs);
}

template <class Object, class Interface> ULONG STDMETHODCALLTYPE Release(Interface* iface)
{
    Object* self = Self<Object>(iface);
    LONG left = --self->refs;
    if (left == 0) {
        --*self->live;
        delete self;
    }
    return static_cast<ULONG>(left);
}

template <class Object, class Interface>
HRESULT STDMETHODCALLTYPE QueryInterface(Interface* iface, REFIID iid, void** out)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, Object::Iid()) ||
        (Object::DispatchToo() && IsEqualIID(iid, IID_IDispatch))) {
        *out = iface;
        AddRef<Object>(iface);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// The IUnknown slots of a table, for an object type.
template <class Object, class Table> void SetUnknown(Table& table)
{
    table.QueryInterface = QueryInterface<Object>;
    table.AddRef = AddRef<Object>;
    table.Release = Release<Object>;
}

} // namespace fakecom
