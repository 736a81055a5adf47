// The stand-in device libraries against the contracts the program relies on.

#include "SimFixture.h"

#include "TempDir.h"
#include "VntAtad.h"
#include "VntNvmed.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Default machine: NVMe library index 0 is the "VG" drive on node 0x1007,
// index 1 the "VL" drive on 0x1009, index 2 the foreign one on 0x100B; the
// SATA library's index 0 is the system disk 0x100E behind AHCI controller 0x100D.
const DWORD kVgController = 0x1007;
const DWORD kVlController = 0x1009;
const DWORD kSataDisk = 0x100E;

class StandInTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        ASSERT_EQ(1, NvmeOpenByInst(0, kVgController));
    }
};

std::string Text(const BYTE* bytes, size_t count)
{
    return std::string(reinterpret_cast<const char*>(bytes), count);
}

TEST_F(SimTest, ScansReportTheMakersDrivesInMachineOrder)
{
    DWORD insts[256] = {}, flags[256] = {}, count = 0;
    ASSERT_EQ(1, NvmeScanController(insts, &count, 0, 1));
    ASSERT_EQ(3u, count);
    EXPECT_EQ(kVgController, insts[0]);
    EXPECT_EQ(kVlController, insts[1]);
    EXPECT_EQ(0x100Bu, insts[2]);

    ASSERT_EQ(1, VaScanDisk(insts, flags, &count, 1, 1));
    ASSERT_EQ(1u, count);
    EXPECT_EQ(kSataDisk, insts[0]);
    EXPECT_EQ(1u, flags[0]);
    DWORD controller = 0;
    ASSERT_EQ(1, VaGetAhciController(kSataDisk, &controller));
    EXPECT_EQ(0x100Du, controller);
    EXPECT_EQ(0, VaGetAhciController(kVgController, &controller));
}

TEST_F(SimTest, StrictMachineAnswersOnlyOpenDrives)
{
    ASSERT_EQ(1, SimLoadMachineText((std::string(SimDefaultMachineText()) + "machine strict-open=1\n").c_str()));
    ULONGLONG capacity = 0;
    EXPECT_EQ(0, NvmeCapacity(&capacity, 0)) << "never opened";
    EXPECT_EQ(0, NvmeOpenByInst(0, kVlController)) << "node of another drive";
    EXPECT_EQ(0, NvmeOpenByInst(3, kVgController)) << "index beyond the scan";
    ASSERT_EQ(1, NvmeOpenByInst(0, kVgController));
    EXPECT_EQ(1, SimGetOpenCount(0));
    EXPECT_EQ(1, NvmeCapacity(&capacity, 0));
    EXPECT_EQ(1000204886016ULL, capacity);
    EXPECT_EQ(1, NvmeClose(0));
    EXPECT_EQ(0, SimGetOpenCount(0));
    EXPECT_EQ(0, NvmeCapacity(&capacity, 0)) << "closed again";
    EXPECT_EQ(0, NvmeClose(0));

    // The SATA drive opens by its disk or by its AHCI controller.
    EXPECT_EQ(1, VaOpenByInst(0, kSataDisk));
    EXPECT_EQ(1, VaOpenByInst(0, 0x100D));
    EXPECT_EQ(2, SimGetOpenCount(3));
}

TEST_F(StandInTest, IdentifyControllerAndNamespaceLayouts)
{
    BYTE id[4096];
    std::memset(id, 0xEE, sizeof(id));
    ASSERT_EQ(1, NvmeStatus(0, 4096, id, 0));
    EXPECT_EQ("ZR80E2203A0017      ", Text(id + 4, 20));
    EXPECT_EQ(std::string("Zarvo ZR80e 1TB") + std::string(25, ' '), Text(id + 24, 40));
    EXPECT_EQ("VG1A0203", Text(id + 64, 8));
    EXPECT_EQ(0x9B, id[0]);
    EXPECT_EQ(0x1F, id[1]);

    BYTE ns[4096] = {};
    ASSERT_EQ(1, NvmeStatusLun(0, 0, 4096, ns, 0));
    ULONGLONG blocks = 0;
    std::memcpy(&blocks, ns, 8);
    EXPECT_EQ(1953525168ULL, blocks);
    EXPECT_EQ(9, ns[130]) << "512-byte blocks";

    BYTE ata[512] = {};
    ASSERT_EQ(1, NvmeIdentify(ata, 512, 0));
    EXPECT_EQ("aZvr oRZ", Text(ata + 54, 8)) << "ATA string order";
}

