#define CINTERFACE
#include <windows.h>
#include <wbemidl.h>

#include "FakeCom.h"
#include "FakeWmi.h"

#include <cwctype>

using namespace fakecom;

namespace {

// The query a test asked for: its property ("*" for all) and its class.
struct ParsedQuery {
    std::wstring property;
    std::wstring className;
    bool valid = false;
};

ParsedQuery Parse(const wchar_t* text)
{
    ParsedQuery query;
    std::wstring words[4];
    int count = 0;
    for (const wchar_t* p = text; *p && count <= 4;) {
        while (*p == L' ')
            ++p;
        if (!*p)
            break;
        std::wstring word;
        while (*p && *p != L' ')
            word += *p++;
        if (count < 4)
            words[count] = word;
        ++count;
    }
    query.valid = count == 4 && words[0] == L"SELECT" && words[2] == L"FROM";
    query.property = words[1];
    query.className = words[3];
    return query;
}

void Fill(const FakeValue& from, VARIANT* to)
{
    ::VariantInit(to);
    to->vt = from.vt;
    if (from.vt == VT_BSTR)
        to->bstrVal = from.nullText ? nullptr : ::SysAllocString(from.text.c_str());
    else if (from.vt == VT_BOOL)
        to->boolVal = static_cast<VARIANT_BOOL>(from.number);
    else if (from.vt == VT_UI1 || from.vt == VT_I1)
        to->bVal = static_cast<BYTE>(from.number);
    else if (from.vt == VT_I2 || from.vt == VT_UI2)
        to->iVal = static_cast<SHORT>(from.number);
    else if (from.vt != VT_NULL && from.vt != VT_EMPTY)
        to->lVal = from.number;
}

// One object of a query's result: the selected properties only.
struct FakeClassObject {
    IWbemClassObject iface;
    LONG refs;
    int* live;
    FakeObject properties;
    HRESULT endResult;
    size_t next = 0;
    bool enumerating = false;
    static REFIID Iid() { return IID_IWbemClassObject; }
    static bool DispatchToo() { return false; }
};

HRESULT STDMETHODCALLTYPE ObjectBeginEnumeration(IWbemClassObject* iface, LONG)
{
    FakeClassObject* self = Self<FakeClassObject>(iface);
    self->next = 0;
    self->enumerating = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ObjectNext(IWbemClassObject* iface, LONG, BSTR* name, VARIANT* value, CIMTYPE* type,
                                     LONG* flavor)
{
    FakeClassObject* self = Self<FakeClassObject>(iface);
    if (!self->enumerating)
        return WBEM_E_UNEXPECTED;
    if (self->next >= self->properties.size())
        return WBEM_S_NO_MORE_DATA;
    const FakeProperty& property = self->properties[self->next++];
    if (name)
        *name = ::SysAllocString(property.name.c_str());
    if (value)
        Fill(property.value, value);
    if (type)
        *type = property.cimType;
    if (flavor)
        *flavor = WBEM_FLAVOR_ORIGIN_LOCAL;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ObjectEndEnumeration(IWbemClassObject* iface)
{
    FakeClassObject* self = Self<FakeClassObject>(iface);
    self->enumerating = false;
    return self->endResult;
}

IWbemClassObjectVtbl* ClassObjectTable()
{
    static IWbemClassObjectVtbl table;
    static bool made = false;
    if (!made) {
        FillNotImplemented(table);
        SetUnknown<FakeClassObject>(table);
        table.BeginEnumeration = ObjectBeginEnumeration;
        table.Next = ObjectNext;
        table.EndEnumeration = ObjectEndEnumeration;
        made = true;
    }
    return &table;
}

// The forward-only result of one query.
struct FakeEnum {
    IEnumWbemClassObject iface;
    LONG refs;
    int* live;
    HRESULT endResult; // of the objects' EndEnumeration
    std::vector<FakeObject> objects;
    size_t next = 0;
    static REFIID Iid() { return IID_IEnumWbemClassObject; }
    static bool DispatchToo() { return false; }
};

HRESULT STDMETHODCALLTYPE EnumNext(IEnumWbemClassObject* iface, LONG, ULONG wanted, IWbemClassObject** objects,
                                   ULONG* returned)
{
    FakeEnum* self = Self<FakeEnum>(iface);
    *returned = 0;
    while (*returned < wanted && self->next < self->objects.size()) {
        auto* object =
            new FakeClassObject{{ClassObjectTable()}, 1, self->live, self->objects[self->next++], self->endResult};
        ++*self->live;
        objects[(*returned)++] = &object->iface;
    }
    return *returned == wanted ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
}

HRESULT STDMETHODCALLTYPE EnumSkip(IEnumWbemClassObject* iface, LONG, ULONG count)
{
    FakeEnum* self = Self<FakeEnum>(iface);
    size_t left = self->objects.size() - self->next;
    if (count > left) {
        self->next = self->objects.size();
        return WBEM_S_FALSE;
    }
    self->next += count;
    return WBEM_S_NO_ERROR;
}

IEnumWbemClassObjectVtbl* EnumTable()
{
    static IEnumWbemClassObjectVtbl table;
    static bool made = false;
    if (!made) {
        FillNotImplemented(table);
        SetUnknown<FakeEnum>(table);
        table.Next = EnumNext;
        table.Skip = EnumSkip;
        made = true;
    }
    return &table;
}

// The namespace's services, with the proxy security calls answered too.
struct FakeServices {
    IWbemServices iface;
    LONG refs;
    int* live;
    FakeWmi* world;
    IClientSecurity security;
    static REFIID Iid() { return IID_IWbemServices; }
    static bool DispatchToo() { return false; }
};

HRESULT STDMETHODCALLTYPE ServicesExecQuery(IWbemServices* iface, BSTR language, BSTR text, LONG, IWbemContext*,
                                            IEnumWbemClassObject** result)
{
    FakeServices* self = Self<FakeServices>(iface);
    self->world->queries.push_back(text ? text : L"");
    *result = nullptr;
    ParsedQuery query = Parse(text ? text : L"");
    if (!language || std::wstring(language) != L"WQL" || !query.valid)
        return WBEM_E_INVALID_QUERY;
    auto found = self->world->classes.find(query.className);
    if (found == self->world->classes.end())
        return WBEM_E_INVALID_CLASS;
    auto* result_ = new FakeEnum{{EnumTable()}, 1, self->live, self->world->endEnumerationResult, {}};
    ++*self->live;
    for (const FakeObject& object : found->second) {
        FakeObject selected;
        for (const FakeProperty& property : object) {
            if (query.property == L"*" || property.name == query.property)
                selected.push_back(property);
        }
        result_->objects.push_back(selected);
    }
    *result = &result_->iface;
    return WBEM_S_NO_ERROR;
}

FakeServices* FromSecurity(IClientSecurity* security)
{
    return reinterpret_cast<FakeServices*>(reinterpret_cast<char*>(security) - offsetof(FakeServices, security));
}

HRESULT STDMETHODCALLTYPE ServicesQueryInterface(IWbemServices* iface, REFIID iid, void** out)
{
    FakeServices* self = Self<FakeServices>(iface);
    if (IsEqualIID(iid, IID_IClientSecurity)) {
        *out = &self->security;
        ++self->refs;
        return S_OK;
    }
    return QueryInterface<FakeServices>(iface, iid, out);
}

ULONG STDMETHODCALLTYPE SecurityAddRef(IClientSecurity* security)
{
    return AddRef<FakeServices>(&FromSecurity(security)->iface);
}

ULONG STDMETHODCALLTYPE SecurityRelease(IClientSecurity* security)
{
    return Release<FakeServices>(&FromSecurity(security)->iface);
}

HRESULT STDMETHODCALLTYPE SecurityQueryInterface(IClientSecurity* security, REFIID iid, void** out)
{
    return ServicesQueryInterface(&FromSecurity(security)->iface, iid, out);
}

HRESULT STDMETHODCALLTYPE SecuritySetBlanket(IClientSecurity*, IUnknown*, DWORD, DWORD, OLECHAR*, DWORD, DWORD, void*,
                                             DWORD)
{
    return S_OK;
}

IWbemServicesVtbl* ServicesTable()
{
    static IWbemServicesVtbl table;
    static bool made = false;
    if (!made) {
        FillNotImplemented(table);
        SetUnknown<FakeServices>(table);
        table.QueryInterface = ServicesQueryInterface;
        table.ExecQuery = ServicesExecQuery;
        made = true;
    }
    return &table;
}

IClientSecurityVtbl* SecurityTable()
{
    static IClientSecurityVtbl table;
    static bool made = false;
    if (!made) {
        FillNotImplemented(table);
        table.QueryInterface = SecurityQueryInterface;
        table.AddRef = SecurityAddRef;
        table.Release = SecurityRelease;
        table.SetBlanket = SecuritySetBlanket;
        made = true;
    }
    return &table;
}

struct FakeLocator {
    IWbemLocator iface;
    LONG refs;
    int* live;
    FakeWmi* world;
    static REFIID Iid() { return IID_IWbemLocator; }
    static bool DispatchToo() { return false; }
};

HRESULT STDMETHODCALLTYPE LocatorConnectServer(IWbemLocator* iface, BSTR resource, BSTR, BSTR, BSTR, LONG, BSTR,
                                               IWbemContext*, IWbemServices** services)
{
    FakeLocator* self = Self<FakeLocator>(iface);
    self->world->connectedNamespace = resource ? resource : L"";
    *services = nullptr;
    if (FAILED(self->world->connectResult))
        return self->world->connectResult;
    auto* made = new FakeServices{{ServicesTable()}, 1, self->live, self->world, {SecurityTable()}};
    ++*self->live;
    *services = &made->iface;
    return WBEM_S_NO_ERROR;
}

IWbemLocatorVtbl* LocatorTable()
{
    static IWbemLocatorVtbl table;
    static bool made = false;
    if (!made) {
        FillNotImplemented(table);
        SetUnknown<FakeLocator>(table);
        table.ConnectServer = LocatorConnectServer;
        made = true;
    }
    return &table;
}

// The class object the test process registers for the locator's class id.
struct FakeLocatorFactory {
    IClassFactory iface;
    LONG refs;
    int* live;
    FakeWmi* world;
    int factoryLive = 0; // the factory's own count: it lives as long as the registration
    static REFIID Iid() { return IID_IClassFactory; }
    static bool DispatchToo() { return false; }
};

HRESULT STDMETHODCALLTYPE FactoryCreateInstance(IClassFactory* iface, IUnknown* outer, REFIID iid, void** out)
{
    FakeLocatorFactory* self = Self<FakeLocatorFactory>(iface);
    *out = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    auto* locator = new FakeLocator{{LocatorTable()}, 1, &self->world->live, self->world};
    ++self->world->live;
    HRESULT hr = locator->iface.lpVtbl->QueryInterface(&locator->iface, iid, out);
    locator->iface.lpVtbl->Release(&locator->iface);
    return hr;
}

HRESULT STDMETHODCALLTYPE FactoryLockServer(IClassFactory*, BOOL)
{
    return S_OK;
}

IClassFactoryVtbl* FactoryTable()
{
    static IClassFactoryVtbl table;
    static bool made = false;
    if (!made) {
        FillNotImplemented(table);
        SetUnknown<FakeLocatorFactory>(table);
        table.CreateInstance = FactoryCreateInstance;
        table.LockServer = FactoryLockServer;
        made = true;
    }
    return &table;
}

} // namespace

FakeWmi::FakeWmi()
{
    auto* factory = new FakeLocatorFactory{{FactoryTable()}, 1, nullptr, this};
    factory->live = &factory->factoryLive;
    factory->factoryLive = 1;
    m_factory = factory;
    ::CoRegisterClassObject(CLSID_WbemLocator, reinterpret_cast<IUnknown*>(&factory->iface), CLSCTX_INPROC_SERVER,
                            REGCLS_MULTIPLEUSE, &m_cookie);
}

FakeWmi::~FakeWmi()
{
    if (m_cookie)
        ::CoRevokeClassObject(m_cookie);
    auto* factory = static_cast<FakeLocatorFactory*>(m_factory);
    factory->iface.lpVtbl->Release(&factory->iface);
}
