#include "DriveInfoDlg.h"

#include "DiskHealthDlg.h"
#include "Kestrova.h"
#include "KestrovaDlg.h"
#include "PageImages.h"
#include "SmartAttributeRows.h"
#include "SSDOpThread.h"
#include "define.h"

IMPLEMENT_DYNAMIC(CDriveInfoDlg, CDialog)

BEGIN_MESSAGE_MAP(CDriveInfoDlg, CDialog)
ON_WM_PAINT()
END_MESSAGE_MAP()

static const COLORREF kWhite = 0xFFFFFF;

CDriveInfoDlg::CDriveInfoDlg(CKestrovaDlg* pParent)
    : CDialog(IDD_DRIVEINFO, pParent), m_pMainDlg(nullptr), m_pOpThread(nullptr), m_hBkBitmap(nullptr),
      m_bkBitmapInfo(), m_clkModeFlag(0), m_hGreenIcon(nullptr), m_hRedIcon(nullptr)
{
    m_pMainDlg = static_cast<CKestrovaApp*>(AfxGetApp())->m_pMainDlg;
    m_pOpThread = m_pMainDlg ? m_pMainDlg->m_pOpThread : nullptr;
}

CDriveInfoDlg::~CDriveInfoDlg()
{
    FreePageBackground(m_bkBitmap, m_hBkBitmap);
    FreePageIcons({&m_hGreenIcon, &m_hRedIcon});
}

void CDriveInfoDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LABEL_SERIAL, m_labelSerial);
    DDX_Control(pDX, IDC_LABEL_FIRMWARE, m_labelFirmware);
    DDX_Control(pDX, IDC_LABEL_INTERFACE, m_labelInterface);
    DDX_Control(pDX, IDC_LABEL_SPEED, m_labelSpeed);
    DDX_Control(pDX, IDC_LABEL_DRIVE_LETTER, m_labelDriveLetter);
    DDX_Control(pDX, IDC_LABEL_LIFE, m_labelLife);
    DDX_Control(pDX, IDC_LABEL_CAPACITY, m_labelCapacity);
    DDX_Control(pDX, IDC_LABEL_HMB, m_labelHmb);
    DDX_Control(pDX, IDC_VALUE_SERIAL, m_valueSerial);
    DDX_Control(pDX, IDC_VALUE_FIRMWARE, m_valueFirmware);
    DDX_Control(pDX, IDC_VALUE_INTERFACE, m_valueInterface);
    DDX_Control(pDX, IDC_VALUE_SPEED, m_valueSpeed);
    DDX_Control(pDX, IDC_VALUE_CLOCK_MODE, m_valueClockMode);
    DDX_Control(pDX, IDC_VALUE_DRIVE_LETTER, m_valueDriveLetter);
    DDX_Control(pDX, IDC_VALUE_LIFE, m_valueLife);
    DDX_Control(pDX, IDC_VALUE_CAPACITY, m_valueCapacity);
    DDX_Control(pDX, IDC_VALUE_HMB, m_valueHmb);
    DDX_Control(pDX, IDC_LABEL_MODEL, m_labelModel);
    DDX_Control(pDX, IDC_LABEL_OPERATION_TIME, m_labelOperationTime);
    DDX_Control(pDX, IDC_VALUE_MODEL, m_valueModel);
    DDX_Control(pDX, IDC_VALUE_OPERATION_TIME, m_valueOperationTime);
    DDX_Control(pDX, IDC_LABEL_SMART, m_labelSmart);
}

BOOL CDriveInfoDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    LoadImages();
    InitFonts();
    return TRUE;
}

// A page lives as long as the main window: Enter and Esc in it must not end it as a dialog.
void CDriveInfoDlg::OnOK() {}

void CDriveInfoDlg::OnCancel() {}

void CDriveInfoDlg::LoadImages()
{
    m_hBkBitmap = LoadPageBackground(L".\\res\\subbk.bmp", m_bkBitmap, m_bkBitmapInfo);
    m_hGreenIcon = LoadPageIcon(L".\\res\\Greed.ico", L"Load health icon error, error num: %d\n");
    m_hRedIcon = LoadPageIcon(L".\\res\\Red.ico", L"Load health icon error, error num: %d\n");
}

