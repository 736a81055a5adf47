#pragma once
// The classic open and save dialogs. The filter uses the framework's form
// ("Text (*.txt)|*.txt|All Files (*.*)|*.*||").

#include "CString.h"
#include "CWnd.h"

#include <commdlg.h>

class CFileDialog : public CObject {
public:
    CFileDialog(BOOL openFileDialog, LPCWSTR defaultExt = nullptr, LPCWSTR fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR filter = nullptr, CWnd* parent = nullptr,
                DWORD size = 0, BOOL vistaStyle = TRUE);

    virtual INT_PTR DoModal();

    // The chosen path, read from the buffer m_ofn names (a caller may give
    // its own, e.g. one holding a default name).
    CString GetPathName() const { return m_ofn.lpstrFile ? m_ofn.lpstrFile : L""; }
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFolderPath() const;

    OPENFILENAMEW m_ofn = {};

private:
    BOOL m_bOpenFileDialog;
    wchar_t m_fileBuffer[MAX_PATH * 4] = {};
    CString m_filter;
    CString m_defaultExt;
};
