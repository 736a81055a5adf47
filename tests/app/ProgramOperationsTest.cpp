// What the program does on its own roads: the clock-mode switch with its box
// and re-check, the log export, the result box of the hidden pages'
// requests, the debug log, and ending cleanly while the worker is busy.

#include "ProgramDriver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The default simulated machine: a "VG" drive (disk 1, D and E), a "VL"
// drive (disk 2, F), a foreign NVMe drive and a SATA system disk (C).
const std::string kDefaultMachine;

// The debug log of a run: "Kestrova_*.debug" in the program's folder, as text.
bool ReadDebugLog(const ProgramDriver& program, std::string& bytes, std::wstring& text)
{
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(program.Folder() + L"Kestrova_*.debug", &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(find);
    bytes = TempDir::Read(program.Folder() + data.cFileName);
    if (bytes.size() >= 2)
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    return true;
}

// Green or red: which of the result icons fills a window on the screen.
enum class Seen { Green, Red, Nothing };
Seen IconColour(HWND window)
{
    int green = 0, red = 0;
    WindowPicture picture(window);
    for (uint32_t pixel : picture.Pixels()) {
        int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        if (g > 120 && r < 100 && b < 120)
            ++green;
        else if (r > 160 && g < 80 && b < 80)
            ++red;
    }
    if (green > 50 && green > red)
        return Seen::Green;
    if (red > 50)
        return Seen::Red;
    return Seen::Nothing;
}

int CountLines(const std::string& journal, const char* prefix)
{
    int count = 0;
    size_t length = strlen(prefix);
    for (size_t at = 0; at < journal.size();) {
        size_t end = journal.find('\n', at);
        if (end == std::string::npos)
            end = journal.size();
        if (journal.compare(at, length, prefix) == 0)
            ++count;
        at = end + 1;
    }
    return count;
}

// Green pixels of the switch button: its icon is green while the drive
// reports the mode of flag 1, grey otherwise.
int GreenPixels(HWND button)
{
    int green = 0;
    WindowPicture picture(button);
    for (uint32_t pixel : picture.Pixels()) {
        int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        if (g > 130 && r < 90 && b < 110)
            ++green;
    }
    return green;
}

TEST(ProgramSwitch, ClockModeSwitchShowsTheBoxAndWaitsForTheNewMode)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start(kDefaultMachine, 1));
    ASSERT_TRUE(program.WaitForDrivePage());
    HWND drivePage = program.DrivePage();
    HWND switchButton = ::GetDlgItem(program.Main(), ids::kSwitchMode);
    EXPECT_STREQ(ProgramDriver::Text(drivePage, ids::kClockMode), L"Standard Mode");
    EXPECT_GT(GreenPixels(switchButton), 20);

    // Switching from the SMART page brings the drive page back; the marker stays.
    program.Click(ids::kSmartInfo);
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(program.SmartPage()) != FALSE; }));
    program.Click(ids::kSwitchMode);
    HWND box = program.WaitForWindow(L"Smart Tool", 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ProgramDriver::MessageBoxText(box).Find(L"Under Processing now and please wait an moment."), 0);
    EXPECT_TRUE(::IsWindowVisible(drivePage));
    EXPECT_FALSE(::IsWindowVisible(program.SmartPage()));
    PumpMessages(800); // the box paints in the program's own time
    SaveScreenshot(nullptr, L"app_clock_mode_box");

    // A second click while the switch is in progress does nothing.
    program.Click(ids::kSwitchMode);
    PumpMessages(2500);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); }));
    PumpMessages(1000);
    EXPECT_EQ(program.FindProcessWindow(L"Smart Tool"), nullptr);

    // The drive reports 100 after the switch: "ECO Mode" for a "VG" drive;
    // the next tick stops the timer and the icon turns grey.
    ASSERT_TRUE(PumpUntil([&] { return ProgramDriver::Text(drivePage, ids::kClockMode) == L"ECO Mode"; }, 20000));
    EXPECT_STREQ(ProgramDriver::Text(drivePage, ids::kSpeed), L"ECO Mode");
    ASSERT_TRUE(PumpUntil([&] { return GreenPixels(switchButton) == 0; }, 10000));
    EXPECT_TRUE(program.CloseAndWait());

    std::string bytes;
    std::wstring log;
    ASSERT_TRUE(ReadDebugLog(program, bytes, log));
    const std::wstring startLine = L"CKestrovaDlg::StartAutoCheckSmartTimer -> Auto scan timer start\r\n";
    size_t started = log.find(startLine);
    size_t stopped = log.find(L"CKestrovaDlg::StopAutoCheckSmartTimer -> Auto scan timer stopped\r\n");
    EXPECT_NE(started, std::wstring::npos);
    EXPECT_NE(stopped, std::wstring::npos);
    EXPECT_LT(started, stopped);
    // One switch, one timer: started once.
    EXPECT_EQ(log.find(startLine, started + startLine.size()), std::wstring::npos);
}