TEST_F(StandInTest, SmartDataLayout)
{
    BYTE smart[512] = {};
    ASSERT_EQ(1, NvmeSmartLog(512, smart, 0));
    // The default "VG" drive: entry 2 is the power-on hours, entry 9 the life.
    const BYTE* hours = smart + 2 + 12 * 2;
    EXPECT_EQ(9, hours[0]);
    EXPECT_EQ(100, hours[3]);
    EXPECT_EQ(100, hours[4]);
    EXPECT_EQ(1873, hours[5] | hours[6] << 8 | hours[7] << 16 | hours[8] << 24);
    const BYTE* life = smart + 2 + 12 * 9;
    EXPECT_EQ(0xF8, life[0]);
    EXPECT_EQ(97, life[5]);
    EXPECT_EQ(5, life[11]) << "threshold";
    const BYTE* clock = smart + 2 + 12 * 10;
    EXPECT_EQ(0xFD, clock[0]);
    EXPECT_EQ(120, clock[5]);
    EXPECT_EQ(0, smart[2 + 12 * 11]) << "unused entries stay zero";
}

TEST_F(StandInTest, CapacityTextVolumesAndDiskNumber)
{
    char text[260] = {};
    ASSERT_EQ(1, NvmeReadCapacity10(text, 0));
    EXPECT_STREQ("74 70 6D AF 00 00 02 00", text);

    DWORD letter = 99;
    ASSERT_EQ(1, NvmeGetPath2(0, &letter, 0));
    EXPECT_EQ(3u, letter); // D
    ASSERT_EQ(1, NvmeGetPath2(1, &letter, 0));
    EXPECT_EQ(4u, letter); // E
    EXPECT_EQ(0, NvmeGetPath2(2, &letter, 0));

    int disk = -1;
    ASSERT_EQ(1, NvmeGetDiskNum(&disk, 0));
    EXPECT_EQ(1, disk);
    char name[1024] = {};
    ASSERT_EQ(1, NvmeGetDevName(name, 0));
    EXPECT_STREQ("\\\\.\\PhysicalDrive1", name);
}

TEST_F(StandInTest, WriteCacheHostMemoryBufferAndRevision)
{
    int state = -1;
    ASSERT_EQ(1, NvmeGetWriteCache(&state, 0));
    EXPECT_EQ(1, state);
    ASSERT_EQ(1, NvmeSetWriteCache(0, 0));
    ASSERT_EQ(1, NvmeGetWriteCache(&state, 0));
    EXPECT_EQ(0, state);
    EXPECT_EQ("0", DriveValue(0, "write-cache"));

    BYTE feature[4096] = {};
    DWORD dword0 = 0;
    ASSERT_EQ(1, NvmeGetFeature(0x0D, 4096, feature, &dword0, 0));
    EXPECT_EQ(1u, dword0 & 1);
    DWORD size = 0;
    std::memcpy(&size, feature, 4);
    EXPECT_EQ(16384u, size);
    EXPECT_EQ(0, NvmeGetFeature(0x02, 4096, feature, &dword0, 0));

    BYTE reg[4] = {};
    ASSERT_EQ(1, NvmeReadReg(0xFF501230, 4, reg, 0));
    EXPECT_EQ(3, reg[0] & 0x0F);

    BYTE pci[256] = {};
    ASSERT_EQ(1, NvmeReadPcieConfigSpace(0, 256, pci, 0));
    EXPECT_EQ(0x6E40, pci[2] | pci[3] << 8);
    EXPECT_EQ(0x10, pci[pci[pci[0x34] + 1]]) << "second capability is PCI Express";
}

