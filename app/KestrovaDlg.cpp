#include "KestrovaDlg.h"

#include "AboutDlg.h"
#include "DiskHealthDlg.h"
#include "DriveInfoDlg.h"
#include "Kestrova.h"
#include "PageImages.h"
#include "SSDOpThread.h"
#include "SystemInfoDlg.h"
#include "SystemOptDlg.h"
#include "UtilitiesDlg.h"
#include "define.h"

BEGIN_MESSAGE_MAP(CKestrovaDlg, CDialogEx)
ON_WM_SYSCOMMAND()
ON_WM_QUERYDRAGICON()
ON_WM_PAINT()
ON_WM_DESTROY()
ON_WM_SIZE()
ON_WM_CLOSE()
ON_BN_CLICKED(IDC_BTN_DISK_INFO, OnBnClickedDiskInfo)
ON_BN_CLICKED(IDC_BTN_SMART_INFO, OnBnClickedSmartInfo)
ON_BN_CLICKED(IDC_BTN_SWITCH_MODE, OnBnClickedSwitchMode)
ON_BN_CLICKED(IDC_BTN_UTILITIES, OnBnClickedUtilities)
ON_BN_CLICKED(IDC_BTN_SYSTEM_INFO, OnBnClickedSystemInfo)
ON_BN_CLICKED(IDC_BTN_RESCAN, OnBnClickedRescan)
ON_BN_CLICKED(IDC_BTN_LOG_EXPORT, OnBnClickedLogExport)
ON_CBN_SELCHANGE(IDC_COMBO_DISK_LIST, OnCbnSelchangeDiskList)
ON_MESSAGE(WM_SSDOP_DEVICE_LIST_READY, OnDeviceListReady)
ON_MESSAGE(WM_SSDOP_DEVICE_UPDATED, OnDeviceUpdated)
ON_MESSAGE(WM_SSDOP_INFO_MESSAGE, OnInfoMessage)
ON_MESSAGE(WM_SSDOP_PROGRESS, OnProgress)
ON_MESSAGE(WM_SSDOP_SMART_UPDATED, OnSmartUpdated)
ON_MESSAGE(WM_SSDOP_FLASH_ID, OnFlashId)
ON_MESSAGE(WM_SSDOP_WRITE_CACHE_STATE, OnWriteCacheState)
ON_WM_TIMER()
END_MESSAGE_MAP()

// Caption colour of the navigation buttons and the main window's labels.
static const COLORREF kCaptionColor = RGB(50, 50, 50);
static const UINT kIndicators[] = {ID_STATUS_PANE_MAKER, ID_STATUS_PANE_TEXT, ID_STATUS_PANE_PROGRESS};

CKestrovaDlg::CKestrovaDlg(CWnd* pParent)
    : CDialogEx(IDD_MAIN_DIALOG, pParent), m_nStatusBarHeight(30), m_hBkBitmap(nullptr), m_bkBitmapInfo(),
      m_hReloadIcon(nullptr), m_hExportLogIcon(nullptr), m_hSelectIcon(nullptr), m_hDriveIcon(nullptr),
      m_hOptimizationIcon(nullptr), m_hHealthIcon(nullptr), m_hUtilityIcon(nullptr), m_hSystemIcon(nullptr),
      m_hSwitchModeIcon(nullptr), m_hSwitchMode2Icon(nullptr), m_pCurMarker(nullptr), m_pCurPage(nullptr),
      m_pSystemInfoDlg(nullptr), m_pDriveInfoDlg(nullptr), m_pSystemOptDlg(nullptr), m_pDiskHealthDlg(nullptr),
      m_pUtilitiesDlg(nullptr), m_pOpThread(nullptr), m_nCurSel(0), m_nAutoCheckTimer(0), m_bSwitching(FALSE),
      m_hIcon(nullptr), m_hWorkerThread(nullptr), m_bQuitPosted(FALSE)
{
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
    m_pOpThread = static_cast<CSSDOpThread*>(AfxBeginThread(RUNTIME_CLASS(CSSDOpThread), THREAD_PRIORITY_NORMAL));
    // The worker deletes itself (and closes its handle) when it ends; this
    // copy lets the window wait for that end.
    if (m_pOpThread && m_pOpThread->m_hThread)
        ::DuplicateHandle(::GetCurrentProcess(), m_pOpThread->m_hThread, ::GetCurrentProcess(), &m_hWorkerThread, 0,
                          FALSE, DUPLICATE_SAME_ACCESS);
    LoadImages();
}

CKestrovaDlg::~CKestrovaDlg()
{
    FreeImages();
    WaitForWorker();
}

