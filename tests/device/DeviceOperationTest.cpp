// Device-node facts and device-tree walks through the simulated machine.

#include <gtest/gtest.h>

#include "DeviceOperation.h"
#include "SimFixture.h"

namespace {

const wchar_t* kNvme = L"PCI\\VEN_1F9B&DEV_6E42&SUBSYS_00011F9B&REV_01\\4&2A1B&0&0008";
const wchar_t* kNvmeDisk = L"SCSI\\DISK&VEN_NVME&PROD_ZARVO_ZR80E\\5&1&0&000000";
const wchar_t* kAhci = L"PCI\\VEN_8086&DEV_A102&SUBSYS_00001028&REV_31\\3&11583659&0&B8";
const wchar_t* kSataDisk = L"SCSI\\DISK&VEN_VANTREL&PROD_VX1300\\4&1&0&000100";
const wchar_t* kVolumeC = L"STORAGE\\VOLUME\\{C1}";
const wchar_t* kVolumeE = L"STORAGE\\VOLUME\\{E1}";
const DEVINST kStaleNode = 0x7FFF;

} // namespace

class DeviceOperationTest : public SimTest {
protected:
    void SetUp() override { LoadMachine(TwoDriveMachine()); }
};

TEST_F(DeviceOperationTest, PropertyTextsByRegistryType)
{
    struct Case {
        DEVINST node;
        DWORD property;
        const wchar_t* text;
        BOOL result;
    };
    const Case cases[] = {
        {Node(kNvme), SPDRP_SERVICE, L"StorNVMe", TRUE},
        {Node(kNvme), SPDRP_COMPATIBLEIDS, L"PCI\\VEN_1F9B&DEV_6E42&REV_01\tPCI\\CC_010802\tPCI\\CC_0108\t\t", TRUE},
        {Node(kNvmeDisk), SPDRP_FRIENDLYNAME, L"Zarvo ZR80e 512GB", TRUE},
        {Node(kNvme), SPDRP_BUSNUMBER, L"", TRUE}, // a DWORD reads as an empty text
        {Node(kNvme), SPDRP_MFG, L"", FALSE},      // absent
        {kStaleNode, SPDRP_SERVICE, L"", FALSE},
    };
    for (const Case& c : cases) {
        CString text = L"left over";
        EXPECT_EQ(c.result, DeviceOperation::GetDevPropertyStr(c.node, c.property, text)) << c.property;
        EXPECT_STREQ(c.text, text) << c.property;
    }
}

TEST_F(DeviceOperationTest, InterfacePathOfADiskAndNoneForANodeWithoutInstanceId)
{
    CString path = L"unchanged";
    EXPECT_TRUE(DeviceOperation::GetDevPathForCreatefile(Node(kNvmeDisk), &GUID_DEVINTERFACE_DISK, path));
    EXPECT_STREQ(L"\\\\?\\scsi#disk&ven_nvme&prod_zarvo_zr80e#5&1&0&000000#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}",
                 path);

    // No instance id must not become "no filter": the first disk of all is not this node's.
    SimClearJournal();
    path = L"unchanged";
    EXPECT_FALSE(DeviceOperation::GetDevPathForCreatefile(kStaleNode, &GUID_DEVINTERFACE_DISK, path));
    EXPECT_STREQ(L"unchanged", path);
    EXPECT_TRUE(Calls("SetupDiGetClassDevsW").empty());

    CString version = L"v", date = L"d";
    EXPECT_FALSE(DeviceOperation::GetDeviceDriverVerAndDate(kStaleNode, version, date));
    EXPECT_STREQ(L"v", version);
    EXPECT_TRUE(Calls("SetupDiGetClassDevsW").empty());
}

