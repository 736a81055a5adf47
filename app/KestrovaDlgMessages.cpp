// The main window's navigation, rescan, disk list, the worker's answers and
// the close road.

#include "DeviceOperation.h"
#include "DiskHealthDlg.h"
#include "DriveInfoDlg.h"
#include "KestrovaDlg.h"
#include "MessageInfoDlg.h"
#include "SSDOpThread.h"
#include "SystemOptDlg.h"
#include "UtilitiesDlg.h"
#include "define.h"

#include <setupapi.h>

void CKestrovaDlg::PostQuitToWorker()
{
    StopAutoCheckSmartTimer();
    if (m_pOpThread && !m_bQuitPosted) {
        // From the quit on, the worker may end and delete itself at any
        // moment, while clicks queued behind the close are still to be
        // dispatched (inside a rescan's or switch's wait, or by the modal
        // loop). The pages lose their copies of the worker's pointer first,
        // and the window's own handlers ask WorkerAvailable(): nothing of the
        // window, its pages or its timer reaches the worker again.
        DetachPagesFromWorker();
        m_bQuitPosted = TRUE;
        // Requests still queued are dropped, and a rescan or switch this
        // thread waits in gives up.
        m_pOpThread->PostQuit();
    }
}

// Every page that keeps the worker's pointer is listed here: the one place
// where the close takes it away.
void CKestrovaDlg::DetachPagesFromWorker()
{
    if (m_pDriveInfoDlg)
        m_pDriveInfoDlg->m_pOpThread = nullptr;
    if (m_pSystemOptDlg)
        m_pSystemOptDlg->m_pOpThread = nullptr;
    if (m_pDiskHealthDlg)
        m_pDiskHealthDlg->m_pOpThread = nullptr;
    if (m_pUtilitiesDlg)
        m_pUtilitiesDlg->m_pOpThread = nullptr;
}

void CKestrovaDlg::WaitForWorker()
{
    PostQuitToWorker();
    if (!m_hWorkerThread)
        return;
    // The quit request waits behind a running maintenance operation; a
    // firmware download or format cut short by the process ending could
    // leave the drive unusable, so the program ends only after the worker.
    // The worker only posts to the window, so it never waits for this thread.
    ::WaitForSingleObject(m_hWorkerThread, INFINITE);
    ::CloseHandle(m_hWorkerThread);
    m_hWorkerThread = nullptr;
}

void CKestrovaDlg::OnClose()
{
    PostQuitToWorker();
    CDialogEx::OnClose();
}

// Enter and Esc would end the window like the caption button does; they take
// the same road, so the worker is always asked to end and always waited for.
void CKestrovaDlg::OnOK()
{
    PostQuitToWorker();
    CDialogEx::OnOK();
}

void CKestrovaDlg::OnCancel()
{
    PostQuitToWorker();
    CDialogEx::OnCancel();
}

void CKestrovaDlg::MoveMarker(CIconButton* marker)
{
    if (m_pCurMarker) {
        m_pCurMarker->SetIcons(nullptr, nullptr);
        m_pCurMarker->Invalidate(TRUE);
        m_pCurMarker->UpdateWindow();
    }
    marker->SetIcons(m_hSelectIcon, nullptr);
    m_pCurMarker = marker;
}

void CKestrovaDlg::ShowPage(CWnd* page)
{
    if (m_pCurPage)
        m_pCurPage->ShowWindow(SW_HIDE);
    page->ShowWindow(SW_SHOW);
    m_pCurPage = page;
}

void CKestrovaDlg::OnBnClickedDiskInfo()
{
    if (m_pCurMarker == &m_btnMarkDiskInfo || !m_pDriveInfoDlg)
        return;
    MoveMarker(&m_btnMarkDiskInfo);
    ShowPage(m_pDriveInfoDlg);
    if (WorkerAvailable())
        m_pDriveInfoDlg->RequestDriveInfo();
}

void CKestrovaDlg::OnBnClickedSmartInfo()
{
    if (m_pCurPage == m_pSystemOptDlg || !m_pSystemOptDlg)
        return;
    MoveMarker(&m_btnMarkSmartInfo);
    ShowPage(m_pSystemOptDlg);
    if (WorkerAvailable())
        m_pSystemOptDlg->UpdateSmartList();
}

// The utilities and system-information buttons are hidden and do nothing.
void CKestrovaDlg::OnBnClickedUtilities() {}

void CKestrovaDlg::OnBnClickedSystemInfo() {}

void CKestrovaDlg::OnBnClickedRescan()
{
    if (m_pDriveInfoDlg)
        m_pDriveInfoDlg->Invalidate(TRUE);
    if (WorkerAvailable())
        m_pOpThread->FindVnSSD();
}