void CKestrovaDlg::LoadImages()
{
    m_hExportLogIcon = LoadPageIcon(L".\\res\\exportlog.ico", L"Load Export log icon error, error num: %d\n");
    m_hSystemIcon = LoadPageIcon(L".\\res\\system.ico", L"Load system icon error, error num: %d\n");
    m_hDriveIcon = LoadPageIcon(L".\\res\\drive.ico", L"Load drive icon error, error num: %d\n");
    m_hOptimizationIcon = LoadPageIcon(L".\\res\\optimization.ico", L"Load optimization icon error, error num: %d\n");
    m_hHealthIcon = LoadPageIcon(L".\\res\\health.ico", L"Load health icon error, error num: %d\n");
    m_hUtilityIcon = LoadPageIcon(L".\\res\\utility.ico", L"Load utility icon error, error num: %d\n");
    m_hSelectIcon = LoadPageIcon(L".\\res\\select.ico", L"Load select icon error, error num: %d\n");
    m_hReloadIcon = LoadPageIcon(L".\\res\\reload.ico", L"Load reload icon error, error num: %d\n");
    m_hSwitchModeIcon = LoadPageIcon(L".\\res\\switchmode.ico", L"Load Export switch mode icon error, error num: %d\n");
    m_hSwitchMode2Icon =
        LoadPageIcon(L".\\res\\switchmode2.ico", L"Load Export switch mode 2 icon error, error num: %d\n");
    m_hBkBitmap = LoadPageBackground(L".\\res\\mainbk.bmp", m_bkBitmap, m_bkBitmapInfo);
}

void CKestrovaDlg::FreeImages()
{
    FreePageIcons({&m_hReloadIcon, &m_hExportLogIcon, &m_hSelectIcon, &m_hDriveIcon, &m_hOptimizationIcon,
                   &m_hHealthIcon, &m_hUtilityIcon, &m_hSystemIcon, &m_hSwitchModeIcon, &m_hSwitchMode2Icon});
    FreePageBackground(m_bkBitmap, m_hBkBitmap);
}

void CKestrovaDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialogEx::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BTN_LOG_EXPORT, m_btnLogExport);
    DDX_Control(pDX, IDC_BTN_DISK_INFO, m_btnDiskInfo);
    DDX_Control(pDX, IDC_BTN_SMART_INFO, m_btnSmartInfo);
    DDX_Control(pDX, IDC_BTN_GAMING_MODE, m_btnGamingMode);
    DDX_Control(pDX, IDC_BTN_UTILITIES, m_btnUtilities);
    DDX_Control(pDX, IDC_BTN_SYSTEM_INFO, m_btnSystemInfo);
    DDX_Control(pDX, IDC_MARK_DISK_INFO, m_btnMarkDiskInfo);
    DDX_Control(pDX, IDC_MARK_SMART_INFO, m_btnMarkSmartInfo);
    DDX_Control(pDX, IDC_MARK_GAMING_MODE, m_btnMarkGamingMode);
    DDX_Control(pDX, IDC_MARK_UTILITIES, m_btnMarkUtilities);
    DDX_Control(pDX, IDC_MARK_SYSTEM_INFO, m_btnMarkSystemInfo);
    DDX_Control(pDX, IDC_BTN_SWITCH_MODE, m_btnSwitchMode);
    DDX_Control(pDX, IDC_COMBO_DISK_LIST, m_comboDiskList);
    DDX_Control(pDX, IDC_STATIC_DISK_LIST, m_staticDiskList);
    DDX_Control(pDX, IDC_BTN_RESCAN, m_btnRescan);
    DDX_Control(pDX, IDC_STATIC_GAMING_MODE, m_staticGamingMode);
}

