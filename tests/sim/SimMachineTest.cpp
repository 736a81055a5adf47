// The machine description, the journal and the fault knobs.

#include "SimFixture.h"

#include "PlatformSeam.h"

#include <cstring>

namespace {

const char* const kSmallMachine = R"(# two disks, one maker drive
machine system-dir="D:\Windows\system32"
node root id="HTREE\ROOT\0"
node ctl parent=root id="PCI\VEN_1F9B&DEV_6E42&SUBSYS_1\4&1&0&0" service=stornvme compatible="PCI\VEN_1F9B&DEV_6E42|PCI\CC_0108"
node dsk parent=ctl id="SCSI\DISK&VEN_NVME\5&1&0&0" friendly="Test Disk" disk=4   # trailing comment
node vol parent=root id="STORAGE\VOLUME\1" volume=d on-disk=4 partition=1
drive bus=nvme controller=ctl disk=dsk serial=S1 model="Model One" fw=VL01 capacity=1048576 smart="9:100:100:77 253:100:100:100"
)";

TEST_F(SimTest, DescriptionBuildsTheMachineItSays)
{
    ASSERT_EQ(1, SimLoadMachineText(kSmallMachine)) << LoadError();
    EXPECT_EQ(1, SimGetDriveCount());
    EXPECT_EQ("VL01", DriveValue(0, "fw"));
    EXPECT_EQ("Model One", DriveValue(0, "model"));
    EXPECT_EQ("77", DriveValue(0, "smart:9"));
    EXPECT_EQ("100", DriveValue(0, "smart:0xFD"));

    wchar_t directory[MAX_PATH] = {};
    EXPECT_EQ(19u, seam::GetSystemDirectoryW(directory, MAX_PATH));
    EXPECT_STREQ(L"D:\\Windows\\system32", directory);
    EXPECT_EQ(1u << 3, seam::GetLogicalDrives());

    // Nodes are numbered from 0x1000 in description order.
    DEVINST parent = 0;
    ASSERT_EQ(CR_SUCCESS, seam::CM_Get_Parent(&parent, 0x1002, 0));
    EXPECT_EQ(0x1001u, parent);
    wchar_t id[64] = {};
    ASSERT_EQ(CR_SUCCESS, seam::CM_Get_Device_IDW(0x1001, id, 64, 0));
    EXPECT_STREQ(L"PCI\\VEN_1F9B&DEV_6E42&SUBSYS_1\\4&1&0&0", id);
}

TEST_F(SimTest, PropertyLinesKeepTheirRegistryType)
{
    ASSERT_EQ(1, SimLoadMachineText((std::string(kSmallMachine) + "prop ctl LOCATION_INFORMATION sz \"Slot 3\"\n"
                                                                  "prop ctl 0x17 dword 0x20\n"
                                                                  "prop ctl 1 multi-sz \"A|B\"\n"
                                                                  "prop ctl 0x1A binary \"01 02 03\"\n")
                                        .c_str()))
        << LoadError();
    struct Case {
        DWORD property;
        DWORD type;
        std::wstring value;
    } cases[] = {
        {SPDRP_LOCATION_INFORMATION, REG_SZ, std::wstring(L"Slot 3\0", 7)},
        {0x17, REG_DWORD, std::wstring(L"\x0020\0", 2)},
        {SPDRP_HARDWAREID, REG_MULTI_SZ, std::wstring(L"A\0B\0\0", 5)},
        {0x1A, REG_BINARY, std::wstring(L"\x0201", 1)},
    };
    for (const Case& c : cases) {
        DWORD type = 0;
        std::wstring value;
        ASSERT_TRUE(ReadProperty(0x1001, c.property, type, value)) << c.property;
        EXPECT_EQ(c.type, type) << c.property;
        EXPECT_EQ(c.value, value) << c.property;
    }
}

TEST_F(SimTest, BrokenDescriptionKeepsTheMachineAndNamesTheLine)
{
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"node a id=\"X\\1\"\nnode b parent=nobody id=\"X\\2\"", "line 2: unknown node 'nobody'"},
        {"node a id=\"X\\1\"\nnode a id=\"X\\2\"", "line 2: node 'a' named twice"},
        {"node a\n", "line 1: node 'a' has no id"},
        {"gadget x=1", "line 1: unknown line kind 'gadget'"},
        {"node a id=\"X\\1", "line 1: unterminated quote"},
        {"node a id=\"X\\1\" disk=0\ndrive bus=nvme controller=a disk=a capacity=-5", "line 2: bad drive key"},
        {"node a id=\"X\\1\"\ndrive bus=nvme controller=a disk=a", "line 2: the disk= node of a drive needs"},
        {"node a id=\"X\\1\" disk=0\ndrive controller=a disk=a smart=\"9:1:1\"", "line 2: bad drive key"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0, SimLoadMachineText(c.text)) << c.text;
        EXPECT_EQ(0u, LoadError().find(c.error)) << c.text << " gave " << LoadError();
        EXPECT_EQ(4, SimGetDriveCount()) << "the default machine stays";
    }
}

