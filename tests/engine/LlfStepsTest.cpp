// The further low-level-format steps, run on the test's thread against the
// worker's current drive while the worker idles (nothing in the program
// calls them).

#include "LlfFixture.h"

namespace {

class LlfStepsTest : public LlfEngineTest {
protected:
    void SetUp() override
    {
        LlfEngineTest::SetUp();
        StartWithDrive(0);
        worker->LoadLlfConfig(folder.Path());
        worker->m_llfResPathStr = folder.Path();
    }

    // Runs one step as the worker would, holding the operation lock.
    BOOL Run(BOOL (CSSDOpThread::*step)())
    {
        CSSDOpThread::OperationLock operation(worker);
        BOOL result = (worker->*step)();
        recorder.Pump();
        return result;
    }

    TempDir folder;
};

} // namespace

TEST_F(LlfStepsTest, SpiDownloadWritesBlocksOfFourKilobytesAndTheTag)
{
    worker->m_dlSpi = 0;
    EXPECT_TRUE(Run(&CSSDOpThread::DownloadSpi));
    EXPECT_TRUE(JournalLines().empty()) << "skipped without touching the drive";

    worker->m_dlSpi = 1;
    std::string image = Pattern(10000, 5);
    folder.Write(L"bank_nvme_imem.ram", image);
    EXPECT_TRUE(Run(&CSSDOpThread::DownloadSpi));
    EXPECT_EQ("1", DriveValue(0, "nor-erased"));
    EXPECT_EQ((std::vector<std::string>{"NvmeWriteBlk(3217293312, 8, 4096, <data>, 0)",
                                        "NvmeWriteBlk(3217297408, 8, 4096, <data>, 0)",
                                        "NvmeWriteBlk(3217301504, 4, 2048, <data>, 0)"}),
              Calls("NvmeWriteBlk"));
    EXPECT_EQ(image + std::string(240, '\0'), Memory(0, 0xBFC40000, 10240));
    EXPECT_EQ(std::string("\x22\x11\x22\x11", 4), Memory(0, 0xBFC7FFFC, 4));
    EXPECT_EQ((std::vector<int>{40, 80, 100, 0}), recorder.Progress());
    EXPECT_EQ(0, SimGetOpenCount(0));

    struct Fault {
        const char* function;
        int mode;
    } faults[] = {
        {"NvmeEraseNor", SIM_FAULT_FAIL}, {"NvmeWriteReg", SIM_FAULT_FAIL}, {"NvmeReadReg", SIM_FAULT_CORRUPT}};
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.function);
        SimSetFault(f.function, 0, f.mode, 0, 0);
        EXPECT_FALSE(Run(&CSSDOpThread::DownloadSpi));
        SimClearFaults();
        EXPECT_EQ(0, SimGetOpenCount(0));
    }
}