TEST_F(StandInTest, FirmwareDownloadCommitAndActivate)
{
    EXPECT_EQ(0, NvmeFwActivate(1, 2, 0)) << "nothing downloaded";
    EXPECT_EQ(0, NvmeFwDownload2(0, 0, nullptr, 0)) << "nothing to commit";
    std::vector<BYTE> chunk(65536);
    for (size_t i = 0; i < chunk.size(); ++i)
        chunk[i] = static_cast<BYTE>(i * 7);
    SimClearJournal();
    ASSERT_EQ(1, NvmeFwDownload2(16384, 16384, chunk.data(), 0));
    EXPECT_EQ("NvmeFwDownload2(16384, 16384, <data>, 0)\n", Journal());
    EXPECT_EQ("131072", DriveValue(0, "fw-staged"));
    std::vector<BYTE> staged(65536);
    ASSERT_EQ(1, SimReadFwStaging(0, 65536, 65536, staged.data()));
    EXPECT_EQ(chunk, staged);

    ASSERT_EQ(1, NvmeFwDownload2(32768, 0, nullptr, 0));
    ASSERT_EQ(1, NvmeFwActivate(1, 2, 0));
    EXPECT_EQ("1", DriveValue(0, "fw-commits"));
    EXPECT_EQ("1", DriveValue(0, "fw-activations"));

    // The SATA library counts in 512-byte sectors.
    ASSERT_EQ(1, VaOpenByInst(0, kSataDisk));
    ASSERT_EQ(1, VaFwDownload(3, 128, 128, chunk.data(), 0));
    EXPECT_EQ("131072", DriveValue(3, "fw-staged"));
    ASSERT_EQ(1, VaFwDownload(3, 256, 0, nullptr, 0));
    EXPECT_EQ("1", DriveValue(3, "fw-commits"));
}

TEST_F(StandInTest, LowLevelFormatModeAndResponses)
{
    char mode[256] = {};
    ASSERT_EQ(1, NvmeGetFwMode(mode, 0));
    EXPECT_STREQ("Normal mode", mode);
    EXPECT_EQ(0, NvmeLlfInit(0xFF, 0xFF, 0)) << "needs the LLF firmware";

    ASSERT_EQ(1, NvmeSetFwMode(1, 0));
    ASSERT_EQ(1, NvmeGetFwMode(mode, 0));
    EXPECT_STREQ("LLF mode", mode);
    ASSERT_EQ(1, SimSetDriveValue(0, "llf-error", "0x1234"));
    ASSERT_EQ(1, NvmeLlfInit(0xFF, 0xFF, 0));
    struct Response {
        BYTE state, percent, error0, error1;
    } expected[] = {{1, 33, 0, 0}, {1, 66, 0, 0}, {0, 100, 0x34, 0x12}, {0, 100, 0x34, 0x12}};
    for (const Response& r : expected) {
        BYTE block[512];
        std::memset(block, 0xEE, sizeof(block));
        ASSERT_EQ(1, NvmeLlfResp(512, block, 0));
        EXPECT_EQ(r.state, block[0]);
        EXPECT_EQ(r.percent, block[1]);
        EXPECT_EQ(r.error0, block[2]);
        EXPECT_EQ(r.error1, block[3]);
        EXPECT_EQ(0, block[511]);
    }

    ASSERT_EQ(1, NvmeLlfAll(0));
    EXPECT_EQ("1", DriveValue(0, "llf-started"));
    ASSERT_EQ(1, NvmeReboot(2, 0));
    ASSERT_EQ(1, NvmeGetFwMode(mode, 0));
    EXPECT_STREQ("Normal mode", mode);

    BYTE info[512] = {};
    ASSERT_EQ(1, NvmeLlfSsdInfo(0, 512, info, 0));
    EXPECT_EQ("KSIM", Text(info, 4));
}

