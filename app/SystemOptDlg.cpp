#include "SystemOptDlg.h"

#include "Kestrova.h"
#include "KestrovaDlg.h"
#include "PageImages.h"
#include "SmartAttributeRows.h"
#include "SSDOpThread.h"
#include "define.h"

IMPLEMENT_DYNAMIC(CSystemOptDlg, CDialog)

BEGIN_MESSAGE_MAP(CSystemOptDlg, CDialog)
ON_WM_PAINT()
ON_MESSAGE(WM_SYSOPT_DISABLE_INDEXING, OnDisableIndexing)
ON_MESSAGE(WM_SYSOPT_DISABLE_PREFETCH, OnDisablePrefetch)
ON_MESSAGE(WM_SYSOPT_DISABLE_FAST_STARTUP, OnDisableFastStartup)
ON_MESSAGE(WM_SYSOPT_ENABLE_TRIM, OnEnableTrim)
ON_MESSAGE(WM_SYSOPT_ENABLE_AHCI, OnEnableAhci)
END_MESSAGE_MAP()

CSystemOptDlg::CSystemOptDlg(CKestrovaDlg* pParent)
    : CDialog(IDD_SYSTEMOPT, pParent), m_pMainDlg(nullptr), m_pOpThread(nullptr), m_hBkBitmap(nullptr),
      m_bkBitmapInfo(), m_bIndexingEnabled(FALSE), m_bDefragEnabled(FALSE), m_bPrefetchEnabled(FALSE),
      m_bVirtualMemoryEnabled(FALSE), m_bFastStartupEnabled(FALSE), m_bTrimEnabled(FALSE), m_bAhciModeEnabled(FALSE)
{
    m_pMainDlg = static_cast<CKestrovaApp*>(AfxGetApp())->m_pMainDlg;
    m_pOpThread = m_pMainDlg ? m_pMainDlg->m_pOpThread : nullptr;
}

CSystemOptDlg::~CSystemOptDlg()
{
    FreeImages();
}

void CSystemOptDlg::FreeImages()
{
    FreePageBackground(m_bkBitmap, m_hBkBitmap);
}

void CSystemOptDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LIST_SMART, m_listSmart);
}

BOOL CSystemOptDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    return TRUE;
}

// A page lives as long as the main window: Enter and Esc in it must not end it as a dialog.
void CSystemOptDlg::OnOK() {}

void CSystemOptDlg::OnCancel() {}

void CSystemOptDlg::InitLayout()
{
    CRect client;
    GetClientRect(&client);
    client.DeflateRect(10, 15, 10, 15);
    m_listSmart.MoveWindow(&client, TRUE);
    m_listSmart.AdjustLayout();
}

void CSystemOptDlg::UpdateSmartList()
{
    m_listSmart.DeleteAllItems();
    if (!m_pOpThread)
        return;
    CSSDOpThread::StateLock lock(m_pOpThread);
    VntSSD* drive = m_pOpThread->GetRequestDevice();
    if (!drive)
        return;
    int slot = drive->m_index + SMART_NVME_SLOT_BASE;
    // A drive beyond the store's slots has no SMART record: an empty list,
    // rather than another slot's values.
    if (slot < 0 || slot >= SMART_MAX_DRIVE_SLOTS)
        return;
    FillSmartAttributeRows(m_listSmart, m_pOpThread->m_smartInfo, slot);
}

void CSystemOptDlg::OnPaint()
{
    CPaintDC dc(this);
    if (m_hBkBitmap)
        PaintPageBackground(*this, dc, m_bkBitmap, m_bkBitmapInfo);
}

void CSystemOptDlg::ExportInfo(FILE* fp)
{
    if (!fp)
        return;
    const struct {
        const char* format;
        BOOL state;
    } lines[] = {
        {"\tDrive indexing: %s\r\n", m_bIndexingEnabled},    {"\tDisk defragmentation: %s\r\n", m_bDefragEnabled},
        {"\tPrefetcher: %s\r\n", m_bPrefetchEnabled},        {"\tVirtual Memory: %s\r\n", m_bVirtualMemoryEnabled},
        {"\tHibernate Mode: %s\r\n", m_bFastStartupEnabled}, {"\tTRIM: %s\r\n", m_bTrimEnabled},
        {"\tAHCI Mode: %s\r\n", m_bAhciModeEnabled},
    };
    const char heading[] = "\r\n\r\nSystem Setting:\r\n";
    fwrite(heading, 1, sizeof(heading) - 1, fp);
    for (const auto& line : lines) {
        char text[128];
        int length = snprintf(text, sizeof(text), line.format, line.state ? "Enable" : "Disable");
        if (length > 0)
            fwrite(text, 1, static_cast<size_t>(length), fp);
    }
}