TEST_F(LlfStepsTest, FlashTypeTagGoesWhereTheRegisterSays)
{
    worker->m_setFlashType = 0;
    EXPECT_TRUE(Run(&CSSDOpThread::SetLlfTag));
    EXPECT_TRUE(Calls("NvmeOpenByInst").empty());

    worker->m_setFlashType = 1;
    worker->m_flashType = 0x8A25;
    struct Case {
        const char* config;
        DWORD address;
    } cases[] = {{"0x0C", 0xA003FFE0}, {"0x04", 0xBFC7FFE0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        ASSERT_EQ(1, SimSetDriveValue(0, "flash-config", c.config));
        EXPECT_TRUE(Run(&CSSDOpThread::SetLlfTag));
        EXPECT_EQ(std::string("\x25\x8A\0\0", 4), Memory(0, c.address, 4));
    }
    SimSetFault("NvmeReadReg", 0, SIM_FAULT_CORRUPT, 1, 1);
    EXPECT_FALSE(Run(&CSSDOpThread::SetLlfTag)) << "the read-back differs";
    EXPECT_EQ(0, SimGetOpenCount(0));
}

TEST_F(LlfStepsTest, ModeCheckAndLlfCodeSequence)
{
    EXPECT_FALSE(Run(&CSSDOpThread::CheckLlfMode));
    ASSERT_EQ(1, SimSetDriveValue(0, "fw-mode", "LLF mode"));
    EXPECT_TRUE(Run(&CSSDOpThread::CheckLlfMode));
    SimSetFault("NvmeGetFwMode", 0, SIM_FAULT_FAIL, 0, 0);
    EXPECT_FALSE(Run(&CSSDOpThread::CheckLlfMode));
    SimClearFaults();

    // The sequence with the low-level-format code, first without it.
    folder.Write(L"config.ini", "[TEST_PARAMETER]\r\nLLF_INIT_TIMEOUT=3\r\nLLF_ALL_TIMEOUT=3\r\n");
    ASSERT_TRUE(worker->LoadLlfConfig(folder.Path()));
    folder.Write(L"config.bin", Pattern(100, 1));
    folder.Write(L"bank_dram.ram", Pattern(512, 2));
    EXPECT_FALSE(Run(&CSSDOpThread::LowLevelFormatWithLlfCode));
    EXPECT_EQ((std::vector<std::wstring>{L"STATUS Switch to llf mode", L"STATUS Downloading llf code",
                                         L"RESULT Download llf code fail"}),
              Texts());

    recorder.answers.clear();
    std::string code = Pattern(700, 3);
    folder.Write(L"banka1_llf.ram", code);
    worker->m_llfStep = 0;
    EXPECT_TRUE(Run(&CSSDOpThread::LowLevelFormatWithLlfCode));
    EXPECT_EQ((std::vector<std::wstring>{L"STATUS Switch to llf mode", L"STATUS Downloading llf code",
                                         L"STATUS Downloading configure file", L"STATUS Configuring llf parameter",
                                         L"STATUS Doing low level format",
                                         L"RESULT Low level format succeed! Please reboot to take effect."}),
              Texts());
    EXPECT_EQ(0, recorder.Progress().back());
    EXPECT_EQ(4u, worker->m_llfStep) << "raised after each step but the last";
    EXPECT_EQ(code + std::string(324, '\0'), Memory(0, 0x80100000, 1024));
    EXPECT_EQ("LLF mode", DriveValue(0, "fw-mode")) << "no reboot step";
    EXPECT_EQ(0, SimGetOpenCount(0));
}

TEST_F(LlfStepsTest, PollingStepsFinishFailOrTimeOut)
{
    ASSERT_EQ(1, SimSetDriveValue(0, "fw-mode", "LLF mode"));
    struct Case {
        BOOL (CSSDOpThread::*step)();
        const char* key;
        const char* script;
        int selfTestTimeout;
        BOOL expected;
        size_t responses;
    } cases[] = {
        {&CSSDOpThread::EraseNandFlash, "llf-erase", "1:30:0 0:100:0", 0, TRUE, 2},
        {&CSSDOpThread::EraseNandFlash, "llf-erase", "1:30:0 0:100:0x0101", 0, FALSE, 2},
        {&CSSDOpThread::EraseNandFlash, "llf-erase", "1:100:0", 0, FALSE, 60},
        {&CSSDOpThread::SelfTest, "llf-self-test", "1:30:0 0:100:0", 5, TRUE, 2},
        {&CSSDOpThread::SelfTest, "llf-self-test", "1:30:0", 3, FALSE, 3},
        // A negative timeout polls no time instead of dividing or looping.
        {&CSSDOpThread::SelfTest, "llf-self-test", "0:100:0", -7, FALSE, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.script);
        ASSERT_EQ(1, SimSetDriveValue(0, c.key, c.script));
        worker->m_selfTestTimeout = c.selfTestTimeout;
        recorder.answers.clear();
        SimClearJournal();
        EXPECT_EQ(c.expected, Run(c.step));
        EXPECT_EQ(c.responses, Calls("NvmeLlfResp").size());
        ASSERT_FALSE(recorder.Progress().empty());
        EXPECT_EQ(0, recorder.Progress().back());
        EXPECT_EQ(0, SimGetOpenCount(0));
        EXPECT_FALSE(TempDir::Exists(ModuleFile(L"LlfResp.dat"))) << "only the sequence saves an error";
    }
    EXPECT_EQ("NvmeSelfTest(0, 1, 0)", Calls("NvmeSelfTest").at(0));
}

TEST_F(LlfStepsTest, RestartDisablesWaitsAndReenablesTheController)
{
    worker->m_llfToNormalTimeout = 3;
    EXPECT_TRUE(Run(&CSSDOpThread::SwitchToNormalMode));
    EXPECT_EQ((std::vector<int>{38, 46, 53, 61, 100, 0}), recorder.Progress());
    EXPECT_EQ(1, SimGetNodeEnabled("nvme0"));
    EXPECT_EQ("1", DriveValue(0, "reboots"));
    std::vector<std::string> changes = Calls("SetupDiCallClassInstaller");
    EXPECT_EQ(2u, changes.size());
    EXPECT_EQ(Calls("SetupDiGetClassDevsW").size(), Calls("SetupDiDestroyDeviceInfoList").size());

    // A negative wait would have divided by zero at -10: none is waited.
    recorder.answers.clear();
    worker->m_resetDeviceTimeout = -10;
    EXPECT_TRUE(Run(&CSSDOpThread::ResetDeviceByReenable));
    EXPECT_EQ((std::vector<int>{50, 100, 0}), recorder.Progress());
    EXPECT_EQ(0, SimGetOpenCount(0));
}

TEST_F(LlfStepsTest, RestartFailuresFreeTheDeviceInformationSet)
{
    worker->m_resetDeviceTimeout = 0;
    struct Case {
        const char* function;
        int afterCalls;
        int enabledAfter;
    } cases[] = {
        {"NvmeReboot", 0, 1},
        {"SetupDiGetClassDevsW", 0, 1},
        {"SetupDiSetClassInstallParamsW", 0, 1},
        {"SetupDiCallClassInstaller", 0, 1},
        // The re-enable fails: the controller stays disabled.
        {"SetupDiCallClassInstaller", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        SimClearJournal();
        SimSetFault(c.function, SIM_ANY_DRIVE, SIM_FAULT_FAIL, c.afterCalls, 1);
        EXPECT_FALSE(Run(&CSSDOpThread::ResetDeviceByReenable));
        SimClearFaults();
        EXPECT_EQ(c.enabledAfter, SimGetNodeEnabled("nvme0"));
        size_t built = Calls("SetupDiGetClassDevsW").size() - (std::string(c.function) == "SetupDiGetClassDevsW");
        EXPECT_EQ(built, Calls("SetupDiDestroyDeviceInfoList").size());
        EXPECT_EQ(0, SimGetOpenCount(0));
    }
    // No node of that handle: nothing changes, the set is freed.
    SimClearJournal();
    EXPECT_FALSE(worker->DisableEnableDevice(0xDEAD, FALSE));
    EXPECT_EQ(1u, Calls("SetupDiDestroyDeviceInfoList").size());
}