BOOL CKestrovaDlg::OnInitDialog()
{
    CDialogEx::OnInitDialog();

    if (CMenu* sysMenu = GetSystemMenu(FALSE)) {
        CString aboutText;
        aboutText.LoadString(IDS_ABOUTBOX);
        if (!aboutText.IsEmpty()) {
            sysMenu->AppendMenu(MF_SEPARATOR);
            sysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // The scan runs here, on this thread; when it keeps a drive the worker
    // sends WM_SSDOP_DEVICE_LIST_READY before the call returns.
    if (m_pOpThread)
        m_pOpThread->FindVnSSD();

    InitLayout();
    InitControls();
    InitStatusBar();
    SetTitleFromFirstDrive();

    m_btnSwitchMode.ShowWindow(SW_SHOW);
    m_staticGamingMode.ShowWindow(SW_SHOW);
    m_bSwitching = FALSE;
    return TRUE;
}

// The title names the model of the first kept drive, once: later scans and
// selections leave it. With no drive kept there is no firmware to test, and
// the title is the one for any firmware without "VG".
void CKestrovaDlg::SetTitleFromFirstDrive()
{
    CString firmware;
    if (m_pOpThread) {
        CSSDOpThread::StateLock lock(m_pOpThread);
        if (VntSSD* drive = m_pOpThread->GetCurrentDevice())
            firmware.Format(L"%S", drive->m_fwVersion);
    }
    SetWindowText(firmware.Find(L"VG") >= 0 ? L"Zarvo ZR80e SMART Tool" : L"Zarvo ZR50e SMART Tool");
}

void CKestrovaDlg::InitLayout()
{
    m_nStatusBarHeight = 30;
    m_rcClient = CRect(0, 0, 905, 600 + m_nStatusBarHeight);
    int width = 905 + 2 * ::GetSystemMetrics(SM_CXDLGFRAME);
    int height = 630 + ::GetSystemMetrics(SM_CYCAPTION) + 2 * ::GetSystemMetrics(SM_CYDLGFRAME);
    m_rcWindow = CRect(0, 0, width, height);
    MoveWindow((::GetSystemMetrics(SM_CXSCREEN) - width) / 2, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width,
               height, TRUE);

    m_ptNavOrigin = CPoint(36, 48);
    m_sizeNavButton = CSize(200 - 36, 64);
    m_rcPage = CRect(m_sizeNavButton.cx + m_ptNavOrigin.x + 4, 80, m_rcClient.right - 5,
                     m_rcClient.bottom - m_nStatusBarHeight - 10);

    auto place = [this](CDialog* page, UINT templateId) {
        page->Create(templateId, this);
        page->MoveWindow(m_rcPage.left, m_rcPage.top, m_rcPage.Width(), m_rcPage.Height(), FALSE);
    };
    m_pDriveInfoDlg = new CDriveInfoDlg(this);
    place(m_pDriveInfoDlg, IDD_DRIVEINFO);
    m_pDriveInfoDlg->ShowWindow(SW_SHOW);

    m_pSystemOptDlg = new CSystemOptDlg(this);
    place(m_pSystemOptDlg, IDD_SYSTEMOPT);
    m_pSystemOptDlg->InitLayout();
    m_pSystemOptDlg->ShowWindow(SW_HIDE);

    m_pDiskHealthDlg = new CDiskHealthDlg(this);
    place(m_pDiskHealthDlg, IDD_DISKHEALTH);
    m_pDiskHealthDlg->ShowWindow(SW_HIDE);

    m_pUtilitiesDlg = new CUtilitiesDlg(this);
    place(m_pUtilitiesDlg, IDD_UTILITIES);
    m_pUtilitiesDlg->ShowWindow(SW_HIDE);

    m_pSystemInfoDlg = new CSystemInfoDlg(this);
    place(m_pSystemInfoDlg, IDD_SYSTEMINFO);
    m_pSystemInfoDlg->InitLayout();
    m_pSystemInfoDlg->ShowWindow(SW_HIDE);

    m_pCurPage = m_pDriveInfoDlg;
}

void CKestrovaDlg::InitControls()
{
    auto placeNavButton = [this](CIconButton& button) {
        CRect rect;
        button.GetWindowRect(&rect);
        ScreenToClient(&rect);
        button.MoveWindow(0, rect.top, m_sizeNavButton.cx, m_sizeNavButton.cy, TRUE);
    };
    auto setCaptionColors = [](CIconButton& button) {
        button.SetStateColor(BTNCOLOR_FG_ACTIVE, kCaptionColor, TRUE);
        button.SetStateColor(BTNCOLOR_FG_NORMAL, kCaptionColor, TRUE);
        button.SetStateColor(BTNCOLOR_FG_FOCUS, kCaptionColor, TRUE);
    };

    placeNavButton(m_btnDiskInfo);
    m_btnDiskInfo.SetIcons(m_hDriveIcon, nullptr);
    m_btnDiskInfo.SetFontStyle(15, 0, 600, FALSE);
    m_btnDiskInfo.SetCaptionPlacement(BTNCAPTION_TWO_LINES, TRUE);
    setCaptionColors(m_btnDiskInfo);

    placeNavButton(m_btnSmartInfo);
    m_btnSmartInfo.SetIcons(m_hOptimizationIcon, nullptr);
    m_btnSmartInfo.SetFontStyle(15, 0, 600, FALSE);
    setCaptionColors(m_btnSmartInfo);

    m_btnGamingMode.ShowWindow(SW_HIDE);
    m_btnUtilities.ShowWindow(SW_HIDE);
    m_btnSystemInfo.ShowWindow(SW_HIDE);

    m_btnMarkDiskInfo.SetIcons(m_hSelectIcon, nullptr);
    m_pCurMarker = &m_btnMarkDiskInfo;

    m_staticDiskList.SetFontStyle(16, 7, 700, FALSE);
    m_staticDiskList.SetTextColor(kCaptionColor);

    m_btnRescan.SetIcons(m_hReloadIcon, nullptr);
    m_btnRescan.ResizeToImage();

    m_btnSwitchMode.SetIcons(m_hSwitchModeIcon, nullptr);

    m_staticGamingMode.SetFontStyle(16, 7, 700, FALSE);
    m_staticGamingMode.SetTextColor(kCaptionColor);

    m_btnLogExport.SetIcons(m_hExportLogIcon, nullptr);
    m_btnLogExport.SetCaptionPlacement(BTNCAPTION_TWO_LINES, TRUE);

    m_comboDiskList.SetFontStyle(15, 7, 400, FALSE);
    m_comboDiskList.SetItemHeight(-1, 20);
}

void CKestrovaDlg::InitStatusBar()
{
    m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR);
    m_statusBar.SetIndicators(kIndicators, static_cast<int>(sizeof(kIndicators) / sizeof(kIndicators[0])));
    m_statusBar.GetStatusBarCtrl().SetMinHeight(m_nStatusBarHeight);

    int fifth = m_rcClient.Width() / 5;
    m_statusBar.SetPaneInfo(0, ID_STATUS_PANE_MAKER, SBPS_NORMAL, fifth);
    m_statusBar.SetPaneInfo(1, ID_STATUS_PANE_TEXT, SBPS_NORMAL, 2 * fifth);
    m_statusBar.SetPaneInfo(2, ID_STATUS_PANE_PROGRESS, SBPS_NORMAL, 2 * fifth);
    m_statusBar.SetPaneText(0, L"Vantrel");
    m_statusBar.SetPaneText(1, L"");

    RepositionBars(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST);

    CRect pane;
    m_statusBar.GetItemRect(2, &pane);
    pane.left -= 2;
    pane.top -= 2;
    pane.bottom += 1;
    m_progress.Create(WS_CHILD | WS_VISIBLE | PBS_SMOOTH, pane, &m_statusBar, IDC_STATUS_PROGRESS);
    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);
}