void CDriveInfoDlg::InitFonts()
{
    CStyleStatic* labels[] = {&m_labelSerial, &m_labelFirmware,     &m_labelInterface,   &m_labelSpeed,
                              &m_labelLife,   &m_labelCapacity,     &m_labelDriveLetter, &m_labelHmb,
                              &m_labelModel,  &m_labelOperationTime};
    for (CStyleStatic* label : labels) {
        label->SetFontStyle(13, 6, 700, FALSE);
        label->SetTextColor(kWhite);
    }
    CStyleStatic* values[] = {&m_valueSerial, &m_valueFirmware,     &m_valueInterface,   &m_valueSpeed,
                              &m_valueLife,   &m_valueCapacity,     &m_valueDriveLetter, &m_valueHmb,
                              &m_valueModel,  &m_valueOperationTime};
    for (CStyleStatic* value : values) {
        value->SetFontStyle(13, 6, 400, FALSE);
        value->SetTextColor(kWhite);
    }
    m_labelSmart.SetFontStyle(15, 7, 700, FALSE);
    m_valueClockMode.SetFontStyle(40, 36, 400, FALSE);
    m_valueClockMode.SetTextColor(kWhite);
}

void CDriveInfoDlg::OnPaint()
{
    CPaintDC dc(this);
    if (m_hBkBitmap)
        PaintPageBackground(*this, dc, m_bkBitmap, m_bkBitmapInfo);
}

void CDriveInfoDlg::RequestDriveInfo()
{
    if (m_pOpThread)
        m_pOpThread->PostThreadMessage(WM_SSDOP_REFRESH_DEVICE, 0, 0);
}

static CString Trimmed(const char* narrow)
{
    CString text;
    text.Format(L"%S", narrow);
    text.Trim();
    return text;
}

void CDriveInfoDlg::UpdateSSDDriveInfo()
{
    if (!m_pOpThread)
        return;
    CSSDOpThread::StateLock lock(m_pOpThread);
    VntSSD* drive = m_pOpThread->GetCurrentDevice();
    if (!drive)
        return;

    m_valueSerial.SetText(Trimmed(drive->m_serialNum));
    CString firmware = Trimmed(drive->m_fwVersion);
    m_valueFirmware.SetText(firmware);

    BOOL isVG = firmware.Find(L"VG") >= 0;
    BOOL isVL = firmware.Find(L"VL") >= 0;
    m_valueModel.SetText(isVG ? CString(L"ZR80e") : isVL ? CString(L"ZR50e") : Trimmed(drive->m_modelName));

    LPCWSTR busName = drive->m_busType == BUS_TYPE_NVME   ? L"NVMe"
                      : drive->m_busType == BUS_TYPE_SATA ? L"SATA"
                      : drive->m_busType == BUS_TYPE_AHCI ? L"AHCI"
                                                          : L"";
    m_valueInterface.SetText(busName);

    m_labelHmb.ShowWindow(SW_SHOW);
    m_valueHmb.ShowWindow(SW_SHOW);
    CString hmb = L"Disable";
    if (drive->m_hmbFeature & 1) {
        // The first feature word counts 4 KiB pages: 256 of them make 1 MB.
        DWORD pages = static_cast<DWORD>(drive->m_featureData[0]) | (static_cast<DWORD>(drive->m_featureData[1]) << 8) |
                      (static_cast<DWORD>(drive->m_featureData[2]) << 16) |
                      (static_cast<DWORD>(drive->m_featureData[3]) << 24);
        hmb.Format(L"Enable %uMB", pages / 256);
    }
    m_valueHmb.SetText(hmb);

    CString capacity;
    capacity.Format(L"%.3fGB", static_cast<double>(drive->m_capacity) / 1024 / 1024 / 1024);
    m_valueCapacity.SetText(capacity);

    UpdateSmartStrings();
    m_valueDriveLetter.SetText(drive->m_volumeStr);
    m_valueLife.SetText(m_lifeRemaingStr);
    DebugPrint(L"%s -> m_lifeRemaingStr %s\n", L"CDriveInfoDlg::UpdateSSDDriveInfo",
               static_cast<LPCWSTR>(m_lifeRemaingStr));
    DebugPrint(L"%s -> m_originalClkModeStr %s\n", L"CDriveInfoDlg::UpdateSSDDriveInfo",
               static_cast<LPCWSTR>(m_originalClkModeStr));

    LPCWSTR mode = L"Standard Mode";
    m_clkModeFlag = 0;
    if (isVG) {
        m_clkModeFlag = m_originalClkModeStr == L"120" ? 1 : 0;
        mode = m_clkModeFlag ? L"Standard Mode" : L"ECO Mode";
    } else if (isVL) {
        m_clkModeFlag = m_originalClkModeStr == L"100" ? 1 : 0;
        mode = m_clkModeFlag ? L"Gaming Mode" : L"Standard Mode";
    }
    m_valueSpeed.SetText(mode);
    m_valueClockMode.SetText(mode);
    m_valueOperationTime.SetText(m_powerOnTimeStr);
}

