// The program started on simulated machines: what its main window shows
// after the start-up scan, navigation between the drive and SMART pages,
// rescan and selection.

#include "ProgramDriver.h"

#include <gtest/gtest.h>

namespace {

// A machine with no drive the program keeps: one foreign NVMe drive.
const char kNoKeptDrive[] = R"(machine system-dir="C:\Windows\system32"
node root id="HTREE\ROOT\0" desc="Computer"
node pci parent=root id="ACPI\PNP0A08\0" desc="PCI Express Root Complex" service=pci
node nvme0 parent=pci id="PCI\VEN_1F9B&DEV_6E40&SUBSYS_00011F9B&REV_01\4&1&0&00E8" desc="Standard NVM Express Controller" service=stornvme class=SCSIAdapter bus=2 address=0x0
node disk1 parent=nvme0 id="SCSI\DISK&VEN_NVME&PROD_OEM\5&1&0&000000" desc="Disk drive" friendly="OEM NVMe SSD 256GB" service=disk class=DiskDrive disk=1 smart=nocap
drive bus=nvme controller=nvme0 disk=disk1 serial=OEM0001 model="OEM NVMe SSD 256GB" fw=EX1A0100 capacity=256060514304 smart="9:100:100:77 253:100:100:120"
)";

// Two kept drives in the order the test asks for: a "VG" and a "VL" drive.
std::string TwoDriveMachine(bool vlFirst)
{
    std::string machine = R"(machine system-dir="C:\Windows\system32"
node root id="HTREE\ROOT\0" desc="Computer"
node pci parent=root id="ACPI\PNP0A08\0" desc="PCI Express Root Complex" service=pci
node volmgr parent=root id="ROOT\VOLMGR\0000" desc="Volume Manager" service=volmgr
node nvmeA parent=pci id="PCI\VEN_1F9B&DEV_6E40&SUBSYS_00011F9B&REV_01\4&A&0&00E8" desc="Standard NVM Express Controller" service=stornvme class=SCSIAdapter bus=2 address=0x0
node diskA parent=nvmeA id="SCSI\DISK&VEN_NVME&PROD_ZR80E\5&A&0&000000" desc="Disk drive" friendly="Zarvo ZR80e 1TB" service=disk class=DiskDrive disk=1 smart=nocap
node nvmeB parent=pci id="PCI\VEN_1F9B&DEV_6E42&SUBSYS_00021F9B&REV_01\4&B&0&00E0" desc="Standard NVM Express Controller" service=stornvme class=SCSIAdapter bus=3 address=0x0
node diskB parent=nvmeB id="SCSI\DISK&VEN_NVME&PROD_ZR50E\5&B&0&000000" desc="Disk drive" friendly="Zarvo ZR50e 512GB" service=disk class=DiskDrive disk=2 smart=nocap
node volD parent=volmgr id="STORAGE\VOLUME\{8A2B3C4D-0000-0000-0000-100000000000}#0000000000100000" desc="Generic volume" service=volume volume=D on-disk=1 partition=1
node volE parent=volmgr id="STORAGE\VOLUME\{8A2B3C4D-0000-0000-0000-100000000000}#0000004000100000" desc="Generic volume" service=volume volume=E on-disk=1 partition=2
node volF parent=volmgr id="STORAGE\VOLUME\{5E6F7A8B-0000-0000-0000-100000000000}#0000000000100000" desc="Generic volume" service=volume volume=F on-disk=2 partition=1
)";
    const std::string vg =
        "drive bus=nvme controller=nvmeA disk=diskA serial=\" ZR80E2203A0017 \" "
        "model=\"Zarvo ZR80e 1TB\" fw=VG1A0203 capacity=1000204886016 hmb=1 hmb-size=16384 "
        "smart=\"1:100:100:0:50 3:100:100:7 9:100:100:1873 194:62:55:38 248:97:97:97:5 253:100:100:120\"\n";
    const std::string vl = "drive bus=nvme controller=nvmeB disk=diskB serial=ZR50E2109B0342 "
                           "model=\"Zarvo ZR50e 512GB\" fw=VL1B0105 capacity=512110190592 hmb=0 "
                           "smart=\"9:100:100:926 248:99:99:99:5 253:100:100:100\"\n";
    return machine + (vlFirst ? vl + vg : vg + vl);
}

