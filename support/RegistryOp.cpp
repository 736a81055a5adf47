#include "RegistryOp.h"

#include <cstring>

#include "define.h"

namespace {

const DWORD kStringOfferedBytes = 200;
const DWORD kEnumNameUnits = 1024;
const DWORD kEnumDataBytes = 1024;

BOOL Logged(LPCWSTR operation, LPCWSTR what, LONG code)
{
    DebugPrint(L"%s -> %s Error return: %d\n", operation, what, static_cast<int>(code));
    return FALSE;
}

template <typename T> T ValueAs(const BYTE* data)
{
    T value;
    memcpy(&value, data, sizeof(value));
    return value;
}

} // namespace

RegistryOp::RegistryOp(HKEY root) : m_hKey(nullptr), m_hRootKey(root) {}

RegistryOp::~RegistryOp()
{
    Close();
}

void RegistryOp::Close()
{
    if (m_hKey != nullptr) {
        ::RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
}

BOOL RegistryOp::OpenKey(LPCWSTR subKey)
{
    Close();
    HKEY key = nullptr;
    LONG code = ::RegOpenKeyExW(m_hRootKey, subKey, 0, KEY_ALL_ACCESS, &key);
    if (code != ERROR_SUCCESS)
        return Logged(L"RegistryOp::OpenKey", subKey, code);
    m_hKey = key;
    return TRUE;
}

BOOL RegistryOp::CreateKey(LPCWSTR subKey)
{
    Close();
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG code = ::RegCreateKeyExW(m_hRootKey, subKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                                  &disposition);
    if (code != ERROR_SUCCESS)
        return Logged(L"RegistryOp::CreateKey", subKey, code);
    m_hKey = key;
    return TRUE;
}

BOOL RegistryOp::DeleteKey(LPCWSTR subKey)
{
    return ::RegDeleteKeyW(m_hRootKey, subKey) == ERROR_SUCCESS;
}

BOOL RegistryOp::DeleteValue(LPCWSTR name)
{
    return ::RegDeleteValueW(m_hKey, name) == ERROR_SUCCESS;
}

BOOL RegistryOp::Read(LPCWSTR name, DWORD& value)
{
    DWORD result = 0;
    DWORD size = sizeof(result);
    DWORD type = 0;
    LONG code = ::RegQueryValueExW(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&result), &size);
    if (code != ERROR_SUCCESS)
        return Logged(L"RegistryOp::Read", name, code);
    value = result;
    return TRUE;
}

BOOL RegistryOp::Read(LPCWSTR name, int& value)
{
    DWORD result = 0;
    if (!Read(name, result))
        return FALSE;
    value = static_cast<int>(result);
    return TRUE;
}

BOOL RegistryOp::Read(LPCWSTR name, CString& value)
{
    // Room beyond the bytes offered: a value that fills them stays terminated.
    wchar_t buffer[kStringOfferedBytes / sizeof(wchar_t) + 1] = {};
    DWORD size = kStringOfferedBytes;
    DWORD type = 0;
    LONG code = ::RegQueryValueExW(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (code != ERROR_SUCCESS)
        return Logged(L"RegistryOp::Read", name, code);
    value = buffer;
    return TRUE;
}

BOOL RegistryOp::Write(LPCWSTR name, DWORD value)
{
    LONG code = ::RegSetValueExW(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    if (code != ERROR_SUCCESS)
        return Logged(L"RegistryOp::Write", name, code);
    return TRUE;
}

BOOL RegistryOp::Write(LPCWSTR name, int value)
{
    return Write(name, static_cast<DWORD>(value));
}

BOOL RegistryOp::Write(LPCWSTR name, LPCWSTR text)
{
    if (text == nullptr)
        text = L""; // no text is written as an empty one
    DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    LONG code = ::RegSetValueExW(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    if (code != ERROR_SUCCESS)
        return Logged(L"RegistryOp::Write", name, code);
    return TRUE;
}

BOOL RegistryOp::VerifyValue(LPCWSTR name)
{
    LONG code = ::RegQueryValueExW(m_hKey, name, nullptr, nullptr, nullptr, nullptr);
    if (code != ERROR_SUCCESS)
        return Logged(L"RegistryOp::VerifyValue", name, code);
    return TRUE;
}

BOOL RegistryOp::EnumSubKey(DWORD index, CString& name)
{
    wchar_t buffer[kEnumNameUnits] = {};
    if (::RegEnumKeyW(m_hKey, index, buffer, kEnumNameUnits) != ERROR_SUCCESS)
        return FALSE;
    name = buffer;
    return TRUE;
}

BOOL RegistryOp::EnumSubKeys(CString& list)
{
    BOOL found = FALSE;
    CString name;
    for (DWORD index = 0; EnumSubKey(index, name); ++index) {
        list += name;
        list += L"\r\n";
        found = TRUE;
    }
    return found;
}

LONG RegistryOp::EnumValueAt(DWORD index, RegistryValueInfo* record, BinaryStyle binary)
{
    wchar_t name[kEnumNameUnits] = {};
    DWORD nameUnits = kEnumNameUnits;
    // One terminator beyond the bytes offered: strings that fill them end safely.
    BYTE data[kEnumDataBytes + sizeof(wchar_t)] = {};
    DWORD dataBytes = kEnumDataBytes;
    DWORD type = 0;
    LONG code = ::RegEnumValueW(m_hKey, index, name, &nameUnits, nullptr, &type, data, &dataBytes);
    if (code != ERROR_SUCCESS)
        return code;

    record->name = name;
    record->type = type;
    record->text.Empty();
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_LINK:
        record->text.Format(L"%s", reinterpret_cast<const wchar_t*>(data));
        break;
    case REG_BINARY:
        if (binary == binaryAsHex)
            BinaryToString(data, static_cast<int>(dataBytes), record->text);
        else
            record->text.Format(L"%d", static_cast<int>(static_cast<signed char>(data[0])));
        break;
    case REG_DWORD:
        record->text.Format(L"%d", ValueAs<int>(data));
        break;
    case REG_MULTI_SZ:
        MultiStringToString(reinterpret_cast<wchar_t*>(data), static_cast<int>(dataBytes / sizeof(wchar_t)),
                            record->text);
        break;
    case REG_QWORD:
        record->text.Format(L"%I64u", ValueAs<ULONGLONG>(data));
        break;
    default:
        break;
    }
    return ERROR_SUCCESS;
}

BOOL RegistryOp::EnumValue(DWORD index, RegistryValueInfo* record)
{
    return EnumValueAt(index, record, binaryAsHex) == ERROR_SUCCESS;
}

void RegistryOp::EnumValues(RegistryValueInfo* records)
{
    for (DWORD index = 0; EnumValueAt(index, &records[index], binaryAsFirstByte) == ERROR_SUCCESS; ++index) {
    }
}

void RegistryOp::BinaryToString(const BYTE* data, int length, CString& out)
{
    for (int i = 0; i < length; ++i)
        out.AppendFormat(L"%02x ", data[i]);
}

void RegistryOp::MultiStringToString(wchar_t* data, int count, CString& out)
{
    for (int i = 0; i < count - 1; ++i) {
        if (data[i] == L'\0')
            data[i] = L'\t';
    }
    out = data;
}