void CDriveInfoDlg::UpdateSmartStrings()
{
    if (!m_pOpThread)
        return;
    CSSDOpThread::StateLock lock(m_pOpThread);
    VntSSD* drive = m_pOpThread->GetCurrentDevice();
    if (!drive || drive->m_busType != BUS_TYPE_NVME)
        return;
    int slot = drive->m_index + SMART_NVME_SLOT_BASE;
    // A drive beyond the store's slots has no SMART record: nothing is shown,
    // rather than another slot's values.
    if (slot < 0 || slot >= SMART_MAX_DRIVE_SLOTS)
        return;
    const SmartStore& store = m_pOpThread->m_smartInfo;
    const SmartDriveInfo& record = store.GetDriveRecord(slot);
    for (int id = 0; id < 255; ++id) {
        SmartAttribute* value = store.FindAttribute(record.slot, static_cast<BYTE>(id));
        if (!value)
            continue;
        const SmartAttributeDef* def = store.FindAttributeDef(value->id);
        if (!def)
            continue;
        if (def->id == 0x09)
            m_powerOnTimeStr.Format(L"%d h", static_cast<int>(value->raw));
        else if (def->id == 0xF8)
            m_lifeRemaingStr.Format(L"%d", static_cast<int>(value->raw));
        else if (def->id == 0xFD)
            m_originalClkModeStr.Format(L"%d", static_cast<int>(value->raw));
    }
}

// Formats one line into a narrow buffer and writes its characters.
static void WriteLine(FILE* fp, const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    if (length > 0)
        fwrite(line, 1, static_cast<size_t>(length < static_cast<int>(sizeof(line)) ? length : sizeof(line) - 1), fp);
}

void CDriveInfoDlg::ExportInfo(FILE* fp)
{
    if (!fp || !m_pOpThread)
        return;
    WriteLine(fp, "\r\nDisk Information:\r\n");
    CDiskHealthDlg* health = m_pMainDlg ? m_pMainDlg->m_pDiskHealthDlg : nullptr;
    // The life is a percentage: it is printed as the int it is.
    int life = health ? static_cast<int>(health->m_lifeRemaining) : 0;
    double totalWrite = health ? health->m_totalWriteGB : 0.0;
    double temperature = health ? health->m_temperature : 0.0;

    CSSDOpThread::StateLock lock(m_pOpThread);
    for (UINT i = 0; i < m_pOpThread->m_deviceCount; ++i) {
        VntSSD* drive = m_pOpThread->m_deviceList[i];
        WriteLine(fp, "\tDisk %d:\r\n", drive->m_diskNum);
        WriteLine(fp, "\t\tCapacity: %.3fGB\r\n", static_cast<double>(drive->m_capacity) / 1024 / 1024 / 1024);
        WriteLine(fp, "\t\tSector Size: %uB\r\n", static_cast<unsigned>(drive->m_sectorSize));
        WriteLine(fp, "\t\tDrives: %ls\r\n", static_cast<LPCWSTR>(drive->m_volumeStr));
        WriteLine(fp, "\t\tLife Remaining: %d%%\r\n", life);
        WriteLine(fp, "\t\tTotal Write: %.2fGB\r\n", totalWrite);
        WriteLine(fp, "\t\tTemperature: %.2f\r\n", temperature);
    }
}