struct DrivePageValues {
    const wchar_t* serial;
    const wchar_t* firmware;
    const wchar_t* model;
    const wchar_t* capacity;
    const wchar_t* life;
    const wchar_t* letters;
    const wchar_t* hmb;
    const wchar_t* hours;
    const wchar_t* mode;
};

const DrivePageValues kVgDrive = {L"ZR80E2203A0017", L"VG1A0203", L"ZR80e",        L"931.513GB", L"97", L"D E",
                                  L"Enable 64MB",    L"1873 h",   L"Standard Mode"};
const DrivePageValues kVlDrive = {L"ZR50E2109B0342", L"VL1B0105", L"ZR50e",      L"476.940GB", L"99", L"F",
                                  L"Disable",        L"926 h",    L"Gaming Mode"};

void ExpectDrivePage(HWND page, const DrivePageValues& v)
{
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kSerial), v.serial);
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kFirmware), v.firmware);
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kModel), v.model);
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kInterface), L"NVMe");
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kCapacity), v.capacity);
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kLife), v.life);
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kDriveLetter), v.letters);
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kHmb), v.hmb);
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kOperationTime), v.hours);
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kSpeed), v.mode);
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kClockMode), v.mode);
}

// What every start-up shows whatever the drives: the buttons, the status
// bar and one page, the drive page.
void ExpectStartUpFrame(const ProgramDriver& program)
{
    HWND main = program.Main();
    for (int id : {ids::kDiskInfo, ids::kSmartInfo, ids::kLogExport, ids::kRescan, ids::kSwitchMode, ids::kGamingLabel,
                   ids::kDiskList})
        EXPECT_TRUE(ProgramDriver::Visible(main, id)) << id;
    for (int id : {ids::kGamingMode, ids::kUtilities, ids::kSystemInfo})
        EXPECT_FALSE(ProgramDriver::Visible(main, id)) << id;
    RECT client;
    ::GetClientRect(main, &client);
    EXPECT_EQ(client.right, 905);
    EXPECT_EQ(client.bottom, 630);
    EXPECT_STREQ(program.StatusPane(0), L"Vantrel");
    EXPECT_STREQ(program.StatusPane(1), L"");
    std::vector<HWND> pages = program.VisiblePages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], program.DrivePage());
    RECT page;
    ::GetWindowRect(pages[0], &page);
    ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&page), 2);
    EXPECT_EQ(page.left, 204);
    EXPECT_EQ(page.top, 80);
    EXPECT_EQ(page.right, 900);
    EXPECT_EQ(page.bottom, 590);
}

