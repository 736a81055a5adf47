#include "SystemInfoDlg.h"

#include <commctrl.h>

#include <string>

#include "DeviceOperation.h"

IMPLEMENT_DYNAMIC(CSystemInfoDlg, CDialog)

BEGIN_MESSAGE_MAP(CSystemInfoDlg, CDialog)
ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {

const DWORD kNameCapacity = 260;
// A pair row's label is indented under its heading.
const wchar_t kPairIndent[] = L"        ";

// The list has no columns in its template: a label column and a value column.
const int kLabelColumnWidth = 220;
const int kValueColumnWidth = 420;

InfoPair Pair(LPCWSTR name, const CString& value)
{
    InfoPair pair;
    pair.name = name;
    pair.value = value;
    return pair;
}

// Appends a row: label in the first column, value (when given) in the second.
void AddRow(HWND list, const CString& label, const CString* value)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<LPWSTR>(label.GetString());
    int row = ListView_InsertItem(list, &item);
    if (row >= 0 && value)
        ListView_SetItemText(list, row, 1, const_cast<LPWSTR>(value->GetString()));
}

void AddPairRows(HWND list, const CArray<InfoPair, InfoPair>& pairs)
{
    for (INT_PTR i = 0; i < pairs.GetSize(); ++i)
        AddRow(list, kPairIndent + pairs[i].name, &pairs[i].value);
}

// The narrow text of a line in the ANSI code page (a character it cannot hold
// becomes the code page's default character), written as long as it measures.
void WriteLine(FILE* file, const CString& line)
{
    int wide = line.GetLength();
    if (wide == 0)
        return;
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, line.GetString(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return;
    std::string narrow(static_cast<size_t>(bytes), '\0');
    bytes = ::WideCharToMultiByte(CP_ACP, 0, line.GetString(), wide, &narrow[0], bytes, nullptr, nullptr);
    if (bytes > 0)
        fwrite(narrow.data(), 1, static_cast<size_t>(bytes), file);
}

void WritePair(FILE* file, const InfoPair& pair)
{
    CString line;
    line.Format(L"\t\t%s: %s\r\n", pair.name.GetString(), pair.value.GetString());
    WriteLine(file, line);
}

void WritePairs(FILE* file, const CArray<InfoPair, InfoPair>& pairs)
{
    for (INT_PTR i = 0; i < pairs.GetSize(); ++i)
        WritePair(file, pairs[i]);
}

// The controllers' separators (empty names) are left out of the export.
void WriteNamedPairs(FILE* file, const CArray<InfoPair, InfoPair>& pairs)
{
    for (INT_PTR i = 0; i < pairs.GetSize(); ++i) {
        if (!pairs[i].name.IsEmpty())
            WritePair(file, pairs[i]);
    }
}

} // namespace

CSystemInfoDlg::CSystemInfoDlg(CWnd* parent) : CDialog(IDD_SYSTEMINFO, parent) {}

CSystemInfoDlg::~CSystemInfoDlg()
{
    m_bkBitmap.Detach();
    if (m_hBkBitmap) {
        ::DeleteObject(m_hBkBitmap);
        m_hBkBitmap = nullptr;
    }
    m_cpuInfo.RemoveAll();
    m_osInfo.RemoveAll();
    m_ahciControllers.RemoveAll();
    m_nvmeControllers.RemoveAll();
}

void CSystemInfoDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
}

BOOL CSystemInfoDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND list = ::GetDlgItem(m_hWnd, IDC_LIST_SYSTEM_INFO);
    if (list) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = kLabelColumnWidth;
        column.pszText = const_cast<LPWSTR>(L"Item");
        column.iSubItem = 0;
        ListView_InsertColumn(list, 0, &column);
        column.cx = kValueColumnWidth;
        column.pszText = const_cast<LPWSTR>(L"Value");
        column.iSubItem = 1;
        ListView_InsertColumn(list, 1, &column);
    }
    return TRUE;
}

// A page lives as long as the main window: Enter and Esc in it must not end it as a dialog.
void CSystemInfoDlg::OnOK() {}

void CSystemInfoDlg::OnCancel() {}

void CSystemInfoDlg::InitLayout()
{
    CWnd* list = GetDlgItem(IDC_LIST_SYSTEM_INFO);
    if (!list)
        return;
    CRect client;
    GetClientRect(&client);
    CRect place(10, client.top + 15, client.right - 10, client.bottom - 10);
    list->MoveWindow(&place, TRUE);
}

void CSystemInfoDlg::CollectSystemInfo()
{
    wchar_t buffer[kNameCapacity] = {};
    DWORD size = kNameCapacity;
    ::GetComputerNameW(buffer, &size);
    m_computerName = Pair(L"ComputerName", buffer);

    wmemset(buffer, 0, kNameCapacity);
    size = kNameCapacity;
    // A failed call leaves the buffer empty, and the value with it.
    if (!::GetUserNameW(buffer, &size))
        buffer[0] = L'\0';
    m_userName = Pair(L"UserName", buffer);

    CollectCpuInfo();
    CollectOsInfo();
    CollectControllerInfo();
}

