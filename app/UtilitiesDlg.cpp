#include "UtilitiesDlg.h"

#include "FileUtil.h"
#include "Kestrova.h"
#include "KestrovaDlg.h"
#include "PageImages.h"
#include "MessageInfoDlg.h"
#include "SSDOpThread.h"
#include "define.h"

IMPLEMENT_DYNAMIC(CUtilitiesDlg, CDialog)

BEGIN_MESSAGE_MAP(CUtilitiesDlg, CDialog)
ON_WM_PAINT()
ON_BN_CLICKED(IDC_BTN_BROWSE_FW, OnBnClickedBrowseFw)
ON_BN_CLICKED(IDC_BTN_FW_UPDATE, OnBnClickedFwUpdate)
ON_BN_CLICKED(IDC_BTN_LOW_LEVEL_FORMAT, OnBnClickedLowLevelFormat)
ON_BN_CLICKED(IDC_BTN_BROWSE_LLF, OnBnClickedBrowseLlf)
ON_BN_CLICKED(IDC_BTN_BROWSE_DUMP, OnBnClickedBrowseDump)
ON_BN_CLICKED(IDC_BTN_DUMP, OnBnClickedDump)
ON_BN_CLICKED(IDC_BTN_SECURITY_ERASE, OnBnClickedSecurityErase)
ON_BN_CLICKED(IDC_BTN_WRITE_CACHE, OnBnClickedWriteCache)
END_MESSAGE_MAP()

CUtilitiesDlg::CUtilitiesDlg(CWnd* pParent)
    : CDialog(IDD_UTILITIES, pParent), m_pMainDlg(nullptr), m_pOpThread(nullptr), m_fwPath(), m_llfPath(), m_dumpPath(),
      m_hBkBitmap(nullptr), m_bkInfo(), m_hIconFwDownload(nullptr), m_hIconSearchFile(nullptr), m_hIconErase(nullptr),
      m_hIconDump(nullptr), m_hIconFormat(nullptr), m_hIconCheck(nullptr), m_hIconUncheck(nullptr)
{
    m_pMainDlg = static_cast<CKestrovaApp*>(AfxGetApp())->m_pMainDlg;
    m_pOpThread = m_pMainDlg ? m_pMainDlg->m_pOpThread : nullptr;
    LoadImages();
}

CUtilitiesDlg::~CUtilitiesDlg()
{
    FreeImages();
}

void CUtilitiesDlg::LoadImages()
{
    m_hBkBitmap = LoadPageBackground(L".\\res\\subbk.bmp", m_bkBitmap, m_bkInfo);
    m_hIconFwDownload = LoadPageIcon(L".\\res\\fwdownload.ico", L"Load fwdownload icon error, error num: %d\n");
    m_hIconSearchFile = LoadPageIcon(L".\\res\\searchfile.ico", L"Load searchfile icon error, error num: %d\n");
    m_hIconErase = LoadPageIcon(L".\\res\\erase.ico", L"Load erase icon error, error num: %d\n");
    m_hIconDump = LoadPageIcon(L".\\res\\dump.ico", L"Load dump icon error, error num: %d\n");
    m_hIconFormat = LoadPageIcon(L".\\res\\format.ico", L"Load format icon error, error num: %d\n");
    m_hIconCheck = LoadPageIcon(L".\\res\\check.ico", L"Load check icon error, error num: %d\n");
    m_hIconUncheck = LoadPageIcon(L".\\res\\uncheck.ico", L"Load uncheck icon error, error num: %d\n");
}

void CUtilitiesDlg::FreeImages()
{
    FreePageIcons({&m_hIconFwDownload, &m_hIconSearchFile, &m_hIconErase, &m_hIconDump, &m_hIconFormat, &m_hIconCheck,
                   &m_hIconUncheck});
    FreePageBackground(m_bkBitmap, m_hBkBitmap);
}

void CUtilitiesDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BTN_FW_UPDATE, m_btnFwUpdate);
    DDX_Control(pDX, IDC_BTN_BROWSE_FW, m_btnBrowseFw);
    DDX_Control(pDX, IDC_BTN_LOW_LEVEL_FORMAT, m_btnLowLevelFormat);
    DDX_Control(pDX, IDC_BTN_BROWSE_LLF, m_btnBrowseLlf);
    DDX_Control(pDX, IDC_BTN_DUMP, m_btnDump);
    DDX_Control(pDX, IDC_BTN_BROWSE_DUMP, m_btnBrowseDump);
    DDX_Control(pDX, IDC_BTN_SECURITY_ERASE, m_btnSecurityErase);
    DDX_Control(pDX, IDC_BTN_WRITE_CACHE, m_btnWriteCache);
    DDX_Control(pDX, IDC_EDIT_FW_PATH, m_editFwPath);
    DDX_Control(pDX, IDC_EDIT_LLF_PATH, m_editLlfPath);
    DDX_Control(pDX, IDC_EDIT_DUMP_PATH, m_editDumpPath);
}

BOOL CUtilitiesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto captioned = [](CIconButton& button, HICON icon, BOOL twoLines) {
        button.SetIcons(icon, nullptr);
        button.SetFontStyle(12, 0, 700, 0);
        if (twoLines)
            button.SetCaptionPlacement(BTNCAPTION_TWO_LINES, TRUE);
    };
    auto browse = [this](CIconButton& button) {
        button.SetIcons(m_hIconSearchFile, nullptr);
        button.ResizeToImage();
    };
    captioned(m_btnFwUpdate, m_hIconFwDownload, TRUE);
    browse(m_btnBrowseFw);
    captioned(m_btnLowLevelFormat, m_hIconErase, TRUE);
    browse(m_btnBrowseLlf);
    captioned(m_btnDump, m_hIconDump, FALSE);
    browse(m_btnBrowseDump);
    captioned(m_btnSecurityErase, m_hIconFormat, TRUE);
    captioned(m_btnWriteCache, m_hIconUncheck, TRUE);
    for (CStyleEdit* edit : {&m_editFwPath, &m_editLlfPath, &m_editDumpPath})
        edit->SetFontStyle(13, 7, 400, 0);
    return TRUE;
}