TEST(ProgramDebugLog, DebugModeWritesUtf16LogWithTheScanAndThePageInOrder)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start(kDefaultMachine, 1));
    ASSERT_TRUE(program.WaitForDrivePage());
    EXPECT_TRUE(program.CloseAndWait());

    std::string bytes;
    std::wstring log;
    ASSERT_TRUE(ReadDebugLog(program, bytes, log));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);
    // The scan's lines, then the drive page's, in this order, each ending in CR LF.
    const wchar_t* inOrder[] = {
        L"CSSDOpThread::ScanNewNvmeDevice -> NvmeScanController 3\r\n",
        L"CSSDOpThread::ScanNewNvmeDevice -> GetControllerInfo\r\n",
        L"CSSDOpThread::ScanNewNvmeDevice -> GetDiskInfo\r\n",
        L"CSSDOpThread::ScanNewNvmeDevice ret 2\r\n",
        L"CSSDOpThread::FindVnSSD -> update combobox\r\n",
        L"CDriveInfoDlg::UpdateSSDDriveInfo -> m_lifeRemaingStr 97\r\n",
        L"CDriveInfoDlg::UpdateSSDDriveInfo -> m_originalClkModeStr 120\r\n",
    };
    size_t at = 0;
    for (const wchar_t* line : inOrder) {
        size_t found = log.find(line, at);
        EXPECT_NE(found, std::wstring::npos) << std::string(line, line + wcslen(line));
        if (found != std::wstring::npos)
            at = found + wcslen(line);
    }
    EXPECT_EQ(log.find(L"\r\r\n"), std::wstring::npos);
}

TEST(ProgramDebugLog, WithoutDebugModeNoLogIsWritten)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start(kDefaultMachine, 0));
    ASSERT_TRUE(program.WaitForDrivePage());
    EXPECT_TRUE(program.CloseAndWait());
    std::string bytes;
    std::wstring log;
    EXPECT_FALSE(ReadDebugLog(program, bytes, log));
}

// A machine whose one kept drive holds the running system (C:).
const char kSystemOnKeptDrive[] = R"(machine system-dir="C:\Windows\system32"
node root id="HTREE\ROOT\0" desc="Computer"
node pci parent=root id="ACPI\PNP0A08\0" desc="PCI Express Root Complex" service=pci
node volmgr parent=root id="ROOT\VOLMGR\0000" desc="Volume Manager" service=volmgr
node nvme0 parent=pci id="PCI\VEN_1F9B&DEV_6E40&SUBSYS_00011F9B&REV_01\4&1&0&00E8" desc="Standard NVM Express Controller" service=stornvme class=SCSIAdapter bus=2 address=0x0
node disk0 parent=nvme0 id="SCSI\DISK&VEN_NVME&PROD_ZR80E\5&1&0&000000" desc="Disk drive" friendly="Zarvo ZR80e 1TB" service=disk class=DiskDrive disk=0 smart=nocap
node volC parent=volmgr id="STORAGE\VOLUME\{6D1F4A20-0000-0000-0000-100000000000}#0000000000100000" desc="Generic volume" service=volume volume=C on-disk=0 partition=1
drive bus=nvme controller=nvme0 disk=disk0 serial=ZR80E0001 model="Zarvo ZR80e 1TB" fw=VG1A0203 capacity=1000204886016 write-cache=0 smart="9:100:100:5 253:100:100:120"
)";

