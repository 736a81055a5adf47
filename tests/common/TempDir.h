#pragma once
// A fresh folder under the temporary path for one test; removed with its
// files (one level of sub-folders) when the object goes. When no folder can
// be made the test fails and the path names a folder that does not exist.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "CString.h"
#include "Win32Failure.h"

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
        CString tried = m_path;
        if (m_path.IsEmpty())
            m_path = L"\\\\?\\kestrova-no-temporary-folder\\";
        ADD_FAILURE() << "no temporary folder could be made under the temporary path: "
                      << (tried.IsEmpty() ? "GetTempPathW gave no usable path, " + ErrorText(error)
                                          : CallFailed("CreateDirectoryW", tried, error));
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

    // Writes bytes to a file in the folder and returns its path. A file that
    // cannot be written fails the test with the call and the error, and the
    // path returned is empty.
    CString Write(LPCWSTR name, const std::string& bytes) const
    {
        CString path = Path(name);
        FileHandle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        // The code is read first: building the failure message may change it.
        if (!file.Valid()) {
            DWORD error = ::GetLastError();
            ADD_FAILURE() << CallFailed("CreateFileW", path, error);
            return CString();
        }
        DWORD written = 0;
        if (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size()) {
            DWORD error = ::GetLastError();
            ADD_FAILURE() << CallFailed("WriteFile", path, error) << " (" << written << " of " << bytes.size()
                          << " bytes written)";
            return CString();
        }
        return path;
    }

    // The whole content of a file as bytes; empty when it cannot be read.
    static std::string Read(LPCWSTR path)
    {
        std::string bytes;
        FileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid())
            return bytes;
        char chunk[4096];
        DWORD read = 0;
        while (::ReadFile(file.Get(), chunk, sizeof(chunk), &read, nullptr) && read > 0)
            bytes.append(chunk, read);
        return bytes;
    }

    static bool Exists(LPCWSTR path) { return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

private:
    // A file handle closed with the object.
    class FileHandle {
    public:
        explicit FileHandle(HANDLE handle) : m_handle(handle) {}
        ~FileHandle()
        {
            if (Valid())
                ::CloseHandle(m_handle);
        }
        FileHandle(const FileHandle&) = delete;
        FileHandle& operator=(const FileHandle&) = delete;
        bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
        HANDLE Get() const { return m_handle; }

    private:
        HANDLE m_handle;
    };

    // A search of a folder, closed with the object.
    class FolderSearch {
    public:
        explicit FolderSearch(const CString& folder) : m_find(::FindFirstFileW(folder + L"*", &m_data)) {}
        ~FolderSearch()
        {
            if (Found())
                ::FindClose(m_find);
        }
        FolderSearch(const FolderSearch&) = delete;
        FolderSearch& operator=(const FolderSearch&) = delete;
        bool Found() const { return m_find != INVALID_HANDLE_VALUE; }
        const WIN32_FIND_DATAW& Data() const { return m_data; }
        bool Next() { return ::FindNextFileW(m_find, &m_data) != FALSE; }

    private:
        WIN32_FIND_DATAW m_data = {};
        HANDLE m_find;
    };

    // What cannot be removed is left, and said on the error output: a file
    // still open belongs to something the test did not end, which is worth
    // knowing when a later test fails, but the test's own verdict stands.
    static void RemoveTree(const CString& folder)
    {
        {
            FolderSearch search(folder);
            for (bool more = search.Found(); more; more = search.Next()) {
                const WIN32_FIND_DATAW& data = search.Data();
                CString name(data.cFileName);
                if (name == L"." || name == L"..")
                    continue;
                CString path = folder + name;
                ::SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path + L"\\");
                else if (!::DeleteFileW(path))
                    Left(CallFailed("DeleteFileW", path, ::GetLastError()));
            }
        }
        if (!::RemoveDirectoryW(folder))
            Left(CallFailed("RemoveDirectoryW", folder, ::GetLastError()));
    }
    static void Left(const std::string& said) { std::fprintf(stderr, "TempDir: left behind: %s\n", said.c_str()); }

    CString m_path;
    bool m_made = false;
};
