// The log export: a narrow text report, the pages' sections in a fixed order,
// written to a file the user chooses.

#include "DiskHealthDlg.h"
#include "DriveInfoDlg.h"
#include "KestrovaDlg.h"
#include "SystemInfoDlg.h"
#include "SystemOptDlg.h"
#include "define.h"

#include <cstdio>

void CKestrovaDlg::OnBnClickedLogExport()
{
    // A click queued behind the close: the drives are the worker's, which
    // may be gone by now, so there is nothing whole left to export.
    if (ExportRefusedWhileClosing())
        return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    // The dialog's name buffer starts with the default name, so it opens
    // with that name filled in.
    CString name;
    name.Format(L"Kestrova_%04d%02d%02d%02d%02d%02d.log", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                now.wSecond);
    LPWSTR buffer = name.GetBuffer(MAX_PATH);

    CFileDialog dialog(FALSE, L"log", nullptr, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
                       L"Log Files (*.log)|*.log|All Files (*.*)|*.*||", nullptr, 0, TRUE);
    dialog.m_ofn.lpstrFile = buffer;
    dialog.m_ofn.nMaxFile = MAX_PATH;
    // The window may have been closed while its dialog was open; then no
    // file is written, rather than one without its drives.
    if (dialog.DoModal() == IDOK && !ExportRefusedWhileClosing()) {
        // Binary: the sections write their own CR LF line ends.
        FILE* file = _wfopen(dialog.GetPathName(), L"wb");
        if (!file) {
            ::MessageBoxW(m_hWnd, L"Open log file fail", L"IO Error", MB_ICONERROR);
        } else {
            if (m_pDriveInfoDlg)
                m_pDriveInfoDlg->ExportInfo(file);
            if (m_pDiskHealthDlg)
                m_pDiskHealthDlg->ExportInfo(file);
            if (m_pSystemOptDlg)
                m_pSystemOptDlg->ExportInfo(file);
            if (m_pSystemInfoDlg)
                m_pSystemInfoDlg->ExportInfo(file);
            fclose(file);
        }
    }
    name.ReleaseBuffer();
}

BOOL CKestrovaDlg::ExportRefusedWhileClosing()
{
    if (!m_bQuitPosted)
        return FALSE;
    DebugPrint(L"%s -> Not written: the window is closing\n", L"CKestrovaDlg::OnBnClickedLogExport");
    return TRUE;
}
