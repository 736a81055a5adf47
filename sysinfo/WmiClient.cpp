#include "WmiClient.h"

#include <cwchar>

#include "ComHolders.h"
#include "define.h"

namespace {

// Every step on a query's enumerator waits at most this long.
const LONG kEnumeratorWaitMs = 5000;

// The query's result comes forward only, as WMI finds it.
const LONG kQueryFlags = WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY;

// A client without services (its connect failed) answers every query with this.
const HRESULT kNotConnected = E_POINTER;

// WMI hands 64-bit integers out as decimal text, read scanf-style; a text that
// does not parse leaves the preset 0.
UINT64 ParseUnsigned64(BSTR text)
{
    UINT64 value = 0;
    if (text)
        swscanf(text, L"%I64u", &value);
    return value;
}

// The integer a VARIANT holds, whatever width WMI chose for it.
BOOL IntegerOf(const VARIANT& value, UINT64& out)
{
    switch (value.vt) {
    case VT_I1:
    case VT_UI1:
        out = value.bVal;
        return TRUE;
    case VT_I2:
    case VT_UI2:
        out = value.uiVal;
        return TRUE;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
        out = value.ulVal;
        return TRUE;
    case VT_I8:
    case VT_UI8:
        out = value.ullVal;
        return TRUE;
    case VT_BSTR:
        out = ParseUnsigned64(value.bstrVal);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

WmiClient::WmiClient() : WmiClient(CString(L"root\\CIMV2")) {}

WmiClient::WmiClient(const CString& nameSpace)
    : m_bComOwner(FALSE), m_namespace(nameSpace), m_pLocator(nullptr), m_pServices(nullptr), m_bComJoined(FALSE)
{
}

WmiClient::~WmiClient()
{
    if (m_pLocator) {
        m_pLocator->Release();
        m_pLocator = nullptr;
    }
    if (m_pServices) {
        m_pServices->Release();
        m_pServices = nullptr;
    }
    if (m_bComOwner || m_bComJoined) {
        ::CoUninitialize();
        m_bComOwner = FALSE;
        m_bComJoined = FALSE;
    }
}

HRESULT WmiClient::Connect()
{
    HRESULT hr = InitCom();
    if (FAILED(hr))
        return hr;
    hr = CreateLocator();
    if (hr != S_OK)
        return hr;
    hr = ConnectServer();
    if (hr != S_OK)
        return hr;
    return SetProxyBlanket();
}

HRESULT WmiClient::InitCom()
{
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (hr == S_OK) {
        m_bComOwner = TRUE;
        HRESULT security = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
        if (FAILED(security)) {
            DebugPrint(L"Failed to initialize security. Error code = 0x%08x\n", security);
            ::CoUninitialize();
            m_bComOwner = FALSE;
            return security;
        }
        return S_OK;
    }
    // COM was already set up on this thread, in this model or the other one:
    // whoever did it owns it and its security.
    if (hr == S_FALSE || hr == RPC_E_CHANGED_MODE) {
        m_bComOwner = FALSE;
        m_bComJoined = hr == S_FALSE;
        return S_OK;
    }
    DebugPrint(L"Failed to initialize COM library. Error code = 0x%08x\n", hr);
    return hr;
}

HRESULT WmiClient::CreateLocator()
{
    return ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              reinterpret_cast<void**>(&m_pLocator));
}

HRESULT WmiClient::ConnectServer()
{
    ScopedBstr resource(m_namespace);
    return m_pLocator->ConnectServer(resource.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &m_pServices);
}

HRESULT WmiClient::SetProxyBlanket()
{
    return ::CoSetProxyBlanket(m_pServices, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                               RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
}

HRESULT WmiClient::ExecQuery(const CString& query, IEnumWbemClassObject** objects)
{
    if (query.IsEmpty())
        return E_FAIL;
    if (!m_pServices)
        return kNotConnected;
    ScopedBstr language(L"WQL");
    ScopedBstr text(query);
    return m_pServices->ExecQuery(language.Get(), text.Get(), kQueryFlags, nullptr, objects);
}

int WmiClient::Count(const CString& query)
{
    if (query.IsEmpty())
        return E_FAIL;
    ComRef<IEnumWbemClassObject> objects;
    if (ExecQuery(query, objects.Out()) != S_OK)
        return 0;
    int count = 0;
    for (;;) {
        ComRef<IWbemClassObject> object;
        ULONG returned = 0;
        objects->Next(kEnumeratorWaitMs, 1, object.Out(), &returned);
        if (returned == 0 || !object)
            break;
        ++count;
    }
    return count;
}

HRESULT WmiClient::GetProperty(const CString& query, WmiPropertyValue& value, UINT32 index)
{
    ComRef<IEnumWbemClassObject> objects;
    HRESULT hr = ExecQuery(query, objects.Out());
    if (hr != S_OK)
        return hr;
    hr = objects->Skip(kEnumeratorWaitMs, index);
    if (hr != S_OK)
        return hr;
    ComRef<IWbemClassObject> object;
    ULONG returned = 0;
    hr = objects->Next(kEnumeratorWaitMs, 1, object.Out(), &returned);
    if (returned == 0 || !object)
        return hr == S_OK ? static_cast<HRESULT>(WBEM_S_FALSE) : hr;
    hr = object->BeginEnumeration(WBEM_FLAG_LOCAL_ONLY);
    if (hr != S_OK)
        return hr;
    ScopedBstr name;
    hr = object->Next(0, name.Out(), &value.value, &value.type, &value.flavor);
    if (hr != S_OK)
        return hr;
    return object->EndEnumeration();
}

BOOL WmiClient::GetUnsigned(const CString& query, CIMTYPE wanted, UINT32 index, UINT64& out)
{
    WmiPropertyValue property;
    BOOL read = FALSE;
    if (GetProperty(query, property, index) == S_OK && property.type == wanted) {
        if (property.value.vt == VT_NULL) {
            out = 0;
            read = TRUE;
        } else {
            read = IntegerOf(property.value, out);
        }
    }
    ::VariantClear(&property.value);
    return read;
}

BOOL WmiClient::GetBool(const CString& query, BOOL& out, UINT32 index)
{
    WmiPropertyValue property;
    BOOL read = FALSE;
    if (GetProperty(query, property, index) == S_OK && property.type == CIM_BOOLEAN) {
        if (property.value.vt == VT_NULL) {
            out = FALSE;
            read = TRUE;
        } else if (property.value.vt == VT_BOOL) {
            out = property.value.boolVal == VARIANT_TRUE ? TRUE : FALSE;
            read = TRUE;
        }
    }
    ::VariantClear(&property.value);
    return read;
}

BOOL WmiClient::GetString(const CString& query, CString& out, UINT32 index)
{
    WmiPropertyValue property;
    BOOL read = FALSE;
    if (GetProperty(query, property, index) == S_OK && property.type == CIM_STRING) {
        if (property.value.vt == VT_NULL) {
            out.Empty();
            read = TRUE;
        } else if (property.value.vt == VT_BSTR) {
            // A NULL BSTR is the empty text.
            BSTR text = property.value.bstrVal;
            out = text ? CString(text, static_cast<int>(::SysStringLen(text))) : CString();
            read = TRUE;
        }
    }
    ::VariantClear(&property.value);
    return read;
}

BOOL WmiClient::GetUInt8(const CString& query, UINT8& out, UINT32 index)
{
    UINT64 value = 0;
    if (!GetUnsigned(query, CIM_UINT8, index, value))
        return FALSE;
    out = static_cast<UINT8>(value);
    return TRUE;
}

BOOL WmiClient::GetUInt16(const CString& query, UINT16& out, UINT32 index)
{
    UINT64 value = 0;
    if (!GetUnsigned(query, CIM_UINT16, index, value))
        return FALSE;
    out = static_cast<UINT16>(value);
    return TRUE;
}

BOOL WmiClient::GetUInt32(const CString& query, UINT32& out, UINT32 index)
{
    UINT64 value = 0;
    if (!GetUnsigned(query, CIM_UINT32, index, value))
        return FALSE;
    out = static_cast<UINT32>(value);
    return TRUE;
}

BOOL WmiClient::GetUInt64(const CString& query, UINT64& out, UINT32 index)
{
    return GetUnsigned(query, CIM_UINT64, index, out);
}
