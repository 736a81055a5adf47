#pragma once
// The SMART page: one list row per catalogued SMART attribute of the current
// drive, filled from the worker's SMART store each time the page is shown.
// It also keeps seven Windows tuning states and the handlers that change
// them through its SystemOperation, and writes the "System Setting:"
// section of the log export.

#include "Afx.h"
#include "SysOptListCtrl.h"
#include "SystemOperation.h"
#include "resource.h"

#include <cstdio>

class CKestrovaDlg;
class CSSDOpThread;

// Tuning requests to the page.
#define WM_SYSOPT_DISABLE_INDEXING (WM_USER + 768)
#define WM_SYSOPT_DISABLE_PREFETCH (WM_USER + 769)
#define WM_SYSOPT_DISABLE_FAST_STARTUP (WM_USER + 770)
#define WM_SYSOPT_ENABLE_TRIM (WM_USER + 771)
#define WM_SYSOPT_ENABLE_AHCI (WM_USER + 772)

class CSystemOptDlg : public CDialog {
    DECLARE_DYNAMIC(CSystemOptDlg)

public:
    enum { IDD = IDD_SYSTEMOPT };

    explicit CSystemOptDlg(CKestrovaDlg* pParent);
    ~CSystemOptDlg() override;

    void InitLayout();
    void UpdateSmartList();
    void ExportInfo(FILE* fp);
    void LoadImages();
    void UpdateOptState();
    void UpdateSwitchStates();
    void RefreshList();

    CKestrovaDlg* m_pMainDlg;
    CSSDOpThread* m_pOpThread;
    SystemOperation m_sysOp;

protected:
    CBitmap m_bkBitmap;
    HBITMAP m_hBkBitmap;
    BITMAP m_bkBitmapInfo;
    CSysOptListCtrl m_listSmart;

public:
    // TRUE when the Windows feature is on. Nothing reads the settings in the
    // running program, so they start as "off" rather than as whatever the
    // memory held; the log export writes them as they are.
    BOOL m_bIndexingEnabled;
    BOOL m_bDefragEnabled;
    BOOL m_bPrefetchEnabled;
    BOOL m_bVirtualMemoryEnabled;
    BOOL m_bFastStartupEnabled;
    BOOL m_bTrimEnabled;
    BOOL m_bAhciModeEnabled;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnPaint();
    LRESULT OnDisableIndexing(WPARAM wParam, LPARAM lParam);
    LRESULT OnDisablePrefetch(WPARAM wParam, LPARAM lParam);
    LRESULT OnDisableFastStartup(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnableTrim(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnableAhci(WPARAM wParam, LPARAM lParam);
    void FreeImages();

    DECLARE_MESSAGE_MAP()
};