TEST(ProgramResultBox, HiddenPagesRequestsEndInTheResultBox)
{
    struct Case {
        std::string machine;
        const wchar_t* text;
        Seen icon;
        const wchar_t* shot;
    } cases[] = {
        {kDefaultMachine, L"Format nand flash succeed!", Seen::Green, L"app_result_box_success"},
        {kSystemOnKeptDrive, L"Operation fail, OS is running on the selected device!", Seen::Red,
         L"app_result_box_fail"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shot);
        ProgramDriver program;
        ASSERT_TRUE(program.Start(c.machine));
        ASSERT_TRUE(program.WaitForDrivePage());
        HWND utilities = program.UtilitiesPage();
        ASSERT_NE(utilities, nullptr);
        EXPECT_FALSE(::IsWindowVisible(utilities));
        ProgramDriver::Click(utilities, ids::kSecurityErase);
        HWND box = program.WaitForWindow(L"Kestrova");
        ASSERT_NE(box, nullptr);
        PumpMessages(500);
        EXPECT_NE(ProgramDriver::Text(box, 1048).Find(c.text), -1) << (LPCWSTR)ProgramDriver::Text(box, 1048);
        EXPECT_EQ(IconColour(::GetDlgItem(box, 1049)), c.icon);
        SaveScreenshot(box, c.shot);
        EXPECT_STREQ(program.StatusPane(1), L"");
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); }));
        EXPECT_TRUE(program.CloseAndWait());
    }
}