void CKestrovaDlg::OnCbnSelchangeDiskList()
{
    m_nCurSel = m_comboDiskList.GetCurSel();
    if (WorkerAvailable())
        m_pOpThread->PostThreadMessage(WM_SSDOP_SELECT_DEVICE, static_cast<WPARAM>(m_nCurSel), 0);
}

LRESULT CKestrovaDlg::OnDeviceListReady(WPARAM, LPARAM)
{
    for (int i = m_comboDiskList.GetCount() - 1; i >= 0; --i)
        m_comboDiskList.DeleteString(static_cast<UINT>(i));
    if (!WorkerAvailable())
        return 0;

    UINT count = 0;
    {
        CSSDOpThread::StateLock lock(m_pOpThread);
        count = m_pOpThread->m_deviceCount;
        for (UINT i = 0; i < count; ++i) {
            CString name;
            DeviceOperation::GetDevPropertyStr(m_pOpThread->m_deviceList[i]->m_childInst, SPDRP_FRIENDLYNAME, name);
            m_comboDiskList.AddString(name);
        }
    }
    if (count != 0) {
        m_nCurSel = 0;
        m_comboDiskList.SetCurSel(0);
        m_pOpThread->PostThreadMessage(WM_SSDOP_SELECT_DEVICE, 0, 0);
        if (m_pDriveInfoDlg && m_pCurPage == m_pDriveInfoDlg)
            m_pDriveInfoDlg->RequestDriveInfo();
    }
    AdjustDiskListHeight();
    return 0;
}

void CKestrovaDlg::AdjustDiskListHeight()
{
    CDC* dc = m_comboDiskList.GetDC();
    if (!dc)
        return;
    CFont* font = m_comboDiskList.GetFont();
    HGDIOBJ oldFont = font ? dc->SelectObject(static_cast<HGDIOBJ>(font->m_hObject)) : nullptr;
    for (int i = 0; i < m_comboDiskList.GetCount(); ++i) {
        CString text;
        m_comboDiskList.GetLBText(i, text);
        CSize extent = dc->GetTextExtent(text);
        m_comboDiskList.SetItemHeight(i, static_cast<UINT>(extent.cy * 1.2));
    }
    m_comboDiskList.SetItemHeight(-1, 20);
    if (oldFont)
        dc->SelectObject(oldFont);
    m_comboDiskList.ReleaseDC(dc);
}

LRESULT CKestrovaDlg::OnDeviceUpdated(WPARAM, LPARAM)
{
    if (!WorkerAvailable() || !m_pDriveInfoDlg || m_pCurPage != m_pDriveInfoDlg)
        return 0;
    m_pDriveInfoDlg->UpdateSSDDriveInfo();
    m_pDriveInfoDlg->Invalidate(TRUE);
    UpdateSwitchModeIcon();
    m_pDriveInfoDlg->UpdateData(TRUE);
    return 0;
}

LRESULT CKestrovaDlg::OnInfoMessage(WPARAM wParam, LPARAM lParam)
{
    // The text is the worker's heap copy for this one message: take it, free it.
    CString text = lParam ? SSDOpMessageText(lParam) : L"";
    SSDOpFreeText(lParam);
    if (m_bQuitPosted || !m_statusBar.GetSafeHwnd())
        return 0;

    if (wParam == INFO_KIND_STATUS) {
        m_statusBar.SetPaneText(1, text);
        return 0;
    }
    m_statusBar.SetPaneText(1, L"");
    m_progress.SetPos(0);
    DebugPrint(L"%s", static_cast<LPCWSTR>(text));
    CMessageInfoDlg box(text.Find(L"fail") >= 0 ? MSGINFO_FAIL : MSGINFO_SUCCESS, text);
    box.DoModal();
    return 0;
}

LRESULT CKestrovaDlg::OnProgress(WPARAM wParam, LPARAM)
{
    if (m_progress.GetSafeHwnd())
        m_progress.SetPos(static_cast<int>(wParam));
    return 0;
}

LRESULT CKestrovaDlg::OnSmartUpdated(WPARAM, LPARAM)
{
    return 0;
}

LRESULT CKestrovaDlg::OnFlashId(WPARAM wParam, LPARAM)
{
    SSDOpFreeBlock(wParam);
    return 0;
}

LRESULT CKestrovaDlg::OnWriteCacheState(WPARAM wParam, LPARAM)
{
    if (m_pUtilitiesDlg)
        m_pUtilitiesDlg->UpdateWriteCacheState(static_cast<int>(wParam));
    return 0;
}

void CKestrovaDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == IDT_AUTO_CHECK_SMART)
        OnAutoCheckSmartTimer();
    CDialogEx::OnTimer(nIDEvent);
}
