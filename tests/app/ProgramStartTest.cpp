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

} // namespace
