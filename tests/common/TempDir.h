#pragma once
// A fresh folder under the temporary path for one test; removed with its
// files (one level of sub-folders) when the object goes. When no folder can
// be made the test fails and the path names a folder that does not exist.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "CString.h"

class TempDir {
public:
    TempDir()
    {
        wchar_t base[MAX_PATH] = {};
        DWORD length = ::GetTempPathW(MAX_PATH, base);
        static LONG counter = 0;
        DWORD error = ERROR_PATH_NOT_FOUND;
        // A name that is taken is passed over; any other refusal would be
        // the same for the next name.
        for (int attempt = 0; attempt < 100 && length > 0 && length < MAX_PATH; ++attempt) {
            m_path.Format(L"%skestrova_%lu_%ld\\", base, ::GetCurrentProcessId(), ::InterlockedIncrement(&counter));
            if (::CreateDirectoryW(m_path, nullptr)) {
                m_made = true;
                return;
            }
            error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS)
                break;
        }
        if (m_path.IsEmpty())
            m_path = L"\\\\?\\kestrova-no-temporary-folder\\";
        ADD_FAILURE() << "no temporary folder could be made under the temporary path (error " << error << ")";
    }
    ~TempDir()
    {
        if (m_made)
            RemoveTree(m_path);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder with its trailing backslash.
    const CString& Path() const { return m_path; }
    CString Path(LPCWSTR name) const { return m_path + name; }

    // Writes bytes to a file in the folder and returns its path.
    CString Write(LPCWSTR name, const std::string& bytes) const
    {
        CString path = Path(name);
        HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE) {
            ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            ::CloseHandle(file);
        }
        return path;
    }

    // The whole content of a file as bytes; empty when it cannot be read.
    static std::string Read(LPCWSTR path)
    {
        std::string bytes;
        HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return bytes;
        char chunk[4096];
        DWORD read = 0;
        while (::ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0)
            bytes.append(chunk, read);
        ::CloseHandle(file);
        return bytes;
    }

    static bool Exists(LPCWSTR path) { return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

private:
    static void RemoveTree(const CString& folder)
    {
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW(folder + L"*", &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                CString name(data.cFileName);
                if (name == L"." || name == L"..")
                    continue;
                CString path = folder + name;
                ::SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path + L"\\");
                else
                    ::DeleteFileW(path);
            } while (::FindNextFileW(find, &data));
            ::FindClose(find);
        }
        ::RemoveDirectoryW(folder);
    }

    CString m_path;
    bool m_made = false;
};