// Each job kind answers its own script; the last item repeats, so a job can
// stay busy for ever or sit at 100 % without finishing.
TEST_F(StandInTest, ScriptedResponsesPerJobKind)
{
    ASSERT_EQ(1, NvmeSetFwMode(1, 0));
    ASSERT_EQ(1, SimSetDriveValue(0, "llf-init", "1:30:0 0:100:0x1234"));
    ASSERT_EQ(1, SimSetDriveValue(0, "llf-self-test", "1:100:0"));
    EXPECT_EQ("1:30:0x0000 0:100:0x1234", DriveValue(0, "llf-init"));
    EXPECT_EQ(0, SimSetDriveValue(0, "llf-all", "1:300:0")) << "percent is one byte";
    EXPECT_EQ(0, SimSetDriveValue(0, "llf-all", "1:30")) << "three fields";

    struct Step {
        int (*start)();
        BYTE state, percent, error0, error1;
        const char* job;
    } steps[] = {
        {[] { return NvmeLlfInit(0xFF, 0xFF, 0); }, 1, 30, 0, 0, "init"},
        {nullptr, 0, 100, 0x34, 0x12, "init"},
        {nullptr, 0, 100, 0x34, 0x12, "init"},
        {[] { return NvmeSelfTest(0, 1, 0); }, 1, 100, 0, 0, "self-test"},
        {nullptr, 1, 100, 0, 0, "self-test"},
        // Unscripted kinds keep llf-polls (2) and llf-error (0).
        {[] { return NvmeLlfEraseNand(0, 0); }, 1, 33, 0, 0, "erase"},
    };
    for (const Step& step : steps) {
        if (step.start) {
            ASSERT_EQ(1, step.start());
        }
        BYTE block[512] = {};
        ASSERT_EQ(1, NvmeLlfResp(512, block, 0));
        EXPECT_EQ(step.job, DriveValue(0, "llf-job"));
        EXPECT_EQ(step.state, block[0]);
        EXPECT_EQ(step.percent, block[1]);
        EXPECT_EQ(step.error0, block[2]);
        EXPECT_EQ(step.error1, block[3]);
        EXPECT_EQ(step.job == std::string("erase") ? 0 : (511 ^ 0xA5) & 0xFF, block[511]);
    }
    EXPECT_EQ("1", DriveValue(0, "llf-answered"));
    ASSERT_EQ(1, SimSetDriveValue(0, "llf-init", ""));
    EXPECT_EQ("", DriveValue(0, "llf-init"));
}

TEST_F(StandInTest, ControllerMemoryAndMedium)
{
    std::vector<BYTE> block(1024, 0x5A), back(1024);
    ASSERT_EQ(1, NvmeWriteBlk(0x8021F000, 2, 1024, block.data(), 0));
    ASSERT_EQ(1, NvmeReadBlk(0x8021F000, 2, 1024, back.data(), 0));
    EXPECT_EQ(block, back);
    EXPECT_EQ(0, NvmeReadBlk(0x8021F000, 2, 512, back.data(), 0)) << "length short of the blocks";

    // The dump reads 9 MiB beyond the user area: inside the reserve.
    ULONGLONG start = 1000204886016ULL / 512 + 0x4800;
    std::vector<BYTE> sectors(131072, 0xEE);
    ASSERT_EQ(1, NvmeReadLba(static_cast<DWORD>(start), 256, 131072, sectors.data(), 0));
    EXPECT_EQ(0, sectors[0]);
    EXPECT_EQ(0, NvmeReadLba(static_cast<DWORD>(start + 0x20000), 1, 512, sectors.data(), 0)) << "beyond the medium";

    ASSERT_EQ(1, VaOpenByInst(0, kSataDisk));
    ASSERT_EQ(1, VaWriteLba(10, 2, block.data(), 0));
    ASSERT_EQ(1, VaReadLba(10, 2, back.data(), 0));
    EXPECT_EQ(block, back);
    ASSERT_EQ(1, VaSecurityErase(0));
    ASSERT_EQ(1, VaReadLba(10, 2, back.data(), 0));
    EXPECT_EQ(0, back[0]) << "erased";
}

TEST_F(StandInTest, SwitchSpeedTogglesClockModeAfterSmartReads)
{
    auto clock = [](int index) {
        BYTE smart[512] = {};
        NvmeSmartLog(512, smart, index);
        for (int i = 0; i < 30; ++i)
            if (smart[2 + 12 * i] == 0xFD)
                return static_cast<int>(smart[2 + 12 * i + 5]);
        return -1;
    };
    // One read still shows the old mode (switch-reads=1), the next the new one.
    ASSERT_EQ(1, NvmeSwitchSpeed(0));
    EXPECT_EQ(120, clock(0));
    EXPECT_EQ(100, clock(0));
    EXPECT_EQ(100, clock(0));
    ASSERT_EQ(1, NvmeSwitchSpeed(0));
    EXPECT_EQ(100, clock(0));
    EXPECT_EQ(120, clock(0));

    // It acts on the drive opened last: the "VL" drive goes from 100 to 120.
    ASSERT_EQ(1, NvmeOpenByInst(1, kVlController));
    ASSERT_EQ(1, SimSetDriveValue(1, "switch-reads", "0"));
    ASSERT_EQ(1, NvmeSwitchSpeed(0));
    EXPECT_EQ(120, clock(1));
    EXPECT_EQ(120, clock(0));
    EXPECT_EQ("1", DriveValue(1, "switches"));
}

