#pragma once
// A small client of Windows Management Instrumentation: connects to one
// namespace ("root\CIMV2" unless told otherwise) and answers WQL queries that
// select one property of one class: how many objects a query gives, and the
// property of the object at a position, as a plain value. A client is used
// only on the thread that connected it.

#include <windows.h>
#include <wbemidl.h>

#include "CString.h"

// One property as WMI hands it out. The value is cleared when the record goes
// (and by whoever asked, with VariantClear, as soon as it has been read).
struct WmiPropertyValue {
    VARIANT value;
    CIMTYPE type = 0;
    LONG flavor = 0;

    WmiPropertyValue() { ::VariantInit(&value); }
    ~WmiPropertyValue() { ::VariantClear(&value); }
    WmiPropertyValue(const WmiPropertyValue&) = delete;
    WmiPropertyValue& operator=(const WmiPropertyValue&) = delete;
};

class WmiClient {
public:
    WmiClient();
    explicit WmiClient(const CString& nameSpace);
    ~WmiClient();
    WmiClient(const WmiClient&) = delete;
    WmiClient& operator=(const WmiClient&) = delete;

    // COM for the thread, the locator, the namespace and the proxy security;
    // the first step that fails gives its result and undoes nothing.
    HRESULT Connect();

    // Objects the query gives: 0 when it fails, E_FAIL for an empty query.
    int Count(const CString& query);
    // The first property of the object at `index` (0 = first).
    HRESULT GetProperty(const CString& query, WmiPropertyValue& value, UINT32 index);

    // TRUE when `out` was set: the query answered S_OK with a property of the
    // getter's own CIM type. A null value gives the type's zero.
    BOOL GetBool(const CString& query, BOOL& out, UINT32 index);
    BOOL GetString(const CString& query, CString& out, UINT32 index);
    BOOL GetUInt8(const CString& query, UINT8& out, UINT32 index);
    BOOL GetUInt16(const CString& query, UINT16& out, UINT32 index);
    BOOL GetUInt32(const CString& query, UINT32& out, UINT32 index);
    BOOL GetUInt64(const CString& query, UINT64& out, UINT32 index);

private:
    HRESULT InitCom();
    HRESULT CreateLocator();
    HRESULT ConnectServer();
    HRESULT SetProxyBlanket();
    HRESULT ExecQuery(const CString& query, IEnumWbemClassObject** objects);
    // The property as an unsigned integer of the getter's type; FALSE when
    // the query fails, the CIM type differs or the value is no integer.
    BOOL GetUnsigned(const CString& query, CIMTYPE wanted, UINT32 index, UINT64& out);

    BOOL m_bComOwner;
    CString m_namespace;
    IWbemLocator* m_pLocator;
    IWbemServices* m_pServices;
    // TRUE when COM was already up on the thread (S_FALSE): the client's own
    // start still counts and is balanced when the client goes.
    BOOL m_bComJoined;
};
