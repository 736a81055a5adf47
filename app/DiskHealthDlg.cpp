#include "DiskHealthDlg.h"

#include "Kestrova.h"
#include "KestrovaDlg.h"
#include "PageImages.h"
#include "SSDOpThread.h"
#include "define.h"

IMPLEMENT_DYNAMIC(CDiskHealthDlg, CDialog)

BEGIN_MESSAGE_MAP(CDiskHealthDlg, CDialog)
ON_WM_PAINT()
ON_BN_CLICKED(IDC_BTN_TEMPERATURE, OnBnClickedTemperature)
ON_BN_CLICKED(IDC_BTN_TOTAL_WRITE, OnBnClickedTotalWrite)
ON_BN_CLICKED(IDC_BTN_LIFE_REMAINING, OnBnClickedLifeRemaining)
ON_BN_CLICKED(IDC_BTN_FLASH_ID, OnBnClickedFlashId)
END_MESSAGE_MAP()

static const COLORREF kLabelColor = RGB(30, 30, 30);
static const Gdiplus::ARGB kOpaqueWhite = 0xFFFFFFFF;

CDiskHealthDlg::CDiskHealthDlg(CWnd* pParent)
    : CDialog(IDD_DISKHEALTH, pParent), m_pMainDlg(nullptr), m_pOpThread(nullptr), m_hBkBitmap(nullptr), m_bkInfo(),
      m_hIconLife(nullptr), m_hIconWrite(nullptr), m_hIconTemperature(nullptr), m_hIconFlashId(nullptr),
      m_tempColorLow(255, 50, 140, 230), m_tempColorMid(255, 255, 50, 50), m_tempColorHigh(255, 255, 10, 10),
      m_lifeRemaining(0), m_totalWriteGB(0.0), m_temperature(0.0)
{
    m_pMainDlg = static_cast<CKestrovaApp*>(AfxGetApp())->m_pMainDlg;
    m_pOpThread = m_pMainDlg ? m_pMainDlg->m_pOpThread : nullptr;
    LoadImages();
}

CDiskHealthDlg::~CDiskHealthDlg()
{
    FreeImages();
}

void CDiskHealthDlg::LoadImages()
{
    m_hBkBitmap = LoadPageBackground(L".\\res\\subbk.bmp", m_bkBitmap, m_bkInfo);
    m_hIconLife = LoadPageIcon(L".\\res\\life.ico", L"Load life icon error, error num: %d\n");
    m_hIconWrite = LoadPageIcon(L".\\res\\write.ico", L"Load write icon error, error num: %d\n");
    m_hIconTemperature = LoadPageIcon(L".\\res\\temperature.ico", L"Load temperature icon error, error num: %d\n");
    m_hIconFlashId = LoadPageIcon(L".\\res\\flashid.ico", L"Load flash id icon error, error num: %d\n");
}

void CDiskHealthDlg::FreeImages()
{
    FreePageIcons({&m_hIconLife, &m_hIconWrite, &m_hIconTemperature, &m_hIconFlashId});
    FreePageBackground(m_bkBitmap, m_hBkBitmap);
}

void CDiskHealthDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BTN_LIFE_REMAINING, m_btnLifeRemaining);
    DDX_Control(pDX, IDC_BTN_TOTAL_WRITE, m_btnTotalWrite);
    DDX_Control(pDX, IDC_BTN_TEMPERATURE, m_btnTemperature);
    DDX_Control(pDX, IDC_BTN_FLASH_ID, m_btnFlashId);
    DDX_Control(pDX, IDC_STATIC_TOTAL_WRITE, m_staticTotalWrite);
    DDX_Control(pDX, IDC_STATIC_FLASH_ID, m_staticFlashId);
    DDX_Control(pDX, IDC_GAUGE_LIFE, m_gaugeLife);
    DDX_Control(pDX, IDC_GAUGE_TEMPERATURE, m_gaugeTemperature);
}

BOOL CDiskHealthDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    m_btnLifeRemaining.SetIcons(m_hIconLife, nullptr);
    m_btnLifeRemaining.SetFontStyle(13, 0, 700, 0);
    m_btnLifeRemaining.SetCaptionPlacement(BTNCAPTION_TWO_LINES, TRUE);
    m_btnTotalWrite.SetIcons(m_hIconWrite, nullptr);
    m_btnTotalWrite.SetFontStyle(13, 0, 700, 0);
    m_btnTotalWrite.SetCaptionPlacement(BTNCAPTION_TWO_LINES, TRUE);
    m_btnTemperature.SetIcons(m_hIconTemperature, nullptr);
    m_btnTemperature.SetFontStyle(13, 0, 700, 0);
    m_btnFlashId.SetIcons(m_hIconFlashId, nullptr);
    m_btnFlashId.SetFontStyle(13, 0, 700, 0);
    m_btnFlashId.SetCaptionPlacement(BTNCAPTION_TWO_LINES, TRUE);

    for (CStyleStatic* label : {&m_staticTotalWrite, &m_staticFlashId}) {
        label->SetFontStyle(15, 7, 700, 0);
        label->SetTextColor(kLabelColor);
        label->SetText(L"");
    }

    m_gaugeLife.SetCapWidth(15);
    m_gaugeLife.SetRange32(0, 100);
    m_gaugeLife.SetStep(1);
    m_gaugeLife.SetPos(0);
    m_gaugeLife.SetFillColor(m_tempColorLow.GetValue(), TRUE);
    m_gaugeLife.SetEmptyColor(kOpaqueWhite, TRUE);
    m_gaugeLife.SetBackgroundColor(kOpaqueWhite, TRUE);
    m_gaugeLife.SetTooltip(L"Life Remaining", TRUE);
    m_gaugeLife.ShowOutline(FALSE, TRUE);

    m_gaugeTemperature.SetUnitChar(0x2103);
    m_gaugeTemperature.SetCapWidth(1);
    m_gaugeTemperature.SetRange32(0, 100);
    m_gaugeTemperature.SetStep(1);
    m_gaugeTemperature.SetPos(0);
    m_gaugeTemperature.SetFillColor(m_tempColorHigh.GetValue(), TRUE);
    m_gaugeTemperature.SetEmptyColor(kOpaqueWhite, TRUE);
    m_gaugeTemperature.SetBackgroundColor(kOpaqueWhite, TRUE);
    m_gaugeTemperature.SetTooltip(L"Temperature", TRUE);
    m_gaugeTemperature.ShowOutline(FALSE, TRUE);
    return TRUE;
}

