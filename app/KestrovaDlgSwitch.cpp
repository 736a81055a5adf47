// The clock-mode switch: a click asks the current drive to switch, shows the
// drive page, then watches the page's clock-mode value every 6 seconds until
// the drive reports a different one.

#include "DriveInfoDlg.h"
#include "KestrovaDlg.h"
#include "SSDOpThread.h"
#include "define.h"

void CKestrovaDlg::OnBnClickedSwitchMode()
{
    if (m_bSwitching || !WorkerAvailable() || !m_pDriveInfoDlg)
        return;
    // Clicked while this thread already waits for the worker (a rescan held
    // back by a long operation): the switch would be refused, so the window
    // stays exactly as it was.
    if (CSSDOpThread::OperationLock::IsWaiting())
        return;
    m_bSwitching = TRUE;
    m_strOldClkMode = m_pDriveInfoDlg->m_originalClkModeStr;

    m_pOpThread->OnSwitchSpeed(0, 0);
    // Closed while the switch waited for the worker: nothing more to show.
    if (!WorkerAvailable())
        return;
    // The drive needs a moment before its SMART data shows the new mode.
    ::Sleep(2000);
    if (!WorkerAvailable())
        return;

    ShowPage(m_pDriveInfoDlg);
    m_pDriveInfoDlg->RequestDriveInfo();
    m_strNewClkMode = m_pDriveInfoDlg->m_originalClkModeStr;
    if (m_strNewClkMode == m_strOldClkMode) {
        StartAutoCheckSmartTimer();
        ::MessageBoxW(m_hWnd, L"Under Processing now and please wait an moment.\n", L"Smart Tool", MB_OK);
    }
}

void CKestrovaDlg::StartAutoCheckSmartTimer()
{
    if (m_nAutoCheckTimer != 0)
        return;
    m_nAutoCheckTimer = SetTimer(IDT_AUTO_CHECK_SMART, AUTO_CHECK_SMART_PERIOD_MS, nullptr);
    if (m_nAutoCheckTimer == 0)
        DebugPrint(L"%s -> Set auto scan device timer fail......\n", L"CKestrovaDlg::StartAutoCheckSmartTimer");
    else
        DebugPrint(L"%s -> Auto scan timer start\n", L"CKestrovaDlg::StartAutoCheckSmartTimer");
}

void CKestrovaDlg::StopAutoCheckSmartTimer()
{
    if (m_nAutoCheckTimer == 0)
        return;
    DebugPrint(L"%s -> Stop auto scan timer\n", L"CKestrovaDlg::StopAutoCheckSmartTimer");
    if (KillTimer(m_nAutoCheckTimer))
        DebugPrint(L"%s -> Auto scan timer stopped\n", L"CKestrovaDlg::StopAutoCheckSmartTimer");
    else
        DebugPrint(L"%s -> Kill auto scan timer fail, Getlasterror: %d\n", L"CKestrovaDlg::StopAutoCheckSmartTimer",
                   ::GetLastError());
    m_nAutoCheckTimer = 0;
}

void CKestrovaDlg::OnAutoCheckSmartTimer()
{
    if (!WorkerAvailable() || !m_pDriveInfoDlg) {
        StopAutoCheckSmartTimer();
        return;
    }
    m_pOpThread->PostThreadMessage(WM_SSDOP_REFRESH_DEVICE, 0, 0);
    m_strNewClkMode = m_pDriveInfoDlg->m_originalClkModeStr;
    if (m_strNewClkMode != m_strOldClkMode) {
        StopAutoCheckSmartTimer();
        UpdateSwitchModeIcon();
        m_bSwitching = FALSE;
    }
}

void CKestrovaDlg::UpdateSwitchModeIcon()
{
    if (!m_pDriveInfoDlg)
        return;
    HICON image = m_pDriveInfoDlg->m_clkModeFlag != 0 ? m_hSwitchMode2Icon : m_hSwitchModeIcon;
    m_btnSwitchMode.SetIcons(image, nullptr);
    UpdateData(TRUE);
}
