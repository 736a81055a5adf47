#pragma once
// The maintenance page: choosers for a firmware image file or folder, a
// low-level-format folder and a dump folder, and the requests to the worker
// that download firmware, run the low-level format, write the debug dump,
// security-erase the drive or switch its write cache. The main window
// creates it hidden and forwards the worker's write-cache state to it.

#include "Afx.h"
#include "IconButton.h"
#include "StyleEdit.h"
#include "resource.h"

#include <shlobj.h>

class CKestrovaDlg;
class CSSDOpThread;

#define UTILITIES_PATH_LENGTH 1024

class CUtilitiesDlg : public CDialog {
    DECLARE_DYNAMIC(CUtilitiesDlg)

public:
    enum { IDD = IDD_UTILITIES };

    explicit CUtilitiesDlg(CWnd* pParent);
    ~CUtilitiesDlg() override;

    // The write-cache button shows the state the worker reported.
    void UpdateWriteCacheState(int state);
    void ShowSuccessMessage();
    void Reserved();
    static int CALLBACK BrowseCallbackProc(HWND hwnd, UINT message, LPARAM lParam, LPARAM data);

    CKestrovaDlg* m_pMainDlg;
    CSSDOpThread* m_pOpThread;
    CString m_fwPathStr;
    CString m_llfPathStr;
    CString m_dumpPathStr;
    // The buffers the requests carry: they live as long as the page, so the
    // worker can copy them when its handler starts.
    WCHAR m_fwPath[UTILITIES_PATH_LENGTH];
    WCHAR m_llfPath[UTILITIES_PATH_LENGTH];
    WCHAR m_dumpPath[UTILITIES_PATH_LENGTH];

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnPaint();
    void OnBnClickedBrowseFw();
    void OnBnClickedFwUpdate();
    void OnBnClickedLowLevelFormat();
    void OnBnClickedBrowseLlf();
    void OnBnClickedBrowseDump();
    void OnBnClickedDump();
    void OnBnClickedSecurityErase();
    void OnBnClickedWriteCache();
    void LoadImages();
    void FreeImages();
    // The folder browser; TRUE with the chosen folder and a trailing backslash.
    BOOL BrowseFolder(LPCWSTR title, CString& folder);
    void Post(UINT message, WPARAM wParam);

    DECLARE_MESSAGE_MAP()

    CBitmap m_bkBitmap;
    HBITMAP m_hBkBitmap;
    BITMAP m_bkInfo;
    HICON m_hIconFwDownload;
    HICON m_hIconSearchFile;
    HICON m_hIconErase;
    HICON m_hIconDump;
    HICON m_hIconFormat;
    HICON m_hIconCheck;
    HICON m_hIconUncheck;
    CIconButton m_btnFwUpdate;
    CIconButton m_btnBrowseFw;
    CIconButton m_btnLowLevelFormat;
    CIconButton m_btnBrowseLlf;
    CIconButton m_btnDump;
    CIconButton m_btnBrowseDump;
    CIconButton m_btnSecurityErase;
    CIconButton m_btnWriteCache;
    CStyleEdit m_editFwPath;
    CStyleEdit m_editLlfPath;
    CStyleEdit m_editDumpPath;
};
