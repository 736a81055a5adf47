// The drive operations: which library export each one calls, with which
// arguments, the drive's library index last.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "SimFixture.h"
#include "VntNvmed.h"
#include "VntSSD.h"

namespace {

// Two drives on each library, so that library index 1 shows where the index goes.
std::string FourDriveMachine()
{
    return std::string(TwoDriveMachine()) + R"(
node nvme1 id="PCI\VEN_1F9B&DEV_6E40&SUBSYS_00011F9B&REV_01\4&2A1B&0&0010" parent=pci desc="Standard NVM Express Controller" compatible="PCI\CC_0108"
node disk2 id="SCSI\DISK&VEN_NVME&PROD_ZARVO_ZR50E\5&2&0&000000" parent=nvme1 disk=2
node sata1 id="PCI\VEN_8086&DEV_A103\3&2" parent=pci compatible="PCI\CC_0106"
node disk3 id="SCSI\DISK&VEN_VANTREL&PROD_VX1200\4&2&0&000100" parent=sata1 disk=3 smart=ata
drive bus=nvme controller=nvme1 disk=disk2 serial=ZR50E0002 model="Zarvo ZR50e" fw=VL010A01 capacity=256060514304
drive bus=sata controller=sata1 disk=disk3 serial=VX12000043 model="Vantrel VX1200" fw=SV100 capacity=128035676160
)";
}

struct DispatchCase {
    const char* label;
    std::function<int(VntSSD&)> call;
    const char* nvme; // expected journal line; nullptr: no library call
    const char* sata;
};

} // namespace

class VntSSDDispatchTest : public SimTest {
protected:
    void SetUp() override { LoadMachine(FourDriveMachine().c_str()); }

    // The one library line the operation produced, or "" for none.
    static std::string OnlyLibraryCall()
    {
        std::string found;
        for (const std::string& line : JournalLines()) {
            if (line.compare(0, 4, "Nvme") == 0 || line.compare(0, 2, "Va") == 0) {
                if (!found.empty()) {
                    return "more than one call: " + found + " / " + line;
                }
                found = line;
            }
        }
        return found;
    }

    void Check(const DispatchCase& c, int busType, const char* expected)
    {
        VntSSD drive;
        drive.Init(1, 0x1234, busType);
        drive.m_icVersion = IC_VX1300;
        SimClearJournal();
        c.call(drive);
        EXPECT_EQ(expected ? expected : "", OnlyLibraryCall()) << c.label << " bus " << busType;
    }
};

