// The drive object's fill: identity, capacity, sector size, volumes, host
// memory buffer and controller family, through the simulated libraries.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "DeviceOperation.h"
#include "SimFixture.h"
#include "VntAtad.h"
#include "VntNvmed.h"
#include "VntSSD.h"

namespace {

std::string Trimmed(const char* text)
{
    std::string s(text);
    size_t end = s.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

} // namespace

class VntSSDFillTest : public SimTest {
protected:
    void SetUp() override { LoadMachine(TwoDriveMachine()); }

    // The first controller of the NVMe library's scan, as the worker sets it up.
    void InitNvme(VntSSD& drive)
    {
        DWORD instances[256] = {};
        DWORD count = 0;
        ASSERT_TRUE(NvmeScanController(instances, &count, 0, 1));
        ASSERT_EQ(1u, count);
        drive.Init(0, instances[0], BUS_TYPE_NVME);
    }
    void InitSata(VntSSD& drive, int busType)
    {
        DWORD disks[256] = {};
        DWORD flags[256] = {};
        DWORD count = 0;
        ASSERT_TRUE(VaScanDisk(disks, flags, &count, 1, 1));
        ASSERT_EQ(1u, count);
        drive.Init(0, disks[0], busType);
    }
};

TEST_F(VntSSDFillTest, NvmeDriveFillsIdentityCapacityVolumesAndFamily)
{
    VntSSD drive;
    InitNvme(drive);
    ASSERT_TRUE(drive.GetControllerInfo());
    ASSERT_TRUE(drive.GetDiskInfo());

    EXPECT_EQ("ZR80E0001", Trimmed(drive.m_serialNum));
    EXPECT_EQ("Zarvo ZR80e 512GB", Trimmed(drive.m_modelName));
    EXPECT_STREQ("VG010A01", drive.m_fwVersion);
    EXPECT_EQ(512110190592ull, drive.m_capacity);
    EXPECT_EQ(512u, drive.m_sectorSize);
    EXPECT_STREQ(L"C D F", drive.m_volumeStr);
    EXPECT_EQ(1, drive.m_diskNum);
    EXPECT_EQ(1, drive.m_writeCache);
    EXPECT_EQ(1u, drive.m_hmbFeature & 1);
    DWORD hmbSize = 0;
    memcpy(&hmbSize, drive.m_featureData, sizeof(hmbSize));
    EXPECT_EQ(0x4000u, hmbSize);
    EXPECT_STREQ(L"1F9B", drive.m_venIdStr);
    EXPECT_STREQ(L"6E42", drive.m_devIdStr);
    EXPECT_EQ(IC_NVME_6E42, drive.m_icVersion);
    EXPECT_EQ(3, drive.m_icReversion);
    EXPECT_STREQ(L"stornvme", drive.m_driverNameStr);
    EXPECT_NE(0u, drive.m_parentInst);
    EXPECT_FALSE(drive.m_devNameStr.IsEmpty());

    // The disk node is the controller's child: the disk list shows its name.
    CString friendly;
    EXPECT_TRUE(DeviceOperation::GetDevPropertyStr(drive.m_childInst, SPDRP_FRIENDLYNAME, friendly));
    EXPECT_STREQ(L"Zarvo ZR80e 512GB", friendly);
    EXPECT_EQ(0, SimGetOpenCount(0)); // each fill closes what it opened

    drive.GetPcieSpeed();
    EXPECT_EQ(3, drive.m_pcieGen);
    EXPECT_EQ(4, drive.m_pcieLane);
}

TEST_F(VntSSDFillTest, SataDriveFillsIdentityFromAtaIdentifyAndFamilyFromVersion)
{
    VntSSD drive;
    InitSata(drive, BUS_TYPE_SATA);
    ASSERT_TRUE(drive.GetControllerInfo());
    ASSERT_TRUE(drive.GetDiskInfo());

    EXPECT_EQ("VX13000042", Trimmed(drive.m_serialNum));
    EXPECT_EQ("Vantrel VX1300 256GB", Trimmed(drive.m_modelName));
    EXPECT_EQ("vx1300 a1", Trimmed(drive.m_version));
    EXPECT_EQ(IC_VX1300, drive.m_icVersion);
    EXPECT_EQ(drive.m_devInst, drive.m_childInst);
    EXPECT_EQ(0, drive.m_diskNum);
    EXPECT_EQ(3, drive.m_sataSpeed);
    EXPECT_STREQ(L"E", drive.m_volumeStr);
    EXPECT_STREQ(L"storahci", drive.m_driverNameStr);
    EXPECT_EQ(0, SimGetOpenCount(1));
}

TEST_F(VntSSDFillTest, AhciDriveKeepsItsClearedIdentity)
{
    VntSSD drive;
    InitSata(drive, BUS_TYPE_AHCI);
    SimClearJournal();
    EXPECT_TRUE(drive.GetControllerInfo());
    EXPECT_TRUE(Journal().empty());
    EXPECT_TRUE(drive.GetDiskInfo());
    EXPECT_EQ(IC_NVME_6E40, drive.m_icVersion);
    EXPECT_STREQ("", drive.m_serialNum);
    EXPECT_STREQ("", drive.m_fwVersion);
    EXPECT_EQ(0u, drive.m_childInst);
}

TEST_F(VntSSDFillTest, FailedControllerInfoLeavesNvmeIdentityEmpty)
{
    VntSSD drive;
    InitNvme(drive);
    SimSetFault("NvmeStatus", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 0);
    EXPECT_FALSE(drive.GetControllerInfo());
    EXPECT_EQ(0, SimGetOpenCount(0));
    drive.GetDiskInfo();
    EXPECT_STREQ("", drive.m_serialNum);
    EXPECT_STREQ("", drive.m_modelName);
    EXPECT_STREQ("", drive.m_fwVersion);
}

TEST_F(VntSSDFillTest, FailedChildLookupLeavesNoDiskNode)
{
    VntSSD drive;
    InitNvme(drive);
    ASSERT_TRUE(drive.GetControllerInfo());
    drive.m_childInst = 0x1234;
    SimSetFault("CM_Get_Child", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 0);
    EXPECT_TRUE(drive.GetDiskInfo());
    EXPECT_EQ(0u, drive.m_childInst);
}

TEST_F(VntSSDFillTest, FillStopsAtTheFirstFailingStepAndCloses)
{
    const char* steps[] = {"NvmeGetDiskNum", "NvmeGetDevName", "NvmeCapacity", "NvmeStatusLun"};
    for (const char* step : steps) {
        LoadMachine(TwoDriveMachine());
        VntSSD drive;
        InitNvme(drive);
        ASSERT_TRUE(drive.GetControllerInfo());
        CaptureTrace();
        SimSetFault(step, SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 0);
        EXPECT_FALSE(drive.GetDiskInfo()) << step;
        EXPECT_EQ(0, SimGetOpenCount(0)) << step;
        EXPECT_NE(std::wstring::npos, Captured().find(L" fail\n")) << step;
    }
}

TEST_F(VntSSDFillTest, SectorSizeFromTheReadCapacityText)
{
    ASSERT_EQ(1, SimSetDriveValue(0, "sector", "4096"));
    VntSSD drive;
    InitNvme(drive);
    DWORD size = 0;
    ASSERT_TRUE(drive.DeviceOpen());
    EXPECT_TRUE(drive.GetSectorSize(&size));
    drive.DeviceClose();
    EXPECT_EQ(4096u, size);

    struct Case {
        const wchar_t* text;
        ULONGLONG expected;
    };
    const Case cases[] = {
        {L"00 00 02 00", 512}, {L"02 00", 512}, {L"0 0 1 0", 0x10}, {L"zz", 77}, {L"", 77},
    };
    for (const Case& c : cases) {
        ULONGLONG value = 77;
        VntSSD::HexTextToUInt64(c.text, &value);
        EXPECT_EQ(c.expected, value) << c.text;
    }
}

TEST(VntSSDFamily, ChipFromModelFirstThenVersion)
{
    struct Case {
        const char* model;
        const char* version;
        int expected;
    };
    const Case cases[] = {
        {"Vantrel VX1200 SSD", "vx1300", IC_VX1200}, {"Generic SSD", "VX1300 a1", IC_VX1300},
        {"Generic SSD", "vx1200", IC_VX1200},        {"VX1100", "vx1300", IC_VX1100},
        {"Generic SSD", "none", IC_VX1100},
    };
    for (const Case& c : cases) {
        VntSSD drive;
        strcpy(drive.m_modelName, c.model);
        strcpy(drive.m_version, c.version);
        drive.SetIcVersionForSata();
        EXPECT_EQ(c.expected, drive.m_icVersion) << c.model << " / " << c.version;
    }

    struct NvmeCase {
        const wchar_t* devId;
        int expected;
    };
    const NvmeCase nvmeCases[] = {
        {L"6E40", IC_NVME_6E40}, {L"6e41", IC_NVME_6E40}, {L"6E42", IC_NVME_6E42},
        {L"6E43", IC_NVME_6E42}, {L"6E50", IC_NVME_6E40}, {L"", IC_NVME_6E40},
    };
    for (const NvmeCase& c : nvmeCases) {
        VntSSD drive;
        drive.m_devIdStr = c.devId;
        drive.m_icVersion = IC_VX1300;
        drive.SetIcVersionForNvme();
        EXPECT_EQ(c.expected, drive.m_icVersion) << c.devId;
    }
}

TEST(VntSSDPci, CapabilityWalkStopsOnLoopsAndNeverReadsPastTheSpace)
{
    VntSSD looping;
    looping.m_pciConfig[0x34] = 0x40;
    looping.m_pciConfig[0x40] = 0x01;
    looping.m_pciConfig[0x41] = 0x40; // points at itself
    looping.GetPcieSpeed();
    EXPECT_EQ(0, looping.m_pcieGen);

    VntSSD lastBytes;
    lastBytes.m_pciConfig[0x34] = 0xFE;
    lastBytes.m_pciConfig[0xFE] = 0x10; // PCI Express, but its link status would lie past byte 255
    lastBytes.GetPcieSpeed();
    EXPECT_EQ(0, lastBytes.m_pcieGen);
    EXPECT_EQ(0, lastBytes.m_pcieLane);
}

TEST(VntSSDStrings, AtaWordsAreWrittenHighByteFirst)
{
    const BYTE words[] = {'e', 'Z', 'o', 'r', '*', '*'};
    char out[6];
    memset(out, '#', sizeof(out));
    VntSSD::AtaWordsToString(reinterpret_cast<const WORD*>(words), 2, out);
    EXPECT_EQ(0, memcmp("Zero##", out, 6));
    VntSSD::AtaWordsToString(nullptr, 2, out); // nothing happens
}

TEST_F(VntSSDFillTest, AhciControllerOfASataDiskAndTheIndexFreeLibraryCalls)
{
    DWORD disks[256] = {};
    DWORD flags[256] = {};
    DWORD count = 0;
    ASSERT_TRUE(VaScanDisk(disks, flags, &count, 1, 1));
    ASSERT_NE(0u, flags[0]);
    DEVINST controller = 0;
    EXPECT_TRUE(VntSSD::GetAhciController(disks[0], &controller));
    CString service;
    EXPECT_TRUE(DeviceOperation::GetDevPropertyStr(controller, SPDRP_SERVICE, service));
    EXPECT_STREQ(L"storahci", service);

    // The worker's configuration conversion: a missing "config.ini" writes nothing.
    SimClearJournal();
    EXPECT_FALSE(NvmeConfigToBin("Q:\\none\\config.ini", "Q:\\none\\config.bin"));
    EXPECT_EQ(1u, Calls("NvmeConfigToBin").size());
}
