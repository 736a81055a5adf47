#pragma once
// File search in the manner of the framework's CFileFind: FindFile starts the
// search and loads nothing yet; each FindNextFile makes the next match the
// current one and returns FALSE when that match is the last (its data is still
// valid).

#include <windows.h>

#include "CString.h"

class CFileFind {
public:
    CFileFind() = default;
    ~CFileFind() { Close(); }
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    BOOL FindFile(LPCWSTR pattern = nullptr);
    BOOL FindNextFile();
    void Close();

    CString GetFileName() const;
    CString GetFilePath() const;
    CString GetRoot() const { return m_root; }
    ULONGLONG GetLength() const;
    BOOL IsDots() const;
    BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
    BOOL IsReadOnly() const { return MatchesMask(FILE_ATTRIBUTE_READONLY); }
    BOOL IsHidden() const { return MatchesMask(FILE_ATTRIBUTE_HIDDEN); }
    BOOL MatchesMask(DWORD mask) const;

private:
    HANDLE m_hFind = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW m_found = {}; // the current match
    WIN32_FIND_DATAW m_next = {};  // read ahead
    BOOL m_hasCurrent = FALSE;
    BOOL m_hasNext = FALSE;
    CString m_root; // folder of the pattern, with a trailing backslash
};
