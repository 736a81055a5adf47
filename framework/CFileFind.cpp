#include "CFileFind.h"

BOOL CFileFind::FindFile(LPCWSTR pattern)
{
    Close();
    // Only a missing pattern means "everything here"; an empty one names nothing.
    if (pattern == nullptr)
        pattern = L"*.*";

    m_hFind = ::FindFirstFileW(pattern, &m_next);
    if (m_hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    m_hasNext = TRUE;

    // The root is the folder part of the pattern, made absolute.
    WCHAR full[MAX_PATH * 2];
    LPWSTR namePart = nullptr;
    DWORD length = ::GetFullPathNameW(pattern, MAX_PATH * 2, full, &namePart);
    if (length == 0 || length >= MAX_PATH * 2) {
        m_root = pattern;
        int slash = m_root.ReverseFind(L'\\');
        m_root = slash >= 0 ? m_root.Left(slash + 1) : CString();
    } else {
        if (namePart != nullptr)
            *namePart = L'\0';
        m_root = full;
    }
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (m_hFind == INVALID_HANDLE_VALUE || !m_hasNext)
        return FALSE;
    m_found = m_next;
    m_hasCurrent = TRUE;
    m_hasNext = ::FindNextFileW(m_hFind, &m_next);
    return m_hasNext;
}

void CFileFind::Close()
{
    if (m_hFind != INVALID_HANDLE_VALUE) {
        ::FindClose(m_hFind);
        m_hFind = INVALID_HANDLE_VALUE;
    }
    m_hasCurrent = FALSE;
    m_hasNext = FALSE;
}

CString CFileFind::GetFileName() const
{
    return m_hasCurrent ? CString(m_found.cFileName) : CString();
}

CString CFileFind::GetFilePath() const
{
    return m_hasCurrent ? m_root + m_found.cFileName : CString();
}

ULONGLONG CFileFind::GetLength() const
{
    if (!m_hasCurrent)
        return 0;
    return (static_cast<ULONGLONG>(m_found.nFileSizeHigh) << 32) | m_found.nFileSizeLow;
}

BOOL CFileFind::IsDots() const
{
    if (!m_hasCurrent || !IsDirectory())
        return FALSE;
    const WCHAR* name = m_found.cFileName;
    return (name[0] == L'.' && name[1] == L'\0') || (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

BOOL CFileFind::MatchesMask(DWORD mask) const
{
    return m_hasCurrent && (m_found.dwFileAttributes & mask) != 0;
}