TEST_F(DeviceOperationTest, PciLocationAndDriverTexts)
{
    DWORD bus = 0, device = 0, function = 0;
    EXPECT_TRUE(DeviceOperation::GetBDFNumByDevInst(Node(kNvme), &bus, &device, &function));
    EXPECT_EQ(2u, bus);
    EXPECT_EQ(31u, device);
    EXPECT_EQ(2u, function);

    EXPECT_FALSE(DeviceOperation::GetBDFNumByDevInst(Node(kNvmeDisk), &bus, &device, &function));
    EXPECT_EQ(0xFFFFFFFFu, bus);
    EXPECT_EQ(0xFFFFFFFFu, device);
    EXPECT_EQ(0xFFFFFFFFu, function);

    CString version, date;
    EXPECT_TRUE(DeviceOperation::GetDeviceDriverVerAndDate(Node(kNvme), version, date));
    EXPECT_STREQ(L"10.0.19041.1500", version);
    EXPECT_STREQ(L"2021/6/21", date);
}

TEST_F(DeviceOperationTest, HexDumpsKeepBytesInTheirColumns)
{
    const BYTE data[] = {0xAB, 0xCD};
    CString text;
    DeviceOperation::DumpHexWithAddress(data, 0x1003, 2, text);
    EXPECT_STREQ(L"\n         00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n 0x1000           AB CD", text);

    BYTE bytes[17];
    for (int i = 0; i < 17; ++i) {
        bytes[i] = static_cast<BYTE>(i);
    }
    DeviceOperation::DumpHex(bytes, 17, text);
    EXPECT_STREQ(L"\t\r\n\t00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \r\n\t10 ", text);
}

TEST_F(DeviceOperationTest, ControllerScansByClassAndMaker)
{
    DevInstList ahci, nvme;
    EXPECT_TRUE(DeviceOperation::ScanAllAhciController(ahci));
    EXPECT_TRUE(DeviceOperation::ScanAllNvmeController(nvme));
    ASSERT_EQ(1, ahci.GetSize());
    ASSERT_EQ(1, nvme.GetSize());
    EXPECT_EQ(Node(kAhci), ahci[0]);
    EXPECT_EQ(Node(kNvme), nvme[0]);
    EXPECT_TRUE(DeviceOperation::ScanAllNvmeController(nvme));
    EXPECT_EQ(2, nvme.GetSize()); // appended again

    DevInstList maker;
    EXPECT_TRUE(DeviceOperation::ScanNvmeCongtoller(maker));
    ASSERT_EQ(1, maker.GetSize());
    EXPECT_EQ(Node(kNvme), maker[0]);
    DEVINST single = 0;
    EXPECT_FALSE(DeviceOperation::ScanNvmeCongtoller(&single));
    EXPECT_EQ(Node(kNvme), single);
}

TEST_F(DeviceOperationTest, DisksVolumesAndTheirRelations)
{
    DevInstList disks, volumes;
    EXPECT_EQ(2, DeviceOperation::ScanDisk(disks));
    EXPECT_EQ(4, DeviceOperation::ScanVolume(volumes));

    DevInstList maker;
    DiskKindList kinds;
    EXPECT_TRUE(DeviceOperation::ScanMakerDisk(maker, kinds));
    ASSERT_EQ(1, maker.GetSize());
    EXPECT_EQ(Node(kSataDisk), maker[0]);
    EXPECT_EQ(0, kinds[0]);

    DevInstList ordered;
    ordered.Add(Node(kSataDisk));
    ordered.Add(Node(kNvmeDisk));
    EXPECT_EQ(1, DeviceOperation::GetNvmeDisk(ordered));
    EXPECT_EQ(0, DeviceOperation::GetNvmeDisk(DevInstList()));
    EXPECT_EQ(0, DeviceOperation::GetDiskIndexOfController(ordered, Node(kAhci)));
    EXPECT_EQ(2, DeviceOperation::GetDiskIndexOfController(ordered, Node(kNvmeDisk)));

    DevInstList volumePair;
    volumePair.Add(Node(kVolumeC));
    volumePair.Add(Node(kVolumeE));
    EXPECT_EQ(1, DeviceOperation::GetVolumeIndexOfDisk(volumePair, Node(kSataDisk)));
    EXPECT_EQ(0, DeviceOperation::GetVolumeIndexOfDisk(volumePair, Node(kNvmeDisk)));
    EXPECT_EQ(1, DeviceOperation::GetDiskNum(Node(kNvmeDisk), &GUID_DEVINTERFACE_DISK));
    EXPECT_EQ(-1, DeviceOperation::GetDiskNum(kStaleNode, &GUID_DEVINTERFACE_DISK));
}

