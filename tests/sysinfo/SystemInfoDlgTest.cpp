// The system-information page on a simulated machine's controllers: what it
// collects, the rows its list shows, its export section byte for byte and
// its painting, in a real window under the test screen.

#include "GdiObjectCount.h"
#include "Screenshot.h"
#include "SimControl.h"
#include "SystemInfoDlg.h"
#include "TempDir.h"
#include "WindowTest.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

// Two SATA controllers: one with its PCI place and a driver, one with neither
// and a description beyond plain ASCII. No NVMe.
const char kTwoAhciMachine[] = R"(
machine system-dir="C:\Windows\system32"
node root id="HTREE\ROOT\0" desc="Computer"
node pci id="ACPI\PNP0A08\0" parent=root desc="PCI Express Root Complex"
node ahci0 id="PCI\VEN_8086&DEV_A102&SUBSYS_00001028&REV_31\3&11583659&0&B8" parent=pci desc="Standard SATA AHCI Controller" service=storahci compatible="PCI\VEN_8086&DEV_A102|PCI\CC_010601|PCI\CC_0106" bus=0 address=0x00170000
driver ahci0 desc="Standard SATA AHCI Controller" version=10.0.19041.1 date=2021-06-21
node ahci1 id="PCI\VEN_1B4B&DEV_9215&SUBSYS_92151B4B&REV_11\4&22B1&0&00E4" parent=pci desc="Contr)"
                               "\xF4"
                               R"(leur SATA" compatible="PCI\VEN_1B4B&DEV_9215|PCI\CC_010601|PCI\CC_0106"
)";

// One controller of each kind, as the page is meant to show them.
const char kMixedMachine[] = R"(
machine system-dir="C:\Windows\system32"
node root id="HTREE\ROOT\0" desc="Computer"
node pci id="ACPI\PNP0A08\0" parent=root desc="PCI Express Root Complex"
node nvme0 id="PCI\VEN_1F9B&DEV_6E42&SUBSYS_00011F9B&REV_01\4&2A1B&0&0008" parent=pci desc="Standard NVM Express Controller" service=StorNVMe compatible="PCI\VEN_1F9B&DEV_6E42&REV_01|PCI\CC_010802|PCI\CC_0108" bus=2 address=0x001F0002
driver nvme0 desc="Standard NVM Express Controller" version=10.0.19041.1500 date=2021-06-21
node ahci0 id="PCI\VEN_8086&DEV_A102&SUBSYS_00001028&REV_31\3&11583659&0&B8" parent=pci desc="Standard SATA AHCI Controller" service=storahci compatible="PCI\VEN_8086&DEV_A102|PCI\CC_010601|PCI\CC_0106" bus=0 address=0x00170000
)";

// The page's collections, for the test to read.
class ProbedPage : public CSystemInfoDlg {
public:
    using CSystemInfoDlg::m_ahciControllers;
    using CSystemInfoDlg::m_bkBitmap;
    using CSystemInfoDlg::m_bkBitmapInfo;
    using CSystemInfoDlg::m_computerName;
    using CSystemInfoDlg::m_cpuInfo;
    using CSystemInfoDlg::m_hBkBitmap;
    using CSystemInfoDlg::m_nvmeControllers;
    using CSystemInfoDlg::m_osInfo;
    using CSystemInfoDlg::m_userName;
};

class SystemInfoPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        WNDCLASSW hostClass = {};
        hostClass.lpfnWndProc = ::DefWindowProcW;
        hostClass.hInstance = ::GetModuleHandleW(nullptr);
        hostClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        hostClass.lpszClassName = L"KestrovaPageHost";
        ::RegisterClassW(&hostClass); // once per process; later calls find it there
        m_host = ::CreateWindowExW(0, L"KestrovaPageHost", L"System information", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                   40, 740, 560, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_host, nullptr);
        page.reset(new ProbedPage);
        ASSERT_TRUE(page->Create(IDD_SYSTEMINFO, CWnd::FromHandle(m_host)));
        RECT client;
        ::GetClientRect(m_host, &client);
        page->MoveWindow(&client);
        page->InitLayout();
        page->ShowWindow(SW_SHOW);
        PumpMessages(50);
    }
    void TearDown() override
    {
        if (page && page->m_hWnd)
            page->DestroyWindow();
        page.reset();
        ::DestroyWindow(m_host);
        AfxDeleteTempMaps();
        SimResetMachine();
        ::CoUninitialize();
    }

    void LoadMachine(const char* text) { ASSERT_EQ(SimLoadMachineText(text), 1); }

    HWND List() const { return ::GetDlgItem(page->m_hWnd, IDC_LIST_SYSTEM_INFO); }
    int Rows() const { return ListView_GetItemCount(List()); }
    std::wstring Cell(int row, int column) const
    {
        wchar_t text[512] = {};
        ListView_GetItemText(List(), row, column, text, 512);
        return text;
    }

    std::string Exported()
    {
        TempDir folder;
        CString path = folder.Path(L"export.log");
        FILE* file = _wfopen(path, L"wb");
        if (!file)
            return "<no file>";
        page->ExportInfo(file);
        fclose(file);
        std::string text;
        file = _wfopen(path, L"rb");
        char chunk[4096];
        for (size_t got; file && (got = fread(chunk, 1, sizeof(chunk), file)) > 0;)
            text.append(chunk, got);
        if (file)
            fclose(file);
        return text;
    }

    HWND m_host = nullptr;
    std::unique_ptr<ProbedPage> page;
};