// A page lives as long as the main window: Enter and Esc in it must not end it as a dialog.
void CDiskHealthDlg::OnOK() {}

void CDiskHealthDlg::OnCancel() {}

void CDiskHealthDlg::OnPaint()
{
    CPaintDC dc(this);
    if (m_hBkBitmap)
        PaintPageBackground(*this, dc, m_bkBitmap, m_bkInfo);
}

void CDiskHealthDlg::RequestSmartRead()
{
    if (m_pOpThread)
        m_pOpThread->PostThreadMessage(WM_SSDOP_READ_SMART, 0, 0);
}

void CDiskHealthDlg::OnBnClickedTemperature()
{
    RequestSmartRead();
}

void CDiskHealthDlg::OnBnClickedTotalWrite()
{
    RequestSmartRead();
}

void CDiskHealthDlg::OnBnClickedLifeRemaining()
{
    RequestSmartRead();
}

void CDiskHealthDlg::OnBnClickedFlashId()
{
    if (m_pOpThread)
        m_pOpThread->PostThreadMessage(WM_SSDOP_READ_FLASH_ID, 0, 0);
}

void CDiskHealthDlg::ExportInfo(FILE*)
{
    // The drive page's section prints this page's values; it adds nothing.
}

void CDiskHealthDlg::ShowFlashId(ULONGLONG flashId)
{
    m_flashIdStr.Empty();
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&flashId);
    for (int i = 0; i < 8; ++i) {
        CString byte;
        byte.Format(L"%02X ", bytes[i]);
        m_flashIdStr += byte;
    }
    m_flashIdStr.Trim();
    m_staticFlashId.SetText(m_flashIdStr);
    m_staticFlashId.SetFontStyle(15, 7, 700, 0);
    m_staticFlashId.SetTextColor(kLabelColor);
}

static ULONGLONG LittleEndian(const BYTE* data, int length)
{
    ULONGLONG value = 0;
    for (int i = length - 1; i >= 0; --i)
        value = (value << 8) | data[i];
    return value;
}

void CDiskHealthDlg::UpdateHealth()
{
    if (!m_pOpThread)
        return;
    {
        CSSDOpThread::StateLock lock(m_pOpThread);
        VntSSD* drive = m_pOpThread->GetCurrentDevice();
        // Without a drive there is nothing to read: the values stay.
        if (!drive)
            return;
        BYTE log[512] = {};
        if (drive->m_busType == BUS_TYPE_NVME) {
            memcpy(log, drive->m_smartLog, sizeof(log));
            int kelvin = static_cast<int>(LittleEndian(log + 1, 2));
            m_temperature = static_cast<double>(kelvin - 273);
            // A data unit is 1000 sectors of 512 bytes.
            m_totalWriteGB = static_cast<double>(LittleEndian(log + 48, 8)) * 1000 / 2 / 1024 / 1024;
            BYTE spare = log[3];
            BYTE left = static_cast<BYTE>(100 - log[5]);
            m_lifeRemaining = spare < left ? spare : left;
        } else if (drive->m_busType == BUS_TYPE_SATA) {
            const SmartStore& store = m_pOpThread->m_smartInfo;
            BYTE slot = static_cast<BYTE>(drive->m_diskNum & 0xFF);
            if (SmartAttribute* life = store.FindAttribute(slot, 0xCA))
                m_lifeRemaining = life->raw;
            if (SmartAttribute* written = store.FindAttribute(slot, 0xF1))
                m_totalWriteGB = static_cast<double>(written->raw);
            if (SmartAttribute* temperature = store.FindAttribute(slot, 0xC2))
                m_temperature = static_cast<double>(temperature->raw);
        }
    }
    m_gaugeLife.SetPos(static_cast<int>(m_lifeRemaining));
    m_gaugeTemperature.SetPos(static_cast<int>(m_temperature));
    const Gdiplus::Color& fill = m_temperature < 60   ? m_tempColorLow
                                 : m_temperature < 80 ? m_tempColorMid
                                                      : m_tempColorHigh;
    m_gaugeTemperature.SetFillColor(fill.GetValue(), TRUE);
    CString written;
    written.Format(L"%.2fGB", m_totalWriteGB);
    m_staticTotalWrite.SetText(written);
    m_staticTotalWrite.SetFontStyle(15, 7, 700, 0);
    m_staticTotalWrite.SetTextColor(kLabelColor);
}
