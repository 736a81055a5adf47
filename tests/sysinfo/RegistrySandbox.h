#pragma once
// HKEY_LOCAL_MACHINE redirected, for this process, onto a scratch key under
// HKEY_CURRENT_USER that starts empty; the real key is back when it goes.

#include <windows.h>

#include <string>

class RegistrySandbox {
public:
    RegistrySandbox()
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_scratch, nullptr);
        m_overridden = ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_scratch) == ERROR_SUCCESS;
    }
    ~RegistrySandbox()
    {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        ::RegCloseKey(m_scratch);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    }
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    bool Active() const { return m_overridden; }

    void CreateKey(const wchar_t* key)
    {
        HKEY made = nullptr;
        ::RegCreateKeyExW(m_scratch, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made, nullptr);
        ::RegCloseKey(made);
    }
    void SetDword(const wchar_t* key, const wchar_t* name, DWORD value)
    {
        ::RegSetKeyValueW(m_scratch, key, name, REG_DWORD, &value, sizeof(value));
    }
    // The value as stored, or -1 when there is none.
    long long Dword(const wchar_t* key, const wchar_t* name) const
    {
        DWORD value = 0, size = sizeof(value);
        if (::RegGetValueW(m_scratch, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
            return -1;
        return value;
    }

private:
    static constexpr const wchar_t* kScratch = L"Software\\KestrovaTest\\Machine";
    HKEY m_scratch = nullptr;
    bool m_overridden = false;
};