TEST_F(StandInTest, FlashIdAndConfigConversion)
{
    BYTE id[512];
    std::memset(id, 0xEE, sizeof(id));
    ASSERT_EQ(1, NvmeNandReadId(0, 0, 0, 512, id, 0));
    const BYTE expected[8] = {0x98, 0x3C, 0x98, 0xB3, 0x76, 0x72, 0x08, 0x04};
    EXPECT_EQ(0, std::memcmp(expected, id, 8));

    TempDir folder;
    std::string ini = SimNarrowPath(folder.Path(L"config.ini"));
    std::string bin = SimNarrowPath(folder.Path(L"config.bin"));
    EXPECT_EQ(0, NvmeConfigToBin(ini.c_str(), bin.c_str())) << "no config.ini";
    folder.Write(L"config.ini", "[TEST_PARAMETER]\r\nDL_SPI=1\r\nFLASH_TYPE=0x8A25\r\n");
    ASSERT_EQ(1, NvmeConfigToBin(ini.c_str(), bin.c_str()));
    std::string image = TempDir::Read(folder.Path(L"config.bin"));
    ASSERT_EQ(12u + 2 * 36, image.size());
    EXPECT_EQ("KSIMCFG1", image.substr(0, 8));
    EXPECT_EQ("FLASH_TYPE", std::string(image.c_str() + 12 + 36));
    EXPECT_EQ(0x25, static_cast<BYTE>(image[12 + 36 + 32]));
}

TEST_F(StandInTest, FaultKnobsReachTheLibraries)
{
    ASSERT_EQ(1, NvmeOpenByInst(1, kVlController));
    BYTE smart[512];
    SimSetFault("NvmeSmartLog", 0, SIM_FAULT_FAIL, 0, 0);
    EXPECT_EQ(0, NvmeSmartLog(512, smart, 0));
    EXPECT_EQ(1, NvmeSmartLog(512, smart, 1)) << "another drive";

    SimSetFault("NvmeReadBlk", SIM_ANY_DRIVE, SIM_FAULT_CORRUPT, 1, 1);
    std::vector<BYTE> block(512, 0x11), back(512);
    ASSERT_EQ(1, NvmeWriteBlk(0x100000, 1, 512, block.data(), 0));
    ASSERT_EQ(1, NvmeReadBlk(0x100000, 1, 512, back.data(), 0));
    EXPECT_EQ(0x11, back[0]);
    ASSERT_EQ(1, NvmeReadBlk(0x100000, 1, 512, back.data(), 0));
    EXPECT_EQ(0xEE, back[0]) << "corrupted once";
    ASSERT_EQ(1, NvmeReadBlk(0x100000, 1, 512, back.data(), 0));
    EXPECT_EQ(0x11, back[0]);
}

TEST_F(SimTest, OpenCountShowsAMissingOpenOnALenientMachine)
{
    ULONGLONG capacity = 0;
    EXPECT_EQ(1, NvmeCapacity(&capacity, 0));
    EXPECT_EQ(0, SimGetOpenCount(0));
    EXPECT_EQ(0, NvmeClose(0)) << "nothing to close";
    EXPECT_EQ(0, SimGetOpenCount(0));
}

TEST_F(StandInTest, DisabledControllerCannotBeOpened)
{
    // The restart steps disable and re-enable the controller through the class installer.
    ASSERT_EQ(1, NvmeClose(0));
    ASSERT_TRUE(SimSetNodeEnabledForTest(kVgController, false));
    EXPECT_EQ(0, NvmeOpenByInst(0, kVgController));
    ASSERT_TRUE(SimSetNodeEnabledForTest(kVgController, true));
    EXPECT_EQ(1, NvmeOpenByInst(0, kVgController));
}

} // namespace