const char kHeads[] = "\r\n\r\nSystem Information:\r\n\tComputer\r\n";
const char kEmptyComputer[] = "\t\t: \r\n\t\t: \r\n";
const char kCpuAndOsHeads[] = "\r\n\tCPU Information\r\n\r\n\tOperation System Information\r\n";
const char kControllerHeads[] = "\r\n\r\nStorage Controller\r\n\tSATA Controller\r\n";
const char kNvmeHead[] = "\r\n\tNVME Controller\r\n";

} // namespace

TEST_F(SystemInfoPageTest, ListFillsThePageWithinItsMarginsAndHasALabelAndAValueColumn)
{
    RECT client, list;
    ::GetClientRect(page->m_hWnd, &client);
    ::GetWindowRect(List(), &list);
    ::MapWindowPoints(nullptr, page->m_hWnd, reinterpret_cast<POINT*>(&list), 2);
    EXPECT_EQ(list.left, 10);
    EXPECT_EQ(list.top, client.top + 15);
    EXPECT_EQ(list.right, client.right - 10);
    EXPECT_EQ(list.bottom, client.bottom - 10);
    EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(List())), 2);
    EXPECT_EQ(Rows(), 0) << "nothing is shown before the list is filled";
}

TEST_F(SystemInfoPageTest, ExportWithNothingCollectedIsTheLineHeadsAndTwoEmptyComputerLines)
{
    page->ExportInfo(nullptr); // nothing to write to: nothing happens
    EXPECT_EQ(Exported(), std::string(kHeads) + kEmptyComputer + kCpuAndOsHeads + kControllerHeads + kNvmeHead);
}

TEST_F(SystemInfoPageTest, ExportListsEachControllerInFourLinesWithoutItsSeparator)
{
    LoadMachine(kTwoAhciMachine);
    ASSERT_EQ(::GetACP(), 1252u) << "the expected text is that of the Western code page";
    page->CollectControllerInfo();
    ASSERT_EQ(page->m_ahciControllers.GetSize(), 10) << "four pairs and a separator per controller";
    EXPECT_EQ(page->m_nvmeControllers.GetSize(), 0);
    std::string controllers = "\t\tDevice Description: Standard SATA AHCI Controller\r\n"
                              "\t\tLocation: Bus 0, Device 23, Function 0\r\n"
                              "\t\tDriver Name: storahci\r\n"
                              "\t\tDriver Version and Date: 10.0.19041.1    2021/6/21\r\n"
                              "\t\tDevice Description: Contr\xF4leur SATA\r\n"
                              "\t\tLocation: Bus -1, Device -1, Function -1\r\n"
                              "\t\tDriver Name: \r\n"
                              "\t\tDriver Version and Date:     \r\n";
    EXPECT_EQ(Exported(),
              std::string(kHeads) + kEmptyComputer + kCpuAndOsHeads + kControllerHeads + controllers + kNvmeHead);
}

TEST_F(SystemInfoPageTest, ALongValueOrOneOutsideTheCodePageIsWrittenWhole)
{
    ASSERT_EQ(::GetACP(), 1252u) << "the expected text is that of the Western code page";
    std::wstring longText(5000, L'x');
    page->m_computerName = InfoPair{L"ComputerName", longText.c_str()};
    page->m_userName = InfoPair{L"UserName", L"\x5F20\x4F1F (Zhang Wei)"};
    EXPECT_EQ(Exported(), std::string(kHeads) + "\t\tComputerName: " + std::string(5000, 'x') + "\r\n" +
                              "\t\tUserName: ?? (Zhang Wei)\r\n" + kCpuAndOsHeads + kControllerHeads + kNvmeHead);
}