TEST_F(DeviceOperationTest, EnableSwitchesAPresentNodeOnly)
{
    EXPECT_TRUE(DeviceOperation::EnableDevice(Node(kNvme), FALSE));
    EXPECT_EQ(1u, Calls("SetupDiCallClassInstaller").size());
    SimClearJournal();
    EXPECT_FALSE(DeviceOperation::EnableDevice(kStaleNode, FALSE));
    EXPECT_TRUE(Calls("SetupDiCallClassInstaller").empty());
    EXPECT_TRUE(DeviceOperation::RescanDevices());
}

TEST_F(DeviceOperationTest, RelationTextOutlinesTheBranchFromTheTop)
{
    CString text;
    DeviceOperation::GetDevRelationInDeviceManagement(Node(kNvmeDisk), text);
    EXPECT_STREQ(L"\r\n\tPCI Express Root Complex\r\n\t\tStandard NVM Express Controller\r\n\t\t\t*Disk drive", text);
}

TEST_F(DeviceOperationTest, RelationTextEndsASiblingChainThatComesBackToAListedNode)
{
    // The AHCI controller names the NVMe controller as its next sibling: the
    // chain nvme0 -> ahci -> nvme0 would circle for ever.
    std::string machine = TwoDriveMachine();
    const std::string desc = "desc=\"Standard SATA AHCI Controller\"";
    machine.replace(machine.find(desc), desc.size(), desc + " sibling=nvme0");
    LoadMachine(machine.c_str());

    CString text;
    DeviceOperation::GetDevRelationInDeviceManagement(Node(kAhci), text);
    EXPECT_STREQ(L"\r\n\tPCI Express Root Complex\r\n\t\t*Standard SATA AHCI Controller"
                 L"\r\n\t\t Standard NVM Express Controller",
                 text);
}

TEST_F(DeviceOperationTest, McfgBaseComesFromTheListedAcpiTable)
{
    const ULONGLONG kUntouched = 0x1234;
    struct Case {
        const char* tables; // firmware lines added to the machine
        BOOL result;
        ULONGLONG base;
    };
    const Case cases[] = {
        {"firmware ACPI FACP size=276\nfirmware ACPI MCFG mcfg-base=0xE0000000\n", TRUE, 0xE0000000},
        {"firmware RSMB 0 size=64\nfirmware ACPI MCFG mcfg-base=0xF8000000\n", TRUE, 0xF8000000},
        {"firmware ACPI FACP size=276\n", FALSE, kUntouched},
        // The list holds "XXMC" then "FGYY": the text MCFG across two entries is no MCFG table.
        {"firmware ACPI XXMC size=40\nfirmware ACPI FGYY size=40\n", FALSE, kUntouched},
        // No ACPI list at all skips the test; the table cannot be read and the base reads 0.
        {"", TRUE, 0},
        // A table longer than the 256-byte buffer is not copied.
        {"firmware ACPI MCFG mcfg-base=0xE0000000 size=300\n", TRUE, 0},
    };
    for (const Case& c : cases) {
        std::string machine = std::string(TwoDriveMachine()) + c.tables;
        LoadMachine(machine.c_str());
        ULONGLONG base = kUntouched;
        EXPECT_EQ(c.result, DeviceOperation::GetMcfgBaseAddress(&base)) << c.tables;
        EXPECT_EQ(c.base, base) << c.tables;
    }

    // The calls go through the seam: the machine answered both.
    LoadMachine((std::string(TwoDriveMachine()) + cases[0].tables).c_str());
    ULONGLONG base = 0;
    DeviceOperation::GetMcfgBaseAddress(&base);
    EXPECT_EQ(2u, Calls("EnumSystemFirmwareTables").size());
    const std::vector<std::string> reads = Calls("GetSystemFirmwareTable");
    ASSERT_EQ(1u, reads.size());
    EXPECT_EQ("GetSystemFirmwareTable(0x41435049, 0x4746434d, <buf>, 256)", reads[0]);
}
