// The further low-level-format steps, run on the test's thread against the
// worker's current drive while the worker idles (nothing in the program
// calls them).

#include "LlfFixture.h"

#include <functional>

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

// Each step's outcome goes to the debug log under the step's header, with the
// exact spacing of its texts; "SetProgress" lines show where the progress moved.
TEST_F(LlfStepsTest, StepsLogTheirOutcomeUnderTheirHeader)
{
    folder.Write(L"bank_nvme_imem.ram", Pattern(600, 5));
    struct Case {
        const char* name;
        std::function<void()> arrange;
        BOOL (CSSDOpThread::*step)();
        std::wstring log;
    } cases[] = {
        {"mode other than llf", [] {}, &CSSDOpThread::CheckLlfMode,
         L"-- Step 3 -- Check Llf Mode  ->   not in llf mode"},
        {"llf mode", [] { ASSERT_EQ(1, SimSetDriveValue(0, "fw-mode", "LLF mode")); }, &CSSDOpThread::CheckLlfMode,
         L"-- Step 3 -- Check Llf Mode  ->    Pass"},
        {"mode read refused", [] { SimSetFault("NvmeGetFwMode", 0, SIM_FAULT_FAIL, 0, 0); },
         &CSSDOpThread::CheckLlfMode, L"-- Step 3 -- Check Llf Mode  ->   Get fw mode fail"},
        {"tag skipped", [this] { worker->m_setFlashType = 0; }, &CSSDOpThread::SetLlfTag,
         L"-- Step 3 -- Set Llf Tag  -> Write flash type skipped"},
        {"tag read back differs",
         [this] {
             worker->m_setFlashType = 1;
             SimSetFault("NvmeReadReg", 0, SIM_FAULT_CORRUPT, 1, 1);
         },
         &CSSDOpThread::SetLlfTag, L"-- Step 3 -- Set Llf Tag  -> Reg Data Mismatch"},
        {"spi skipped", [this] { worker->m_dlSpi = 0; }, &CSSDOpThread::DownloadSpi,
         L"-- Step 3 -- Download Spi  -> Download code to spi skipped"},
        {"nor erase refused",
         [this] {
             worker->m_dlSpi = 1;
             SimSetFault("NvmeEraseNor", 0, SIM_FAULT_FAIL, 0, 0);
         },
         &CSSDOpThread::DownloadSpi, L"-- Step 3 -- Download Spi  -> Erase nor flash failSetProgress: 0\n"},
        {"spi tag differs",
         [this] {
             worker->m_dlSpi = 1;
             SimSetFault("NvmeReadReg", 0, SIM_FAULT_CORRUPT, 0, 0);
         },
         &CSSDOpThread::DownloadSpi,
         L"SetProgress: 100\n-- Step 3 -- Download Spi  -> Write spi tag failSetProgress: 0\n"},
        {"no llf code", [] {}, &CSSDOpThread::DownloadBanka1, L"-- Step 3 -- Download banka1  -> Check file fail"},
        {"erase reports error", [] { SimSetDriveValue(0, "llf-erase", "1:30:0 0:100:0x0101"); },
         &CSSDOpThread::EraseNandFlash,
         L"SetProgress: 30\nCheckResponse, Get error code: 0x0101\n"
         L"-- Step 3 -- Erase nand flash  -> Fail  --  Error Code: 0x0101SetProgress: 0\n"},
        {"erase refused", [] { SimSetFault("NvmeLlfEraseNand", 0, SIM_FAULT_FAIL, 0, 0); },
         &CSSDOpThread::EraseNandFlash, L"-- Step 3 -- Erase nand flash  -> Llf init failSetProgress: 0\n"},
        {"self test passes silently",
         [this] {
             worker->m_selfTestTimeout = 2;
             SimSetDriveValue(0, "llf-self-test", "0:100:0");
         },
         &CSSDOpThread::SelfTest, L"CheckResponse get progress 100\nSetProgress: 100\nSetProgress: 0\n"},
        {"self test times out",
         [this] {
             worker->m_selfTestTimeout = 1;
             SimSetDriveValue(0, "llf-self-test", "1:30:0");
         },
         &CSSDOpThread::SelfTest, L"SetProgress: 30\n-- Step 3 -- Self Test  -> TimeoutSetProgress: 0\n"},
        {"self test refused", [] { SimSetFault("NvmeSelfTest", 0, SIM_FAULT_FAIL, 0, 0); }, &CSSDOpThread::SelfTest,
         L"-- Step 3 -- Self Test  -> Self test failSetProgress: 0\n"},
        {"response read refused",
         [this] {
             worker->m_selfTestTimeout = 2;
             SimSetFault("NvmeLlfResp", 0, SIM_FAULT_FAIL, 0, 0);
         },
         &CSSDOpThread::SelfTest, L"-- Step 3 -- Self Test  -> Llf get response failSetProgress: 0\n"},
        {"reboot refused", [] { SimSetFault("NvmeReboot", 0, SIM_FAULT_FAIL, 0, 0); },
         &CSSDOpThread::ResetDeviceByReenable, L"-- Step 3 -- Reset Device  -> Device reboot fail"},
        {"open refused", [] { SimSetFault("NvmeOpenByInst", 0, SIM_FAULT_FAIL, 0, 0); },
         &CSSDOpThread::SwitchToNormalMode, L"-- Step 3 -- Switch To Normal Mode  -> Open device fail"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        worker->m_llfStep = 3;
        c.arrange();
        CaptureTrace();
        Run(c.step);
        AfxSetTraceSink(nullptr);
        SimClearFaults();
        EXPECT_EQ(c.log, Captured()) << WideToNarrowString(CString(Captured().c_str()));
    }
}

// The device-node change names its outcome in the debug log: a node that asks
// for a reboot after each change, a refused change, no device set, no match.
TEST_F(LlfEngineTest, DeviceNodeChangeLogsItsOutcome)
{
    std::string machine = TwoDriveMachine();
    machine.insert(machine.find(" service=StorNVMe"), " needs-reboot=1");
    LoadMachine(machine.c_str());
    StartWithDrive(0);
    worker->m_llfStep = 2;
    worker->m_resetDeviceTimeout = 0;
    const std::wstring reboot = L"CSSDOpThread::DisableEnableDevice -> Need to reboot the system.....\n"
                                L"-- Step 2 -- Switch to normal mode  ->  Need to reboot the system";
    struct Case {
        const char* fault;
        DEVINST node; // 0: the drive's own
        std::wstring log;
    } cases[] = {
        {nullptr, 0,
         reboot + L"SetProgress: 50\n" + reboot +
             L"SetProgress: 100\n-- Step 2 -- Reset Device  -> PassSetProgress: 0\n"},
        {"SetupDiCallClassInstaller", 0,
         L"CSSDOpThread::DisableEnableDevice -> Fail to set state for the specific device, error: 31\n"
         L"-- Step 2 -- Switch to normal mode  ->  Disable/ enable device fail"},
        {"SetupDiGetClassDevsW", 0,
         L"CSSDOpThread::DisableEnableDevice -> Get device info list fail, GetLastError: 31!\n"},
        {nullptr, 0xDEAD, L"CSSDOpThread::DisableEnableDevice -> No device match\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToNarrowString(CString(c.log.c_str())));
        if (c.fault)
            SimSetFault(c.fault, SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 1);
        CaptureTrace();
        {
            CSSDOpThread::OperationLock operation(worker);
            if (c.node)
                worker->DisableEnableDevice(c.node, FALSE);
            else
                worker->ResetDeviceByReenable();
        }
        AfxSetTraceSink(nullptr);
        SimClearFaults();
        EXPECT_EQ(c.log, Captured());
    }
    EXPECT_EQ(1, SimGetNodeEnabled("nvme0"));
}
