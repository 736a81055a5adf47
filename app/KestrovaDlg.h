#pragma once
// The program's only top-level window: the navigation column, the disk list
// with its rescan button, the clock-mode switch, the log export, the content
// area that shows one page at a time and the status bar with its progress
// bar. Its constructor starts the worker thread; it owns the five pages and
// turns clicks into requests to the worker and the worker's answers into
// what the window shows.
//
// Files of the class:
//   KestrovaDlg.cpp         construction, images, layout, controls, status bar, painting, end
//   KestrovaDlgMessages.cpp navigation, rescan, disk list, the worker's answers, close
//   KestrovaDlgSwitch.cpp   the clock-mode switch and its re-check timer
//   KestrovaDlgExport.cpp   the log export

#include "Afx.h"
#include "IconButton.h"
#include "StyleComboBox.h"
#include "StyleStatic.h"
#include "resource.h"

class CSSDOpThread;
class CDriveInfoDlg;
class CSystemOptDlg;
class CDiskHealthDlg;
class CUtilitiesDlg;
class CSystemInfoDlg;

// The re-check timer of the clock-mode switch: the window's only timer.
#define IDT_AUTO_CHECK_SMART 1
#define AUTO_CHECK_SMART_PERIOD_MS 6000

class CKestrovaDlg : public CDialogEx {
public:
    enum { IDD = IDD_MAIN_DIALOG };

    explicit CKestrovaDlg(CWnd* pParent = nullptr);
    ~CKestrovaDlg() override;

    BOOL DestroyWindow() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter and Esc take the close road: see OnClose.
    void OnOK() override;
    void OnCancel() override;

    void LoadImages();
    void FreeImages();
    void InitLayout();
    void InitControls();
    void InitStatusBar();
    void SetTitleFromFirstDrive();

    // Navigation, disk list, the worker's answers.
    void OnSysCommand(UINT nID, LPARAM lParam);
    HCURSOR OnQueryDragIcon();
    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    void OnBnClickedDiskInfo();
    void OnBnClickedSmartInfo();
    void OnBnClickedUtilities();
    void OnBnClickedSystemInfo();
    void OnBnClickedRescan();
    void OnCbnSelchangeDiskList();
    LRESULT OnDeviceListReady(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeviceUpdated(WPARAM wParam, LPARAM lParam);
    LRESULT OnInfoMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnSmartUpdated(WPARAM wParam, LPARAM lParam);
    LRESULT OnFlashId(WPARAM wParam, LPARAM lParam);
    LRESULT OnWriteCacheState(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);
    void AdjustDiskListHeight();
    void MoveMarker(CIconButton* marker);
    void ShowPage(CWnd* page);

    // Clock-mode switch.
    void OnBnClickedSwitchMode();
    void OnAutoCheckSmartTimer();
    void StartAutoCheckSmartTimer();
    void StopAutoCheckSmartTimer();
    void UpdateSwitchModeIcon();

    // Log export.
    void OnBnClickedLogExport();
    // TRUE (with a debug line) once the window is closing: the export then
    // writes no file.
    BOOL ExportRefusedWhileClosing();

    // The close road: stops the timer, takes the worker away from the pages
    // and asks the worker to end, once. Every end of the window comes here
    // first (OnClose, OnOK, OnCancel, DestroyWindow, the destructor).
    void PostQuitToWorker();
    void DetachPagesFromWorker();
    // Waits until the worker has ended (it finishes a running maintenance
    // operation first), so the process never cuts a drive operation short.
    void WaitForWorker();
    // The worker may be used: it exists and has not been asked to end.
    BOOL WorkerAvailable() const { return m_pOpThread != nullptr && !m_bQuitPosted; }

    DECLARE_MESSAGE_MAP()

    CStatusBar m_statusBar;
    CProgressCtrl m_progress;
    int m_nStatusBarHeight;
    CBitmap m_bkBitmap;
    HBITMAP m_hBkBitmap;
    BITMAP m_bkBitmapInfo;
    HICON m_hReloadIcon;
    HICON m_hExportLogIcon;
    CStyleStatic m_staticDiskList;
    CStyleStatic m_staticGamingMode;
    CIconButton m_btnRescan;
    CStyleComboBox m_comboDiskList;
    HICON m_hSelectIcon;
    HICON m_hDriveIcon;
    HICON m_hOptimizationIcon;
    HICON m_hHealthIcon;
    HICON m_hUtilityIcon;
    HICON m_hSystemIcon;
    HICON m_hSwitchModeIcon;
    HICON m_hSwitchMode2Icon;
    CIconButton m_btnLogExport;
    CIconButton m_btnDiskInfo;
    CIconButton m_btnSmartInfo;
    CIconButton m_btnGamingMode;
    CIconButton m_btnUtilities;
    CIconButton m_btnSystemInfo;
    CIconButton m_btnMarkDiskInfo;
    CIconButton m_btnMarkSmartInfo;
    CIconButton m_btnMarkGamingMode;
    CIconButton m_btnMarkUtilities;
    CIconButton m_btnMarkSystemInfo;
    CIconButton* m_pCurMarker;
    CIconButton m_btnSwitchMode;
    CRect m_rcWindow;
    CRect m_rcPage;
    CRect m_rcClient;
    CPoint m_ptNavOrigin;
    CSize m_sizeNavButton;

public:
    // Read by the pages and the worker.
    CWnd* m_pCurPage;
    CSystemInfoDlg* m_pSystemInfoDlg;
    CDriveInfoDlg* m_pDriveInfoDlg;
    CSystemOptDlg* m_pSystemOptDlg;
    CDiskHealthDlg* m_pDiskHealthDlg;
    CUtilitiesDlg* m_pUtilitiesDlg;
    CSSDOpThread* m_pOpThread;
    int m_nCurSel;
    UINT_PTR m_nAutoCheckTimer;
    CString m_strOldClkMode;
    CString m_strNewClkMode;
    BOOL m_bSwitching;

protected:
    HICON m_hIcon;

    // A copy of the worker's thread handle, valid after the worker deleted
    // itself, and whether the worker has been asked to end.
    HANDLE m_hWorkerThread;
    BOOL m_bQuitPosted;
};