LRESULT CSystemOptDlg::OnDisableIndexing(WPARAM, LPARAM)
{
    m_sysOp.DisableIndexing();
    return 0;
}

LRESULT CSystemOptDlg::OnDisablePrefetch(WPARAM, LPARAM)
{
    if (!m_sysOp.DisablePrefetch()) {
        DebugPrint(L"DisablePrefetch fail\n");
        return 0;
    }
    if (!m_sysOp.DisableSuperfetch()) {
        DebugPrint(L"DisableSuperfetch fail\n");
        return 0;
    }
    m_bPrefetchEnabled = FALSE;
    m_listSmart.SetOptionState(SYSOPT_ITEM_PREFETCHER, TRUE);
    return 0;
}

LRESULT CSystemOptDlg::OnDisableFastStartup(WPARAM, LPARAM)
{
    if (!m_sysOp.DisableFastStartup()) {
        DebugPrint(L"DisableFastStartup fail\n");
        return 0;
    }
    m_bFastStartupEnabled = FALSE;
    m_listSmart.SetOptionState(SYSOPT_ITEM_HIBERNATE, TRUE);
    return 0;
}

LRESULT CSystemOptDlg::OnEnableTrim(WPARAM, LPARAM)
{
    if (!m_sysOp.EnableTrim()) {
        DebugPrint(L"Enable trim fail\n");
        return 0;
    }
    m_bTrimEnabled = TRUE;
    m_listSmart.SetOptionState(SYSOPT_ITEM_TRIM, TRUE);
    return 0;
}

LRESULT CSystemOptDlg::OnEnableAhci(WPARAM, LPARAM)
{
    if (!m_sysOp.EnableAhciMode()) {
        DebugPrint(L"EnableAhciMode fail\n");
        return 0;
    }
    m_bAhciModeEnabled = TRUE;
    m_listSmart.SetOptionState(SYSOPT_ITEM_AHCI, TRUE);
    return 0;
}

void CSystemOptDlg::UpdateOptState()
{
    if (!m_pOpThread)
        return;
    DWORD letterIndex = 0;
    {
        // The drive is opened from this thread: no worker request may run meanwhile.
        CSSDOpThread::OperationLock operation(m_pOpThread);
        if (!operation.Acquired())
            return;
        CSSDOpThread::StateLock lock(m_pOpThread);
        VntSSD* drive = m_pOpThread->GetCurrentDevice();
        if (!drive)
            return;
        if (drive->DeviceOpen()) {
            drive->DeviceGetPath2(0, &letterIndex);
            drive->DeviceClose();
        }
    }
    WCHAR letter = static_cast<WCHAR>(L'A' + letterIndex);
    m_bIndexingEnabled = m_sysOp.IsIndexingEnabled(letter);
    m_bDefragEnabled = m_sysOp.IsDefragEnabled();
    // Drives A and B hold no page file.
    m_bVirtualMemoryEnabled = letterIndex >= 2 ? m_sysOp.IsVirtualMemoryEnabled(letter) : FALSE;
    m_bPrefetchEnabled = m_sysOp.IsPrefetchEnabled();
    m_bFastStartupEnabled = m_sysOp.IsFastStartupEnabled();
    m_bTrimEnabled = m_sysOp.IsTrimEnabled();
    m_bAhciModeEnabled = m_sysOp.IsAhciModeEnabled();
}

void CSystemOptDlg::UpdateSwitchStates()
{
    m_listSmart.SetOptionState(SYSOPT_ITEM_INDEXING, !m_bIndexingEnabled);
    m_listSmart.SetOptionState(SYSOPT_ITEM_DEFRAG, !m_bDefragEnabled);
    m_listSmart.SetOptionState(SYSOPT_ITEM_PREFETCHER, !m_bPrefetchEnabled);
    m_listSmart.SetOptionState(SYSOPT_ITEM_VIRTUAL_MEMORY, !m_bVirtualMemoryEnabled);
    m_listSmart.SetOptionState(SYSOPT_ITEM_HIBERNATE, !m_bFastStartupEnabled);
    m_listSmart.SetOptionState(SYSOPT_ITEM_TRIM, m_bTrimEnabled);
    m_listSmart.SetOptionState(SYSOPT_ITEM_AHCI, m_bAhciModeEnabled);
}

void CSystemOptDlg::RefreshList()
{
    m_listSmart.RefreshItems();
}

void CSystemOptDlg::LoadImages()
{
    m_hBkBitmap = LoadPageBackground(L".\\res\\subbk.bmp", m_bkBitmap, m_bkBitmapInfo);
}