TEST(ProgramStart, FirstKeptDriveNamesTheTitleAndFillsTheDrivePage)
{
    struct Case {
        bool vlFirst;
        const wchar_t* title;
        const DrivePageValues* first;
        std::vector<CString> entries;
    } cases[] = {
        {false, L"Zarvo ZR80e SMART Tool", &kVgDrive, {L"Zarvo ZR80e 1TB", L"Zarvo ZR50e 512GB"}},
        {true, L"Zarvo ZR50e SMART Tool", &kVlDrive, {L"Zarvo ZR50e 512GB", L"Zarvo ZR80e 1TB"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vlFirst ? "VL first" : "VG first");
        ProgramDriver program;
        ASSERT_TRUE(program.Start(TwoDriveMachine(c.vlFirst)));
        ASSERT_TRUE(program.WaitForDrivePage());
        EXPECT_STREQ(ProgramDriver::Text(program.Main()), c.title);
        EXPECT_EQ(program.DiskListEntries(), c.entries);
        EXPECT_EQ(program.DiskListSelection(), 0);
        ExpectStartUpFrame(program);
        ExpectDrivePage(program.DrivePage(), *c.first);
        if (!c.vlFirst)
            SaveScreenshot(program.Main(), L"app_main_drive_page");

        // Selecting the other drive refills the page; the title stays.
        program.SelectDisk(1);
        const DrivePageValues* second = c.vlFirst ? &kVgDrive : &kVlDrive;
        EXPECT_TRUE(
            PumpUntil([&] { return ProgramDriver::Text(program.DrivePage(), ids::kSerial) == second->serial; }));
        ExpectDrivePage(program.DrivePage(), *second);
        EXPECT_STREQ(ProgramDriver::Text(program.Main()), c.title);
        EXPECT_TRUE(program.CloseAndWait());
    }
}

TEST(ProgramStart, NoKeptDriveGivesTheOtherTitleAnEmptyListAndAnEmptyDrivePage)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start(kNoKeptDrive));
    PumpMessages(1500);
    EXPECT_STREQ(ProgramDriver::Text(program.Main()), L"Zarvo ZR50e SMART Tool");
    EXPECT_TRUE(program.DiskListEntries().empty());
    ExpectStartUpFrame(program);
    for (int id : {ids::kSerial, ids::kFirmware, ids::kModel, ids::kCapacity, ids::kClockMode})
        EXPECT_STREQ(ProgramDriver::Text(program.DrivePage(), id), L"") << id;

    // The SMART page has nothing to list either.
    program.Click(ids::kSmartInfo);
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(program.SmartPage()) != FALSE; }));
    EXPECT_TRUE(program.ListRows(::GetDlgItem(program.SmartPage(), ids::kSmartList), 6).empty());
    EXPECT_TRUE(program.CloseAndWait());
}

// Sixteen foreign NVMe drives before a "VG" drive: the kept drive's library
// index is 16, so its SMART slot (index + 16) is beyond the store's 32.
std::string KeptDriveBeyondTheSlots()
{
    std::string machine = "machine system-dir=\"C:\\Windows\\system32\"\n"
                          "node root id=\"HTREE\\ROOT\\0\" desc=\"Computer\"\n"
                          "node pci parent=root id=\"ACPI\\PNP0A08\\0\" desc=\"PCI\" service=pci\n";
    std::string drives;
    for (int i = 0; i <= 16; ++i) {
        std::string n = std::to_string(i);
        machine += "node nvme" + n + " parent=pci id=\"PCI\\VEN_1F9B&DEV_6E40&SUBSYS_00011F9B&REV_01\\4&" + n +
                   "&0&00E8\" desc=\"Standard NVM Express Controller\" service=stornvme class=SCSIAdapter bus=" +
                   std::to_string(i + 2) + " address=0x0\n";
        machine += "node disk" + n + " parent=nvme" + n + " id=\"SCSI\\DISK&VEN_NVME&PROD_D" + n + "\\5&" + n +
                   "&0&000000\" desc=\"Disk drive\" friendly=\"Disk " + n +
                   "\" service=disk class=DiskDrive disk=" + std::to_string(i + 1) + " smart=nocap\n";
        drives += "drive bus=nvme controller=nvme" + n + " disk=disk" + n + " serial=S" + n +
                  (i < 16 ? " fw=EX1A0100" : " fw=VG1A0203") +
                  " capacity=256060514304 smart=\"9:100:100:1873 248:97:97:97 253:100:100:120\"\n";
    }
    return machine + drives;
}