TEST_F(SystemInfoPageTest, CollectingTwiceGivesTheSameFactsAndTheListShowsThemUnderTheirHeadings)
{
    LoadMachine(kMixedMachine);
    page->CollectSystemInfo();
    INT_PTR sizes[] = {page->m_cpuInfo.GetSize(), page->m_osInfo.GetSize(), page->m_ahciControllers.GetSize(),
                       page->m_nvmeControllers.GetSize()};
    page->CollectSystemInfo();
    EXPECT_EQ(page->m_cpuInfo.GetSize(), sizes[0]);
    EXPECT_EQ(page->m_osInfo.GetSize(), sizes[1]);
    EXPECT_EQ(page->m_ahciControllers.GetSize(), sizes[2]);
    EXPECT_EQ(page->m_nvmeControllers.GetSize(), sizes[3]);
    ASSERT_EQ(sizes[0], 3);
    ASSERT_EQ(sizes[1], 5);
    ASSERT_EQ(sizes[2], 5);
    ASSERT_EQ(sizes[3], 5);

    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ::GetComputerNameW(computer, &size);
    EXPECT_EQ(page->m_computerName.value, computer);
    EXPECT_EQ(page->m_osInfo[0].name, L"OS Name");
    EXPECT_EQ(page->m_osInfo[4].name, L"OS Root");
    EXPECT_EQ(page->m_cpuInfo[1].value, L"64") << "AddressWidth";

    page->FillInfoList();
    page->FillInfoList(); // refilled, not appended
    struct Row {
        int row;
        const wchar_t* label;
        const wchar_t* value; // nullptr: not checked
    } rows[] = {
        {0, L"Computer", L""},
        {1, L"        ComputerName", computer},
        {2, L"        UserName", nullptr},
        {3, L"", L""},
        {4, L"CPU", L""},
        {5, L"        Name", nullptr},
        {6, L"        AddressWidth", L"64"},
        {7, L"        NumberOfCores", nullptr},
        {8, L"        OS Name", nullptr},
        {12, L"        OS Root", nullptr},
        {13, L"", L""},
        {14, L"Storage Controller", L""},
        {15, L"    AHCI Controller", L""},
        {16, L"        Device Description", L"Standard SATA AHCI Controller"},
        {17, L"        Location", L"Bus 0, Device 23, Function 0"},
        {18, L"        Driver Name", L"storahci"},
        {20, L"        ", L""}, // the separator pair
        {21, L"    NVME Controller", L""},
        {22, L"        Device Description", L"Standard NVM Express Controller"},
        {23, L"        Location", L"Bus 2, Device 31, Function 2"},
        {25, L"        Driver Version and Date", L"10.0.19041.1500    2021/6/21"},
        {26, L"        ", L""},
    };
    EXPECT_EQ(Rows(), 27);
    for (const Row& r : rows) {
        EXPECT_EQ(Cell(r.row, 0), r.label) << r.row;
        if (r.value) {
            EXPECT_EQ(Cell(r.row, 1), r.value) << r.row;
        }
    }
    EXPECT_FALSE(Cell(2, 1).empty()) << "the user's name";

    ::SetForegroundWindow(m_host);
    PumpMessages(200);
    EXPECT_TRUE(SaveScreenshot(m_host, L"system_information_page"));
}

TEST_F(SystemInfoPageTest, PaintingTheBackgroundLeavesNoDeviceContextBehind)
{
    HDC screen = ::GetDC(nullptr);
    page->m_hBkBitmap = ::CreateCompatibleBitmap(screen, 8, 8);
    ::ReleaseDC(nullptr, screen);
    {
        HDC memory = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(memory, page->m_hBkBitmap);
        HBRUSH teal = ::CreateSolidBrush(RGB(0, 128, 128));
        RECT all = {0, 0, 8, 8};
        ::FillRect(memory, &all, teal);
        ::DeleteObject(teal);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
    }
    page->m_bkBitmap.Attach(page->m_hBkBitmap);
    page->m_bkBitmap.GetBitmap(&page->m_bkBitmapInfo);

    auto paint = [this] {
        ::RedrawWindow(page->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        PumpMessages(5);
    };
    paint();
    DWORD before = GdiObjectCount();
    for (int i = 0; i < 20; ++i)
        paint();
    EXPECT_EQ(GdiObjectCount(), before) << "each paint gives back its memory device context";
    EXPECT_EQ(ScreenPixel(page->m_hWnd, 4, 4), RGB(0, 128, 128)) << "the background is stretched over the page";
    // The bitmap is still the page's to delete: it was selected out again.
    HDC probe = ::CreateCompatibleDC(nullptr);
    EXPECT_NE(::SelectObject(probe, page->m_hBkBitmap), nullptr) << "the bitmap is left in no device context";
    ::DeleteDC(probe);
}