void CKestrovaDlg::OnPaint()
{
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        CRect client;
        GetClientRect(&client);
        int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
        return;
    }
    CPaintDC dc(this);
    if (!m_hBkBitmap)
        return;
    CDC memDC;
    memDC.CreateCompatibleDC(&dc);
    CBitmap* old = memDC.SelectObject(&m_bkBitmap);
    CRect client;
    GetClientRect(&client);
    dc.StretchBlt(0, 0, client.Width(), client.Height(), &memDC, 0, 0, m_bkBitmapInfo.bmWidth, m_bkBitmapInfo.bmHeight,
                  SRCCOPY);
    memDC.SelectObject(old);
}

void CKestrovaDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    CDialogEx::OnSysCommand(nID, lParam);
}

HCURSOR CKestrovaDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CKestrovaDlg::OnSize(UINT, int, int)
{
    // The window has one fixed size; nothing follows a size change.
}

BOOL CKestrovaDlg::DestroyWindow()
{
    // The modal loop may end by a WM_QUIT, or the window be destroyed
    // directly, without OnClose: the worker is still asked to end before the
    // pages go, so no queued request starts with a freed page's path.
    PostQuitToWorker();
    if (m_progress.GetSafeHwnd())
        m_progress.DestroyWindow();
    auto destroy = [](auto*& page) {
        if (page) {
            page->DestroyWindow();
            delete page;
            page = nullptr;
        }
    };
    destroy(m_pSystemInfoDlg);
    destroy(m_pDriveInfoDlg);
    destroy(m_pSystemOptDlg);
    destroy(m_pDiskHealthDlg);
    destroy(m_pUtilitiesDlg);
    m_pCurPage = nullptr;
    // Answers still queued for the window carry the worker's heap copies;
    // the window's end would drop them unread.
    MSG queued;
    while (::PeekMessageW(&queued, m_hWnd, WM_SSDOP_INFO_MESSAGE, WM_SSDOP_INFO_MESSAGE, PM_REMOVE))
        SSDOpFreeText(queued.lParam);
    while (::PeekMessageW(&queued, m_hWnd, WM_SSDOP_FLASH_ID, WM_SSDOP_FLASH_ID, PM_REMOVE))
        SSDOpFreeBlock(queued.wParam);
    return CDialogEx::DestroyWindow();
}