TEST(ProgramStart, KeptDriveBeyondTheSmartSlotsShowsNoSmartValues)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start(KeptDriveBeyondTheSlots()));
    ASSERT_TRUE(program.WaitForDrivePage());
    HWND page = program.DrivePage();
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kSerial), L"S16");
    // No slot, no values: not those of another slot.
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kLife), L"");
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kOperationTime), L"");
    EXPECT_STREQ(ProgramDriver::Text(page, ids::kClockMode), L"ECO Mode");
    program.Click(ids::kSmartInfo);
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(program.SmartPage()) != FALSE; }));
    EXPECT_TRUE(program.ListRows(::GetDlgItem(program.SmartPage(), ids::kSmartList), 6).empty());
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(ProgramNavigation, SmartPageListsCataloguedAttributesAndTheDrivePageComesBack)
{
    ProgramDriver program;
    ASSERT_TRUE(program.Start(TwoDriveMachine(false)));
    ASSERT_TRUE(program.WaitForDrivePage());

    program.Click(ids::kSmartInfo);
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(program.SmartPage()) != FALSE; }));
    ASSERT_EQ(program.VisiblePages().size(), 1u);
    // Attribute 3 is stored but "SMART.ini" does not list it: no row.
    std::vector<std::vector<CString>> expected = {
        {L"01 (CR)", L"Raw Read Error Rate", L"100", L"100", L"00000000", L"50"},
        {L"09", L"Power-On Hours", L"100", L"100", L"00000751", L"0"},
        {L"C2", L"Temperature", L"62", L"55", L"00000026", L"0"},
        {L"F8 (CR)", L"Life Remaining", L"97", L"97", L"00000061", L"5"},
        {L"FD", L"Clock Mode", L"100", L"100", L"00000078", L"0"},
    };
    std::vector<std::vector<CString>> rows = program.ListRows(::GetDlgItem(program.SmartPage(), ids::kSmartList), 6);
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        for (int column = 0; column < 6; ++column)
            EXPECT_STREQ(rows[i][column], expected[i][column]) << i << "," << column;
    }
    SaveScreenshot(program.Main(), L"app_main_smart_page");

    // Back on the drive page, which the worker refreshes.
    program.Click(ids::kDiskInfo);
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(program.DrivePage()) != FALSE; }));
    ASSERT_EQ(program.VisiblePages().size(), 1u);
    ExpectDrivePage(program.DrivePage(), kVgDrive);

    // A rescan keeps both drives and selects the first again.
    program.SelectDisk(1);
    ASSERT_TRUE(PumpUntil([&] { return ProgramDriver::Text(program.DrivePage(), ids::kSerial) == kVlDrive.serial; }));
    program.Click(ids::kRescan);
    ASSERT_TRUE(PumpUntil([&] { return ProgramDriver::Text(program.DrivePage(), ids::kSerial) == kVgDrive.serial; }));
    EXPECT_EQ(program.DiskListEntries().size(), 2u);
    EXPECT_EQ(program.DiskListSelection(), 0);
    ExpectDrivePage(program.DrivePage(), kVgDrive);
    EXPECT_TRUE(program.CloseAndWait());
}

// The drive page's refresh is the one road that reads the drive's SMART log
// here: the button of the page already shown sends nothing, and the SMART
// page is filled from the store without a device read. The journal is
// written when the program ends, so a run that only starts and closes gives
// the reads of the start-up.
int SmartLogReads(const std::string& journal)
{
    int count = 0;
    for (size_t at = journal.find("NvmeSmartLog("); at != std::string::npos; at = journal.find("NvmeSmartLog(", at + 1))
        ++count;
    return count;
}

TEST(ProgramNavigation, ButtonOfTheShownPageDoesNothingAndTheSmartPageReadsNoDevice)
{
    int startUpReads = 0;
    {
        ProgramDriver program;
        ASSERT_TRUE(program.Start(TwoDriveMachine(false)));
        ASSERT_TRUE(program.WaitForDrivePage());
        PumpMessages(500);
        ASSERT_TRUE(program.CloseAndWait());
        startUpReads = SmartLogReads(program.Journal());
        ASSERT_GT(startUpReads, 0);
    }

    ProgramDriver program;
    ASSERT_TRUE(program.Start(TwoDriveMachine(false)));
    ASSERT_TRUE(program.WaitForDrivePage());
    PumpMessages(500);
    program.Click(ids::kDiskInfo);
    program.Click(ids::kSmartInfo);
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(program.SmartPage()) != FALSE; }));
    program.Click(ids::kSmartInfo);
    PumpMessages(300);
    EXPECT_EQ(program.VisiblePages().size(), 1u);
    program.Click(ids::kDiskInfo);
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(program.DrivePage()) != FALSE; }));
    PumpMessages(500);
    ASSERT_TRUE(program.CloseAndWait());
    EXPECT_EQ(SmartLogReads(program.Journal()), startUpReads + 1);
}

} // namespace