void CDriveInfoDlg::UpdateSmartList()
{
    if (!m_pOpThread)
        return;
    CSSDOpThread::StateLock lock(m_pOpThread);
    VntSSD* drive = m_pOpThread->GetRequestDevice();
    if (!drive)
        return;
    if (drive->m_busType == BUS_TYPE_SATA) {
        InitSmartList();
        FillSataSmartList();
    } else if (drive->m_busType == BUS_TYPE_NVME) {
        InitSmartList();
        FillNvmeSmartList();
    }
}

void CDriveInfoDlg::InitSmartList()
{
    CListCtrl* list = static_cast<CListCtrl*>(GetDlgItem(IDC_LIST_DRIVE_SMART));
    if (!list)
        return;
    list->DeleteAllItems();
    while (list->GetColumnCount() > 0)
        list->DeleteColumn(0);
    list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
    CRect client;
    list->GetClientRect(&client);
    static const struct {
        LPCWSTR heading;
        double share;
    } columns[] = {{L"AttributeId", 0.15}, {L"Name", 0.35}, {L"Value", 0.1},
                   {L"Worst", 0.1},        {L"Raw", 0.2},   {L"Threshold", 0.1}};
    int index = 0;
    for (const auto& column : columns)
        list->InsertColumn(index++, column.heading, LVCFMT_LEFT, static_cast<int>(client.Width() * column.share));
}

void CDriveInfoDlg::FillNvmeSmartList()
{
    if (m_pOpThread && m_pOpThread->GetRequestDevice())
        FillSmartRows(m_pOpThread->GetRequestDevice()->m_index + SMART_NVME_SLOT_BASE);
}

void CDriveInfoDlg::FillSataSmartList()
{
    if (m_pOpThread && m_pOpThread->GetRequestDevice())
        FillSmartRows(m_pOpThread->GetRequestDevice()->m_diskNum & 0xFF);
}

// The rows of the SMART page: catalogued attributes of the slot, in id order.
void CDriveInfoDlg::FillSmartRows(int slot)
{
    CListCtrl* list = static_cast<CListCtrl*>(GetDlgItem(IDC_LIST_DRIVE_SMART));
    if (!list || slot < 0 || slot >= SMART_MAX_DRIVE_SLOTS)
        return;
    FillSmartAttributeRows(*list, m_pOpThread->m_smartInfo, slot);
}

void CDriveInfoDlg::PlaceSmartList()
{
    CWnd* list = GetDlgItem(IDC_LIST_DRIVE_SMART);
    if (!list)
        return;
    CRect label;
    m_labelSmart.GetWindowRect(&label);
    ScreenToClient(&label);
    CRect client;
    GetClientRect(&client);
    list->MoveWindow(label.left, label.bottom + 5, client.Width() - 15 - label.left,
                     client.Height() - 20 - (label.bottom + 5), TRUE);
}

void CDriveInfoDlg::InvalidateInfoArea()
{
    CRect label;
    m_labelSmart.GetWindowRect(&label);
    ScreenToClient(&label);
    CRect client;
    GetClientRect(&client);
    CRect area(0, 0, client.Width(), label.bottom - 3);
    InvalidateRect(&area, TRUE);
}

void CDriveInfoDlg::BytesToHexString(BYTE* data, int len, CString& out)
{
    out.Empty();
    // No bytes to show for a missing buffer, rather than a read through NULL.
    if (!data)
        return;
    for (int i = 0; i < len; ++i) {
        CString byte;
        byte.Format(L"%02X ", data[i]);
        out += byte;
    }
    out.Trim();
}

void CDriveInfoDlg::AtaWordsToString(WORD* words, int count, CString& out)
{
    if (!words)
        return;
    // A negative count is no words: its buffer size must not wrap into a huge one.
    if (count < 0)
        count = 0;
    // ATA strings keep two characters per word, the high byte first.
    std::vector<char> text(2 * static_cast<size_t>(count) + 2, 0);
    for (int i = 0; i < count; ++i) {
        text[2 * i] = static_cast<char>(words[i] >> 8);
        text[2 * i + 1] = static_cast<char>(words[i] & 0xFF);
    }
    out.Format(L"%S", text.data());
}
