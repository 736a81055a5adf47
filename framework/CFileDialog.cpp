#include "CFileDialog.h"

CFileDialog::CFileDialog(BOOL openFileDialog, LPCWSTR defaultExt, LPCWSTR fileName, DWORD flags, LPCWSTR filter,
                         CWnd* parent, DWORD, BOOL)
    : m_bOpenFileDialog(openFileDialog)
{
    if (fileName)
        lstrcpynW(m_fileBuffer, fileName, MAX_PATH * 4);
    if (filter) {
        // '|' separates the pairs; the platform wants NUL separators.
        m_filter = filter;
        m_filter.Replace(L'|', L'\0');
    }
    if (defaultExt)
        m_defaultExt = defaultExt;
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.hwndOwner = parent ? parent->m_hWnd : nullptr;
    m_ofn.lpstrFile = m_fileBuffer;
    m_ofn.nMaxFile = MAX_PATH * 4;
    m_ofn.lpstrFilter = m_filter.IsEmpty() ? nullptr : m_filter.GetString();
    m_ofn.lpstrDefExt = defaultExt ? m_defaultExt.GetString() : nullptr;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
}

INT_PTR CFileDialog::DoModal()
{
    if (!m_ofn.hwndOwner) {
        HWND owner = ::GetActiveWindow();
        while (owner && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD))
            owner = ::GetParent(owner);
        m_ofn.hwndOwner = owner;
    }
    BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetFileName() const
{
    CString path = GetPathName();
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

CString CFileDialog::GetFileExt() const
{
    CString name = GetFileName();
    int dot = name.ReverseFind(L'.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFolderPath() const
{
    CString path = GetPathName();
    int slash = path.ReverseFind(L'\\');
    return slash < 0 ? CString() : path.Left(slash);
}
