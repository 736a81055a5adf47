#pragma once
// One registry key at a time under a root key given at construction: opens
// or creates it, reads and writes its values, and closes it. Every failed
// open, create, read, write or existence test is logged with its error code.

#include <windows.h>

#include "CString.h"

struct RegistryValueInfo {
    CString name;
    CString text; // the value as text
    DWORD type;
};

class RegistryOp {
public:
    explicit RegistryOp(HKEY root);
    ~RegistryOp();
    RegistryOp(const RegistryOp&) = delete;
    RegistryOp& operator=(const RegistryOp&) = delete;

    void Close();
    BOOL OpenKey(LPCWSTR subKey);
    // The key does not survive a restart (REG_OPTION_VOLATILE).
    BOOL CreateKey(LPCWSTR subKey);
    // Both work under the root key, not under the held key.
    BOOL DeleteKey(LPCWSTR subKey);
    BOOL DeleteValue(LPCWSTR name);

    // Any value of at most 4 bytes, whatever its type; value untouched on failure.
    BOOL Read(LPCWSTR name, DWORD& value);
    BOOL Read(LPCWSTR name, int& value);
    // A string of at most 100 code units.
    BOOL Read(LPCWSTR name, CString& value);
    BOOL Write(LPCWSTR name, DWORD value);
    BOOL Write(LPCWSTR name, int value);
    BOOL Write(LPCWSTR name, LPCWSTR text);
    BOOL VerifyValue(LPCWSTR name);

    BOOL EnumSubKey(DWORD index, CString& name);
    // Every sub-key name followed by "\r\n"; TRUE when there was one.
    BOOL EnumSubKeys(CString& list);
    BOOL EnumValue(DWORD index, RegistryValueInfo* record);
    // The caller gives a record for every value of the key.
    void EnumValues(RegistryValueInfo* records);

    static void BinaryToString(const BYTE* data, int length, CString& out);
    static void MultiStringToString(wchar_t* data, int count, CString& out);

private:
    enum BinaryStyle { binaryAsHex, binaryAsFirstByte };
    LONG EnumValueAt(DWORD index, RegistryValueInfo* record, BinaryStyle binary);

    HKEY m_hKey;
    HKEY m_hRootKey;
};
