#pragma once
// A stand-in for the WMI locator, registered in the test process for
// CLSID_WbemLocator while it lives (the thread's COM must be started): it
// connects to any namespace and answers "SELECT <property> FROM <class>" and
// "SELECT * FROM <class>" from a table of objects, noting every query text.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct FakeValue {
    VARTYPE vt = VT_EMPTY;
    std::wstring text;
    LONG number = 0;
    bool nullText = false; // VT_BSTR holding a NULL BSTR

    static FakeValue Text(const wchar_t* text)
    {
        FakeValue v;
        v.vt = VT_BSTR;
        v.text = text;
        return v;
    }
    static FakeValue NullText()
    {
        FakeValue v;
        v.vt = VT_BSTR;
        v.nullText = true;
        return v;
    }
    static FakeValue Number(LONG number, VARTYPE vt = VT_I4)
    {
        FakeValue v;
        v.vt = vt;
        v.number = number;
        return v;
    }
    static FakeValue Bool(bool on) { return Number(on ? VARIANT_TRUE : VARIANT_FALSE, VT_BOOL); }
    static FakeValue Null()
    {
        FakeValue v;
        v.vt = VT_NULL;
        return v;
    }
};

struct FakeProperty {
    std::wstring name;
    long cimType;
    FakeValue value;
};

typedef std::vector<FakeProperty> FakeObject;

class FakeWmi {
public:
    FakeWmi();
    ~FakeWmi();
    FakeWmi(const FakeWmi&) = delete;
    FakeWmi& operator=(const FakeWmi&) = delete;

    void AddObject(const std::wstring& className, const FakeObject& object) { classes[className].push_back(object); }

    std::map<std::wstring, std::vector<FakeObject>> classes;
    HRESULT connectResult = S_OK;        // what ConnectServer answers
    HRESULT endEnumerationResult = S_OK; // what an object's EndEnumeration answers
    std::wstring connectedNamespace;     // what ConnectServer was given
    std::vector<std::wstring> queries;   // every ExecQuery text, in order
    int live = 0;                        // fake objects not yet released (the locator's factory aside)

private:
    DWORD m_cookie = 0;
    void* m_factory = nullptr;
};