TEST(ProgramResultBox, WriteCacheSwitchEndsInItsBoxAndTheUtilitiesIconFollowsTheDrive)
{
    // The kept drive's write cache starts off; one press switches it on.
    ProgramDriver program;
    ASSERT_TRUE(program.Start(kSystemOnKeptDrive));
    ASSERT_TRUE(program.WaitForDrivePage());
    HWND utilities = program.UtilitiesPage();
    program.ShowOnly(utilities);
    HWND button = ::GetDlgItem(utilities, ids::kWriteCache);
    PumpMessages(300);
    EXPECT_EQ(GreenPixels(button), 0);
    ProgramDriver::Click(utilities, ids::kWriteCache);
    HWND box = program.WaitForWindow(L"Kestrova");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(ProgramDriver::Text(box, 1048).Find(L"Set device write cache info succeed"), -1);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(box); }));
    // The worker's state answer gives the button the checked icon.
    EXPECT_TRUE(PumpUntil([&] { return GreenPixels(button) > 10; }));
    SaveScreenshot(program.Main(), L"app_page_utilities_write_cache_on");
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(ProgramUtilities, ChoosersOpenByDriveFamilyAtTheProgramFolderAndKeepAFolderWithABackslash)
{
    // The default machine's first drive sits on a 6E40 controller, which
    // takes one image file; the second on a 6E42, which takes a folder.
    ProgramDriver program;
    ASSERT_TRUE(program.Start(kDefaultMachine));
    ASSERT_TRUE(program.WaitForDrivePage());
    HWND utilities = program.UtilitiesPage();
    ASSERT_NE(utilities, nullptr);
    // The folder browsers open at the program's folder: OK keeps it.
    CString folder = program.Folder();
    struct Case {
        const char* name;
        int disk;
        int button;
        const wchar_t* dialog;
        bool ok;
        int edit;
        CString shown;
    } cases[] = {
        {"image file, cancelled", 0, ids::kBrowseFw, L"Open", false, ids::kFwPath, L""},
        {"llf folder", 0, ids::kBrowseLlf, L"Browse for Folder", true, ids::kLlfPath, folder},
        {"dump folder", 0, ids::kBrowseDump, L"Browse for Folder", true, ids::kDumpPath, folder},
        {"firmware folder", 1, ids::kBrowseFw, L"Browse for Folder", true, ids::kFwPath, folder},
        {"firmware folder, cancelled", 1, ids::kBrowseFw, L"Browse for Folder", false, ids::kFwPath, folder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (program.DiskListSelection() != c.disk) {
            CString serial = ProgramDriver::Text(program.DrivePage(), ids::kSerial);
            program.SelectDisk(c.disk);
            // The drive page follows once the worker has handled the selection.
            ASSERT_TRUE(PumpUntil([&] { return ProgramDriver::Text(program.DrivePage(), ids::kSerial) != serial; }));
        }
        ProgramDriver::Click(utilities, c.button);
        HWND dialog = program.WaitForWindow(c.dialog, 15000);
        ASSERT_NE(dialog, nullptr);
        PumpMessages(500);
        ::PostMessageW(dialog, WM_COMMAND, c.ok ? IDOK : IDCANCEL, 0);
        ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(dialog); }));
        PumpMessages(300);
        EXPECT_EQ(ProgramDriver::Text(utilities, c.edit).CompareNoCase(c.shown), 0)
            << (LPCWSTR)ProgramDriver::Text(utilities, c.edit);
    }
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(ProgramClose, EndsCleanlyWithQueuedRequestsAndRightAfterASelection)
{
    // The caption button and Esc take the same road: the worker is asked to
    // end once, drops what has not started, and the program waits until it
    // has finished what it runs.
    struct Case {
        const char* name;
        bool busy;
        UINT message;
        WPARAM wParam;
    } cases[] = {
        {"queued maintenance requests, caption button", true, WM_SYSCOMMAND, SC_CLOSE},
        {"queued maintenance requests, Esc", true, WM_COMMAND, IDCANCEL},
        {"right after a selection, caption button", false, WM_SYSCOMMAND, SC_CLOSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramDriver program;
        ASSERT_TRUE(program.Start(kDefaultMachine));
        ASSERT_TRUE(program.WaitForDrivePage());
        if (c.busy) {
            HWND utilities = program.UtilitiesPage();
            HWND health = program.HealthPage();
            // Requests whose answers show nothing, then a format that the
            // close drops unless the worker has started it already.
            for (int i = 0; i < 10; ++i) {
                ProgramDriver::Click(health, ids::kFlashIdButton);
                ProgramDriver::Click(health, ids::kLifeButton);
            }
            ProgramDriver::Click(utilities, ids::kSecurityErase);
        } else {
            program.SelectDisk(1);
        }
        ::PostMessageW(program.Main(), c.message, c.wParam, 0);
        EXPECT_TRUE(program.WaitForExit());
        std::string journal = program.Journal();
        ASSERT_FALSE(journal.empty());
        EXPECT_EQ(CountLines(journal, "NvmeOpenByInst("), CountLines(journal, "NvmeClose("));
        if (c.busy) { // started before the close and ended, or never started
            EXPECT_LE(CountLines(journal, "NvmeFormat"), 1);
        }
    }
}

TEST(ProgramLook, AboutBoxAndEveryPage)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start(kDefaultMachine));
    ASSERT_TRUE(program.WaitForDrivePage());

    ::PostMessageW(program.Main(), WM_SYSCOMMAND, 0x0010, 0);
    HWND about = program.WaitForWindow(L"About Kestrova");
    ASSERT_NE(about, nullptr);
    PumpMessages(300);
    SaveScreenshot(about, L"app_about_box");
    ::PostMessageW(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(about); }));

    struct Shot {
        HWND page;
        const wchar_t* name;
    } shots[] = {{program.HealthPage(), L"app_page_health"},
                 {program.UtilitiesPage(), L"app_page_utilities"},
                 {program.Page(1031, WC_LISTVIEWW), L"app_page_system_info"},
                 {program.DrivePage(), L"app_page_drive"}};
    for (const Shot& shot : shots) {
        if (!shot.page)
            continue;
        program.ShowOnly(shot.page);
        PumpMessages(300);
        SaveScreenshot(program.Main(), shot.name);
    }
    EXPECT_TRUE(program.CloseAndWait());
}

} // namespace
