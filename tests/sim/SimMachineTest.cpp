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

// A controller, a disk on it and a second, SATA controller with its disk.
const char* const kBase = "node c id=\"PCI\\VEN_1F9B&DEV_6E42\\1\" compatible=\"PCI\\CC_010802|PCI\\CC_0108\"\n"
                          "node d parent=c id=\"SCSI\\DISK\\1\" disk=1\n"
                          "node s id=\"PCI\\VEN_8086&DEV_A352\\1\" compatible=\"PCI\\CC_010601|PCI\\CC_0106\"\n"
                          "node e parent=s id=\"SCSI\\DISK\\2\" disk=2\n";

TEST_F(SimTest, BrokenDescriptionKeepsTheMachineAndNamesTheLineAndKey)
{
    struct Case {
        const char* text; // after the four lines of kBase
        const char* error;
    } cases[] = {
        {"node b parent=nobody id=\"X\\2\"", "line 5: key 'parent': unknown node 'nobody'"},
        {"node c id=\"X\\2\"", "line 5: node 'c' named twice"},
        {"node a\n", "line 5: node 'a' has no id"},
        {"gadget x=1", "line 5: unknown line kind 'gadget'"},
        {"node a id=\"X\\1", "line 5: unterminated quote"},
        // Machines no one can have.
        {"node x id=\"SCSI\\DISK\\3\" disk=1", "line 5: key 'disk': disk 1 is another node's"},
        {"drive controller=c disk=d\ndrive controller=s disk=d bus=sata", "line 6: key 'disk': node 'd' holds drive 0"},
        {"node v id=\"V\\1\" volume=C on-disk=1\nnode w id=\"V\\2\" volume=c on-disk=2",
         "line 6: key 'volume': volume C"},
        {"\nnode v id=\"V\\1\" volume=C on-disk=7\nnode z id=\"Z\\1\" disk=7\nnode y id=\"Y\\1\" volume=Y on-disk=8",
         "line 8: key 'on-disk': no node has disk=8"},
        {"drive controller=d disk=d", "line 5: key 'controller': node 'd' is a disk"},
        {"drive controller=c disk=c", "line 5: key 'disk': node 'c' has no disk number"},
        {"drive controller=c disk=d bus=sata", "line 5: key 'controller': a SATA drive on NVMe controller 'c'"},
        {"drive controller=s disk=e smart=\"9:1:1:5 12:1:1:1 9:2:2:2\"",
         "line 5: key 'smart': attribute 9 given twice"},
        // Numbers and texts with something after them, or too big for their field.
        {"drive controller=c disk=d capacity=-5", "line 5: key 'capacity': '-5' is not a number"},
        {"drive controller=c disk=d write-cache=99999999999", "line 5: key 'write-cache': 99999999999 does not fit"},
        {"drive controller=c disk=d hmb-size=0x100000000", "line 5: key 'hmb-size': 0x100000000 does not fit"},
        {"drive controller=c disk=d capacity=08junk", "line 5: key 'capacity': '08junk' is not a number"},
        {"drive controller=c disk=d capacity=99999999999999999999", "line 5: key 'capacity': 99999999999999999999"},
        {"drive controller=c disk=d smart=\"9:1:1\"", "line 5: key 'smart': '1:1' takes current"},
        {"drive controller=c disk=d pcie-gen=16", "line 5: key 'pcie-gen': 16 does not fit 0 to 15"},
        {"driver c desc=x version=1.2.3.4junk date=2021-06-21", "line 5: key 'version': '4junk' is not a number"},
        {"driver c desc=x version=1.2.3.65536", "line 5: key 'version': 65536 does not fit"},
        {"driver c desc=x version=1.2.3", "line 5: key 'version': takes a.b.c.d"},
        {"driver c desc=x date=2021-02-30", "line 5: key 'date': no such day"},
        {"driver c desc=x date=2021-06-21x", "line 5: key 'date': '21x' is not a number"},
        {"interface c {53f56307-b6bf-11d0-94f2-00a0c91efb8b \"\\\\?\\x\"", "line 5: bad interface class"},
        {"node q id=\"Q\\1\" bus=4294967296", "line 5: key 'bus': 4294967296 does not fit"},
        {"firmware ACPI FACP mcfg-base=0xE0000000", "line 5: key 'mcfg-base': belongs to the ACPI table MCFG"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0, SimLoadMachineText((std::string(kBase) + c.text).c_str())) << c.text;
        EXPECT_EQ(0u, LoadError().find(c.error)) << c.text << " gave " << LoadError();
        EXPECT_EQ(4, SimGetDriveCount()) << "the default machine stays";
    }
}

TEST_F(SimTest, NumbersAreDecimalUnlessWrittenInHexAndAByteOrderMarkIsSkipped)
{
    struct Case {
        const char* value;
        const char* read;
    } cases[] = {{"010", "10"}, {"08", "8"}, {"0x10", "16"}, {"0X1f", "31"}, {"0", "0"}};
    for (const Case& c : cases) {
        std::string text = std::string(kBase) + "drive controller=c disk=d capacity=" + c.value;
        ASSERT_EQ(1, SimLoadMachineText(text.c_str())) << c.value << ": " << LoadError();
        EXPECT_EQ(c.read, DriveValue(0, "capacity")) << c.value;
    }
    std::string bom = std::string("\xEF\xBB\xBF") + kBase + "drive controller=c disk=d fw=BOM1";
    ASSERT_EQ(1, SimLoadMachineText(bom.c_str())) << LoadError();
    EXPECT_EQ("BOM1", DriveValue(0, "fw"));
}

// Every key a test can set reads back the same, through the one key table.
TEST_F(SimTest, EveryDriveKeyThatCanBeSetReadsBack)
{
    struct Case {
        const char* key;
        const char* value;
    } cases[] = {
        {"ahci", "1"},
        {"serial", "SER123"},
        {"model", "Model Two"},
        {"fw", "VG77"},
        {"version", "ver 2"},
        {"dev-name", "\\\\.\\Scsi3:"},
        {"capacity", "1048576"},
        {"sector", "4096"},
        {"reserved", "4096"},
        {"write-cache", "0"},
        {"hmb", "0"},
        {"hmb-size", "8192"},
        {"revision", "7"},
        {"flash-config", "33"},
        {"flash-id", "01 02 03 04 05 06 07 08"},
        {"pcie-gen", "5"},
        {"pcie-lanes", "2"},
        {"sata-speed", "2"},
        {"switch-reads", "3"},
        {"llf-polls", "4"},
        {"llf-error", "258"},
        {"llf-init", "1:50:0x0000 0:100:0x0000"},
        {"smart", "9:100:99:1234:0 12:98:97:5:10"},
        {"fw-mode", "LLF mode"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(1, SimSetDriveValue(0, c.key, c.value)) << c.key;
        EXPECT_EQ(c.value, DriveValue(0, c.key)) << c.key;
    }
    // The drive's place in the machine is the description's, and counters are the machine's.
    for (const char* key : {"bus", "controller", "disk", "fw-staged", "smart-reads"}) {
        std::string before = DriveValue(0, key);
        EXPECT_NE("<unknown>", before) << key;
        EXPECT_EQ(0, SimSetDriveValue(0, key, "1")) << key;
        EXPECT_EQ(before, DriveValue(0, key)) << key;
    }
    EXPECT_EQ(0, SimSetDriveValue(0, "pcie-gen", "99999999999"));
    EXPECT_EQ("5", DriveValue(0, "pcie-gen"));
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