void CSystemInfoDlg::CollectCpuInfo()
{
    m_cpuInfo.RemoveAll();
    CpuInfo cpu;
    m_sysOp.GetCpuInfo(cpu);
    CString number;
    m_cpuInfo.Add(Pair(L"Name", cpu.name));
    number.Format(L"%u", static_cast<unsigned>(cpu.addressWidth));
    m_cpuInfo.Add(Pair(L"AddressWidth", number));
    number.Format(L"%u", cpu.numberOfCores);
    m_cpuInfo.Add(Pair(L"NumberOfCores", number));
}

void CSystemInfoDlg::CollectOsInfo()
{
    m_osInfo.RemoveAll();
    OsInfo os;
    m_sysOp.GetOsInfo(os);
    m_osInfo.Add(Pair(L"OS Name", os.caption));
    m_osInfo.Add(Pair(L"OS Language", os.language));
    m_osInfo.Add(Pair(L"OS Version", os.version));
    m_osInfo.Add(Pair(L"OS Architecture", os.architecture));
    m_osInfo.Add(Pair(L"OS Root", os.windowsDirectory));
}

void CSystemInfoDlg::CollectControllerInfo()
{
    m_ahciControllers.RemoveAll();
    m_nvmeControllers.RemoveAll();
    DevInstList ahci, nvme;
    DeviceOperation::ScanAllAhciController(ahci);
    DeviceOperation::ScanAllNvmeController(nvme);
    for (INT_PTR i = 0; i < ahci.GetSize(); ++i) {
        AddControllerInfo(ahci[i], m_ahciControllers);
        m_ahciControllers.Add(InfoPair());
    }
    for (INT_PTR i = 0; i < nvme.GetSize(); ++i) {
        AddControllerInfo(nvme[i], m_nvmeControllers);
        m_nvmeControllers.Add(InfoPair());
    }
}

void CSystemInfoDlg::AddControllerInfo(DEVINST node, CArray<InfoPair, InfoPair>& pairs)
{
    CString value;
    DeviceOperation::GetDevPropertyStr(node, SPDRP_DEVICEDESC, value);
    pairs.Add(Pair(L"Device Description", value));

    value.Empty();
    DWORD bus = 0, device = 0, function = 0;
    DeviceOperation::GetBDFNumByDevInst(node, &bus, &device, &function);
    value.Format(L"Bus %d, Device %d, Function %d", static_cast<int>(bus), static_cast<int>(device),
                 static_cast<int>(function));
    pairs.Add(Pair(L"Location", value));

    value.Empty();
    DeviceOperation::GetDevPropertyStr(node, SPDRP_SERVICE, value);
    pairs.Add(Pair(L"Driver Name", value));

    value.Empty();
    CString version, date;
    DeviceOperation::GetDeviceDriverVerAndDate(node, version, date);
    value = version + L"    " + date;
    pairs.Add(Pair(L"Driver Version and Date", value));
}

void CSystemInfoDlg::FillInfoList()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_LIST_SYSTEM_INFO);
    if (!list)
        return;
    ListView_DeleteAllItems(list);
    AddRow(list, L"Computer", nullptr);
    AddRow(list, kPairIndent + m_computerName.name, &m_computerName.value);
    AddRow(list, kPairIndent + m_userName.name, &m_userName.value);
    AddRow(list, L"", nullptr);
    AddRow(list, L"CPU", nullptr);
    AddPairRows(list, m_cpuInfo);
    AddPairRows(list, m_osInfo);
    AddRow(list, L"", nullptr);
    AddRow(list, L"Storage Controller", nullptr);
    AddRow(list, L"    AHCI Controller", nullptr);
    AddPairRows(list, m_ahciControllers);
    AddRow(list, L"    NVME Controller", nullptr);
    AddPairRows(list, m_nvmeControllers);
}

void CSystemInfoDlg::ExportInfo(FILE* file)
{
    if (!file)
        return;
    WriteLine(file, L"\r\n\r\nSystem Information:\r\n");
    WriteLine(file, L"\tComputer\r\n");
    WritePair(file, m_computerName);
    WritePair(file, m_userName);
    WriteLine(file, L"\r\n\tCPU Information\r\n");
    WritePairs(file, m_cpuInfo);
    WriteLine(file, L"\r\n\tOperation System Information\r\n");
    WritePairs(file, m_osInfo);
    WriteLine(file, L"\r\n\r\nStorage Controller\r\n\tSATA Controller\r\n");
    WriteNamedPairs(file, m_ahciControllers);
    WriteLine(file, L"\r\n\tNVME Controller\r\n");
    WriteNamedPairs(file, m_nvmeControllers);
}

void CSystemInfoDlg::OnPaint()
{
    CPaintDC dc(this);
    // The bitmap object is what is drawn; without one loaded nothing is.
    HGDIOBJ background = m_bkBitmap.GetSafeHandle();
    if (!background)
        return;
    CDC memory;
    if (!memory.CreateCompatibleDC(&dc))
        return;
    // The bitmap goes back out of the memory DC before the DC is deleted, so
    // neither stays behind after a paint.
    HGDIOBJ old = memory.SelectObject(background);
    CRect client;
    GetClientRect(&client);
    dc.StretchBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, m_bkBitmapInfo.bmWidth, m_bkBitmapInfo.bmHeight,
                  SRCCOPY);
    memory.SelectObject(old);
    memory.DeleteDC();
}