TEST_F(VntSSDDispatchTest, EachOperationCallsItsLibraryExportWithTheIndexLast)
{
    static BYTE buffer[0x20000];
    char text[1024];
    ULONGLONG capacity = 0;
    int number = 0;
    DWORD dword = 0;
    CString name;
    const DispatchCase cases[] = {
        {"open", [](VntSSD& d) { return d.DeviceOpen(); }, "NvmeOpenByInst(1, 0x1234)", "VaOpenByInst(1, 0x1234)"},
        {"close", [](VntSSD& d) { return d.DeviceClose(); }, "NvmeClose(1)", "VaClose(1)"},
        {"capacity", [&](VntSSD& d) { return d.DeviceCapacity(&capacity); }, "NvmeCapacity(<out>, 1)",
         "VaCapacity(<out>, 1)"},
        {"disk number", [&](VntSSD& d) { return d.DeviceGetDiskNum(&number); }, "NvmeGetDiskNum(<out>, 1)",
         "VaGetDiskNum(<out>, 1)"},
        {"device name", [&](VntSSD& d) { return d.DeviceGetDevName(name); }, "NvmeGetDevName(<buf>, 1)",
         "VaGetDevName(<buf>, 1)"},
        {"read capacity", [&](VntSSD& d) { return d.DeviceReadCapacity10(text); }, "NvmeReadCapacity10(<buf>, 1)",
         "VaReadCapacity10(<buf>, 1)"},
        {"path", [&](VntSSD& d) { return d.DeviceGetPath2(3, &dword); }, "NvmeGetPath2(3, <out>, 1)",
         "VaGetPath2(3, <out>, 1)"},
        {"get write cache", [&](VntSSD& d) { return d.DeviceGetWriteCache(&number); }, "NvmeGetWriteCache(<out>, 1)",
         "VaGetWriteCache(<out>, 1)"},
        {"set write cache", [](VntSSD& d) { return d.DeviceSetWriteCache(0); }, "NvmeSetWriteCache(0, 1)",
         "VaSetWriteCache(0, 1)"},
        {"identify", [](VntSSD& d) { return d.DeviceIdentify(d.m_ataIdentify, 512); }, "NvmeIdentify(<buf>, 512, 1)",
         "VaIdentify(512, <buf>, 1)"},
        {"smart log", [](VntSSD& d) { return d.DeviceSmartLog(); }, "NvmeSmartLog(512, <buf>, 1)", nullptr},
        {"feature", [&](VntSSD& d) { return d.DeviceGetFeature(0x0D, &dword, buffer, 4096); },
         "NvmeGetFeature(13, 4096, <buf>, <out>, 1)", nullptr},
        {"format", [](VntSSD& d) { return d.DeviceFormat(); }, "NvmeFormat(1)", "VaSecurityErase(1)"},
        {"fw download", [](VntSSD& d) { return d.DeviceFwDownload(0x10000, 0x10000, buffer); },
         "NvmeFwDownload2(16384, 16384, <data>, 1)", "VaFwDownload(3, 128, 128, <data>, 1)"},
        {"fw activate", [](VntSSD& d) { return d.DeviceFwActivate(1, 2); }, "NvmeFwActivate(1, 2, 1)",
         "VaFwActivate(1)"},
        {"get fw mode", [&](VntSSD& d) { return d.DeviceGetFwMode(text); }, "NvmeGetFwMode(<buf>, 1)",
         "VaGetFWMode(<buf>, 1)"},
        {"set fw mode", [](VntSSD& d) { return d.DeviceSetFwMode(1); }, "NvmeSetFwMode(1, 1)", "VaSetFWMode(1, 1)"},
        {"reboot", [](VntSSD& d) { return d.DeviceReboot(2); }, "NvmeReboot(2, 1)", "VaReboot(2, 1)"},
        {"erase nor", [](VntSSD& d) { return d.DeviceEraseNor(0); }, "NvmeEraseNor(0, 1)", "VaEraseNor(0, 1)"},
        {"read reg", [](VntSSD& d) { return d.DeviceReadReg(0xFF501230, 0x10004, buffer); },
         "NvmeReadReg(4283437616, 65540, <buf>, 1)", "VaReadReg(4283437616, 4, <buf>, 1)"},
        {"write reg", [](VntSSD& d) { return d.DeviceWriteReg(0xFF50100C, 4, buffer); },
         "NvmeWriteReg(4283437068, 4, <data>, 1)", "VaWriteReg(4283437068, 4, <data>, 1)"},
        {"read blk", [](VntSSD& d) { return d.DeviceReadBlk(0x20000000, 2, 0, buffer); },
         "NvmeReadBlk(536870912, 2, 1024, <buf>, 1)", "VaReadBlk(536870912, 2, <buf>, 1)"},
        {"write blk", [](VntSSD& d) { return d.DeviceWriteBlk(0x20000000, 3, 0, buffer); },
         "NvmeWriteBlk(536870912, 3, 1536, <data>, 1)", "VaWriteBlk(536870912, 3, <data>, 1)"},
        {"llf init", [](VntSSD& d) { return d.DeviceLlfInit(0xFF, 0xFF); }, "NvmeLlfInit(255, 255, 1)",
         "VaLLFInit(255, 255, 1)"},
        {"llf all", [](VntSSD& d) { return d.DeviceLlfAll(); }, "NvmeLlfAll(1)", "VaLLFAll(1)"},
        {"llf resp", [](VntSSD& d) { return d.DeviceLlfResp(512, buffer); }, "NvmeLlfResp(512, <buf>, 1)",
         "VaLLFResponse(512, <buf>, 1)"},
        {"llf ssd info", [](VntSSD& d) { return d.DeviceLlfSsdInfo(0, 512, buffer); },
         "NvmeLlfSsdInfo(0, 512, <buf>, 1)", "VaLLFSSDInfo(0, 512, <buf>, 1)"},
        {"llf erase nand", [](VntSSD& d) { return d.DeviceLlfEraseNand(0); }, "NvmeLlfEraseNand(0, 1)",
         "VaLLFEraseNand(0, 1)"},
        {"self test", [](VntSSD& d) { return d.DeviceSelfTest(4, 8); }, "NvmeSelfTest(4, 8, 1)", "VaSelfTest(4, 8, 1)"},
        {"nand id", [](VntSSD& d) { return d.DeviceNandReadId(0, 0, 0, 512, buffer); },
         "NvmeNandReadId(0, 0, 0, 512, <buf>, 1)", "VaNandReadID(0, 0, 0, 512, <buf>, 1)"},
        {"switch speed", [](VntSSD& d) { return d.DeviceSwitchSpeed(); }, "NvmeSwitchSpeed(0)", nullptr},
        {"read10", [](VntSSD& d) { return d.DeviceRead10(7, 2, 0, buffer); }, "NvmeRead10(7, 2, 1024, <buf>, 1)",
         "VaRead10(7, 2, <buf>, 1)"},
        {"write10", [](VntSSD& d) { return d.DeviceWrite10(7, 1, 0, buffer); }, "NvmeWrite10(7, 1, 512, <data>, 1)",
         "VaWrite10(7, 1, <data>, 1)"},
        {"sync cache", [](VntSSD& d) { return d.DeviceSynchronizeCache10(); }, "NvmeSychronizeCache10(1)",
         "VaSychronizeCache10(1)"},
        {"ready", [](VntSSD& d) { return d.DeviceReady(); }, "NvmeReady(1)", "VaReady(1)"},
        {"function test", [](VntSSD& d) { return d.DeviceFunctionTest(); }, "NvmeFunctionTest(1)", "VaFunctionTest(1)"},
        {"max tx", [&](VntSSD& d) { return d.DeviceGetMaxTxLen(&dword); }, "NvmeGetMaxTxLen(<out>, 1)",
         "VaGetMaxTxLen(<out>, 1)"},
        {"llf calibrate", [](VntSSD& d) { return d.DeviceLlfCalibrate(1, 2); }, "NvmeLlfCalibrate(1, 2, 1)",
         "VaLLFCalibrate(1, 2, 1)"},
        {"llf execute", [](VntSSD& d) { return d.DeviceLlfExecute(1, 2, 70000); }, "NvmeLlfExecute(1, 2, 70000, 1)",
         "VaLLFExecute(1, 2, 70000, 1)"},
        {"llf fw update", [](VntSSD& d) { return d.DeviceLlfFwUpdate(); }, "NvmeLlfFwUpdate(1)", "VaLLFFWUpdate(1)"},
        {"llf odbt", [](VntSSD& d) { return d.DeviceLlfOdbt(5); }, "NvmeLlfOdbt(5, 1)", "VaLLFODBT(5, 1)"},
        {"llf read id", [](VntSSD& d) { return d.DeviceLlfReadId(1, 0); }, "NvmeLlfReadId(1, 0, 1)",
         "VaLLFReadId(1, 0, 1)"},
    };
    for (const DispatchCase& c : cases) {
        Check(c, BUS_TYPE_NVME, c.nvme);
        Check(c, BUS_TYPE_SATA, c.sata);
        Check(c, BUS_TYPE_AHCI, c.sata);
    }
}