TEST_F(SimTest, DefaultMachineHasTheDrivesTheProgramExpects)
{
    ASSERT_EQ(4, SimGetDriveCount());
    struct Expect {
        const char* fw;
        const char* bus;
        const char* fd;
    } expected[] = {{"VG1A0203", "nvme", "120"},
                    {"VL1B0105", "nvme", "100"},
                    {"ED2R1100", "nvme", "<unknown>"},
                    {"S0830A", "sata", "<unknown>"}};
    for (int d = 0; d < 4; ++d) {
        EXPECT_EQ(expected[d].fw, DriveValue(d, "fw"));
        EXPECT_EQ(expected[d].bus, DriveValue(d, "bus"));
        EXPECT_EQ(expected[d].fd, DriveValue(d, "smart:253"));
    }
    EXPECT_EQ(std::string(SimDefaultMachineText()).find("# Kestrova default machine"), 0u);
}

TEST_F(SimTest, JournalRecordsEachCallWithItsArguments)
{
    DEVINST parent = 0;
    seam::CM_Get_Parent(&parent, 0x1005, 0);
    seam::CreateFileW(L"\\\\.\\PhysicalDrive9", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ("CM_Get_Parent(<out>, 0x1005, 0)\n"
              "CreateFileW(\"\\\\.\\PhysicalDrive9\", 0x80000000, 1, <null>, 3, 0x0, <null>)\n",
              Journal());
    SimClearJournal();
    EXPECT_EQ("", Journal());
}

TEST_F(SimTest, FaultKnobsFailAfterCallsAndForLimitedTimes)
{
    DEVINST parent = 0;
    SimSetFault("CM_Get_Parent", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 1, 2);
    EXPECT_EQ(CR_SUCCESS, seam::CM_Get_Parent(&parent, 0x1005, 0));
    EXPECT_EQ(CR_FAILURE, seam::CM_Get_Parent(&parent, 0x1005, 0));
    EXPECT_EQ(CR_FAILURE, seam::CM_Get_Parent(&parent, 0x1005, 0));
    EXPECT_EQ(CR_SUCCESS, seam::CM_Get_Parent(&parent, 0x1005, 0));

    SimClearFaults();
    SimSetFault("CM_Get_Parent", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(CR_FAILURE, seam::CM_Get_Parent(&parent, 0x1005, 0));
    SimClearFaults();
    EXPECT_EQ(CR_SUCCESS, seam::CM_Get_Parent(&parent, 0x1005, 0));
}

TEST_F(SimTest, FaultKnobForOneDriveSparesTheOthers)
{
    // Drive 1's disk is PhysicalDrive2, drive 0's PhysicalDrive1.
    SimSetFault("CreateFileW", 1, SIM_FAULT_FAIL, 0, 0);
    HANDLE one = seam::CreateFileW(L"\\\\.\\PhysicalDrive1", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE two = seam::CreateFileW(L"\\\\.\\PhysicalDrive2", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, one);
    EXPECT_EQ(INVALID_HANDLE_VALUE, two);
    EXPECT_EQ(static_cast<DWORD>(ERROR_GEN_FAILURE), GetLastError());
    seam::CloseHandle(one);
}

TEST_F(SimTest, DriveStateCanBeChangedAndReadBack)
{
    EXPECT_EQ(1, SimSetDriveValue(0, "write-cache", "0"));
    EXPECT_EQ("0", DriveValue(0, "write-cache"));
    EXPECT_EQ(1, SimSetDriveValue(0, "smart:0xFD", "100,100,100"));
    EXPECT_EQ("100", DriveValue(0, "smart:253"));
    EXPECT_EQ(0, SimSetDriveValue(0, "no-such-key", "1"));
    EXPECT_EQ(0, SimSetDriveValue(9, "write-cache", "1"));
    EXPECT_EQ("<unknown>", DriveValue(0, "no-such-key"));

    BYTE sector[512];
    std::memset(sector, 0xA5, sizeof(sector));
    ASSERT_EQ(1, SimWriteLba(0, 100, 1, sector));
    BYTE back[1024] = {};
    ASSERT_EQ(1, SimReadLba(0, 99, 2, back));
    EXPECT_EQ(0, back[511]);
    EXPECT_EQ(0xA5, back[512]);
}

} // namespace