// A page lives as long as the main window: Enter and Esc in it must not end it as a dialog.
void CUtilitiesDlg::OnOK() {}

void CUtilitiesDlg::OnCancel() {}

void CUtilitiesDlg::OnPaint()
{
    CPaintDC dc(this);
    if (m_hBkBitmap)
        PaintPageBackground(*this, dc, m_bkBitmap, m_bkInfo);
}

void CUtilitiesDlg::Post(UINT message, WPARAM wParam)
{
    if (m_pOpThread)
        m_pOpThread->PostThreadMessage(message, wParam, 0);
}

void CUtilitiesDlg::OnBnClickedFwUpdate()
{
    Post(WM_SSDOP_UPDATE_FW, reinterpret_cast<WPARAM>(m_fwPath));
}

void CUtilitiesDlg::OnBnClickedLowLevelFormat()
{
    Post(WM_SSDOP_LOW_LEVEL_FORMAT, reinterpret_cast<WPARAM>(m_llfPath));
}

void CUtilitiesDlg::OnBnClickedDump()
{
    Post(WM_SSDOP_DUMP_DEBUG_INFO, reinterpret_cast<WPARAM>(m_dumpPath));
}

void CUtilitiesDlg::OnBnClickedSecurityErase()
{
    Post(WM_SSDOP_FORMAT_NAND, reinterpret_cast<WPARAM>(m_dumpPath));
}

void CUtilitiesDlg::OnBnClickedWriteCache()
{
    Post(WM_SSDOP_SET_WRITE_CACHE, 0);
}

void CUtilitiesDlg::UpdateWriteCacheState(int state)
{
    m_btnWriteCache.SetIcons(state ? m_hIconCheck : m_hIconUncheck, nullptr);
}

// Keeps a chosen path three ways: as text, in the fixed buffer the worker
// reads, and in the page's edit box.
static void KeepPath(const CString& chosen, CString& text, WCHAR* buffer, CStyleEdit& edit)
{
    text = chosen;
    lstrcpynW(buffer, text, UTILITIES_PATH_LENGTH);
    edit.SetWindowText(text);
}

void CUtilitiesDlg::OnBnClickedBrowseFw()
{
    if (!m_pOpThread)
        return;
    int family = -1;
    {
        CSSDOpThread::StateLock lock(m_pOpThread);
        if (VntSSD* drive = m_pOpThread->GetRequestDevice())
            family = drive->m_icVersion;
    }
    if (family < 0)
        return;

    if (family == IC_NVME_6E40 || family == IC_VX1100) {
        // These controllers take one image file.
        m_fwPathStr.Empty();
        ZeroMemory(m_fwPath, sizeof(m_fwPath));
        CFileDialog dialog(TRUE, L"bin", nullptr, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
                           L"Binary Files (*.bin)|*.bin|All Files (*.*)|*.*||", nullptr, 0, TRUE);
        if (dialog.DoModal() != IDOK)
            return;
        KeepPath(dialog.GetPathName(), m_fwPathStr, m_fwPath, m_editFwPath);
    } else {
        CString folder;
        if (!BrowseFolder(L"Select folder for fw files", folder))
            return;
        KeepPath(folder, m_fwPathStr, m_fwPath, m_editFwPath);
    }
}

void CUtilitiesDlg::OnBnClickedBrowseLlf()
{
    CString folder;
    if (!BrowseFolder(L"Select folder for llf files", folder))
        return;
    KeepPath(folder, m_llfPathStr, m_llfPath, m_editLlfPath);
}

void CUtilitiesDlg::OnBnClickedBrowseDump()
{
    CString folder;
    if (!BrowseFolder(L"Select folder for dump files", folder))
        return;
    KeepPath(folder, m_dumpPathStr, m_dumpPath, m_editDumpPath);
}

BOOL CUtilitiesDlg::BrowseFolder(LPCWSTR title, CString& folder)
{
    WCHAR displayName[UTILITIES_PATH_LENGTH] = {};
    BROWSEINFOW info = {};
    info.pszDisplayName = displayName;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallbackProc;
    LPITEMIDLIST item = ::SHBrowseForFolderW(&info);
    if (!item)
        return FALSE;
    // SHGetPathFromIDListW writes up to MAX_PATH characters, which the
    // display-name buffer holds.
    BOOL ok = ::SHGetPathFromIDListW(item, displayName);
    ::CoTaskMemFree(item);
    if (!ok)
        return FALSE;
    // The worker joins file names straight onto the folder.
    folder = displayName;
    folder += L"\\";
    return TRUE;
}

int CALLBACK CUtilitiesDlg::BrowseCallbackProc(HWND hwnd, UINT message, LPARAM, LPARAM)
{
    static WCHAR startFolder[MAX_PATH];
    ZeroMemory(startFolder, sizeof(startFolder));
    CString moduleDir;
    GetModuleDir(moduleDir);
    lstrcpynW(startFolder, moduleDir, MAX_PATH);
    if (message == BFFM_INITIALIZED)
        ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(startFolder));
    return 0;
}

void CUtilitiesDlg::ShowSuccessMessage()
{
    CMessageInfoDlg box(MSGINFO_SUCCESS, L"Operation success\r\nOperation success");
    box.DoModal();
}

void CUtilitiesDlg::Reserved() {}