TEST_F(VntSSDDispatchTest, LbaAccessIsChosenByControllerFamily)
{
    static BYTE buffer[4096];
    struct Case {
        int family;
        const char* read;
        const char* write;
    };
    const Case cases[] = {
        {IC_VX1200, "VaReadLba(9, 2, <buf>, 1)", "VaWriteLba(9, 2, <data>, 1)"},
        {IC_VX1300, "VaReadLba(9, 2, <buf>, 1)", "VaWriteLba(9, 2, <data>, 1)"},
        {IC_NVME_6E42, "NvmeReadLba(9, 2, 1024, <buf>, 1)", ""},
        {IC_NVME_6E40, "", ""},
        {IC_VX1100, "", ""},
    };
    for (const Case& c : cases) {
        VntSSD drive;
        drive.Init(1, 0x1234, BUS_TYPE_NVME);
        drive.m_icVersion = c.family;
        SimClearJournal();
        int read = drive.DeviceReadLba(9, 2, 1024, buffer);
        EXPECT_EQ(c.read, OnlyLibraryCall()) << c.family;
        if (*c.read == '\0') {
            EXPECT_EQ(FALSE, read);
        }
        SimClearJournal();
        int written = drive.DeviceWriteLba(9, 2, 1024, buffer);
        EXPECT_EQ(c.write, OnlyLibraryCall()) << c.family;
        if (*c.write == '\0') {
            EXPECT_EQ(FALSE, written);
        }
    }
}

TEST_F(VntSSDDispatchTest, SataDriveHasNoSmartLogAndSwitchesWithoutACall)
{
    VntSSD drive;
    drive.Init(0, 0x1234, BUS_TYPE_SATA);
    memset(drive.m_smartLog, 0x5A, sizeof(drive.m_smartLog));
    SimClearJournal();
    EXPECT_FALSE(drive.DeviceSmartLog());
    EXPECT_EQ(0x5A, drive.m_smartLog[511]);
    EXPECT_TRUE(drive.DeviceSwitchSpeed());
    EXPECT_EQ("", OnlyLibraryCall());
}

TEST_F(VntSSDDispatchTest, FirmwareChunksThatAreNotWholeUnitsAreRoundedUp)
{
    static BYTE image[0x20000];
    VntSSD nvme;
    nvme.Init(0, 0x1234, BUS_TYPE_NVME);
    VntSSD sata;
    sata.Init(0, 0x1234, BUS_TYPE_SATA);

    SimClearJournal();
    nvme.DeviceFwDownload(0x10000, 50850, image);
    EXPECT_EQ("NvmeFwDownload2(16384, 12713, <data>, 0)", OnlyLibraryCall());
    SimClearJournal();
    sata.DeviceFwDownload(0x10000, 50848, image);
    EXPECT_EQ("VaFwDownload(3, 128, 100, <data>, 0)", OnlyLibraryCall());
    // The commit after a five-file image carries the bytes sent.
    SimClearJournal();
    sata.DeviceFwDownload(116384, 0, nullptr);
    EXPECT_EQ("VaFwDownload(3, 228, 0, <null>, 0)", OnlyLibraryCall());
}

TEST_F(VntSSDDispatchTest, DeviceNameIsTerminatedInsideItsBufferAndReplacedOnFailure)
{
    VntSSD drive;
    drive.Init(0, 0, BUS_TYPE_NVME);
    CString name = L"old";
    SimSetFault("NvmeGetDevName", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 1);
    EXPECT_FALSE(drive.DeviceGetDevName(name));
    EXPECT_TRUE(name.IsEmpty());

    // Inverted bytes leave no terminator in the library's 1024 bytes.
    SimSetFault("NvmeGetDevName", SIM_ANY_DRIVE, SIM_FAULT_CORRUPT, 0, 1);
    drive.DeviceGetDevName(name);
    EXPECT_EQ(1023, name.GetLength());

    // The mode text ends inside the library's 256 bytes as well.
    char mode[300];
    memset(mode, '#', sizeof(mode));
    mode[sizeof(mode) - 1] = '\0';
    SimSetFault("NvmeGetFwMode", SIM_ANY_DRIVE, SIM_FAULT_CORRUPT, 0, 1);
    drive.DeviceGetFwMode(mode);
    EXPECT_EQ(255u, strlen(mode));
}

TEST_F(VntSSDDispatchTest, MultiBlockTransfersMoveOneBlockAtATime)
{
    static BYTE data[3 * 512];
    VntSSD::FillPattern(-2, data, sizeof(data));
    DWORD instances[256] = {};
    DWORD count = 0;
    ASSERT_TRUE(NvmeScanController(instances, &count, 0, 1));
    VntSSD drive;
    drive.Init(0, instances[0], BUS_TYPE_NVME);
    ASSERT_TRUE(drive.DeviceOpen());
    EXPECT_TRUE(drive.DeviceWriteMultiBlock(0x1000, 3, data));
    std::vector<std::string> writes = Calls("NvmeWriteBlk");
    ASSERT_EQ(3u, writes.size());
    EXPECT_EQ("NvmeWriteBlk(5120, 1, 512, <data>, 0)", writes[2]);
    BYTE stored[3 * 512] = {};
    SimReadMemory(0, 0x1000, sizeof(stored), stored);
    EXPECT_EQ(0, memcmp(data, stored, sizeof(stored)));

    SimClearJournal();
    BYTE back[3 * 512] = {};
    EXPECT_TRUE(drive.DeviceReadMultiBlock(0x1000, 0, back));
    EXPECT_TRUE(Calls("NvmeReadBlk").empty());
    EXPECT_TRUE(drive.DeviceReadMultiBlock(0x1000, 3, back));
    EXPECT_EQ(0, memcmp(data, back, sizeof(back)));

    SimSetFault("NvmeReadBlk", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 1, 1);
    CaptureTrace();
    EXPECT_FALSE(drive.DeviceReadMultiBlock(0x1000, 3, back));
    EXPECT_NE(std::wstring::npos, Captured().find(L"VntSSD::DeviceReadMultiBlock -> Read blk: 0x00001200 fail\n"));
    drive.DeviceClose();
}

TEST(VntSSDPattern, FillPatternCodes)
{
    struct Case {
        int code;
        BYTE expected[6];
    };
    const Case cases[] = {
        {-6, {0x55, 0x55, 0xAA, 0xAA, 0x55, 0x55}},
        {-5, {0x80, 0x7F, 0x7E, 0x7D, 0x7C, 0x7B}},
        {-4, {0x80, 0x81, 0x82, 0x83, 0x84, 0x85}},
        {-3, {0x00, 0xFF, 0xFE, 0xFD, 0xFC, 0xFB}},
        {-2, {0, 1, 2, 3, 4, 5}},
        {0xA5, {0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5}},
    };
    for (const Case& c : cases) {
        BYTE buffer[6] = {};
        EXPECT_TRUE(VntSSD::FillPattern(c.code, buffer, sizeof(buffer)));
        EXPECT_EQ(0, memcmp(c.expected, buffer, sizeof(buffer))) << c.code;
    }
    BYTE untouched[4] = {1, 2, 3, 4};
    EXPECT_FALSE(VntSSD::FillPattern(-7, untouched, 4));
    EXPECT_FALSE(VntSSD::FillPattern(256, untouched, 4));
    EXPECT_EQ(1, untouched[0]);
}
