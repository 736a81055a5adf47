// The low-level format: its "config.ini" parameters, the five-step sequence
// with its messages, progress and controller writes, each failure road, and
// the worker's behaviour towards pages and quit while it runs.

#include "LlfFixture.h"

#include <functional>

namespace {

// Parameters of one "config.ini", in field order.
struct LlfParameters {
    int dlSpi, allTimeout, pollCount, selfTest, init, reset, toNormal, fcTestItem, fcScanBlkNum, setFlashType;
    UINT flashType;
};
const LlfParameters kDefaults = {0, 200, 200, 10, 60, 10, 30, 0, 1, 0, 0x8A25};

LlfParameters With(std::function<void(LlfParameters&)> change)
{
    LlfParameters p = kDefaults;
    change(p);
    return p;
}

std::string Ini(const std::string& body)
{
    return "[TEST_PARAMETER]\r\n" + body;
}

} // namespace

TEST_F(LlfEngineTest, ConfigurationKeysDefaultsAndBounds)
{
    struct Case {
        const char* ini; // nullptr: the folder has no "config.ini"
        LlfParameters expected;
    } cases[] = {
        {nullptr, kDefaults},
        {"", kDefaults},
        {"LLF_ALL_TIMEOUT=600\r\n", With([](LlfParameters& p) { p.allTimeout = p.pollCount = 600; })},
        {"LLF_ALL_TIMEOUT=0\r\n", With([](LlfParameters& p) { p.allTimeout = p.pollCount = 0; })},
        {"FLASH_TYPE=8A25\r\n", With([](LlfParameters& p) { p.flashType = 0; })},
        {"flash_type=0x8a25\r\n", kDefaults},
        {"SELF_TEST_FCTEST_ITEM=257\r\nSELF_TEST_FCSCAN_BLKNUM=0x102\r\n",
         With([](LlfParameters& p) { p.fcTestItem = 1, p.fcScanBlkNum = 2; })},
        {"DL_SPI=1\r\nSET_FLASH_TYPE=1\r\nLLF_INIT_TIMEOUT=5\r\nRESET_DEVICE_TIMEOUT=3\r\nLLF_TO_NORMAL_TIMEOUT=4\r\n",
         With([](LlfParameters& p) { p.dlSpi = p.setFlashType = 1, p.init = 5, p.reset = 3, p.toNormal = 4; })},
        // Beyond 2,147,483 seconds the poll count overflowed 32 bits; every
        // timeout is kept within a day, and a negative one counts as none.
        {"LLF_ALL_TIMEOUT=3000000\r\n", With([](LlfParameters& p) { p.allTimeout = p.pollCount = 86400; })},
        {"LLF_ALL_TIMEOUT=-5\r\n", With([](LlfParameters& p) { p.allTimeout = p.pollCount = 0; })},
        {"SELF_TEST_TIMEOUT=-1\r\nRESET_DEVICE_TIMEOUT=-10\r\nLLF_TO_NORMAL_TIMEOUT=2000000000\r\n",
         With([](LlfParameters& p) { p.selfTest = 0, p.reset = 0, p.toNormal = 86400; })},
    };
    StartWorker();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "<no config.ini>");
        TempDir folder;
        if (c.ini)
            folder.Write(L"config.ini", Ini(c.ini));
        worker->m_llfStep = 7;
        EXPECT_TRUE(worker->LoadLlfConfig(folder.Path()));
        const LlfParameters& e = c.expected;
        EXPECT_EQ(e.dlSpi, worker->m_dlSpi);
        EXPECT_EQ(e.allTimeout, worker->m_llfAllTimeout);
        EXPECT_EQ(e.pollCount, worker->m_llfPollCount);
        EXPECT_EQ(e.selfTest, worker->m_selfTestTimeout);
        EXPECT_EQ(e.init, worker->m_llfInitTimeout);
        EXPECT_EQ(e.reset, worker->m_resetDeviceTimeout);
        EXPECT_EQ(e.toNormal, worker->m_llfToNormalTimeout);
        EXPECT_EQ(e.fcTestItem, worker->m_fcTestItem);
        EXPECT_EQ(e.fcScanBlkNum, worker->m_fcScanBlkNum);
        EXPECT_EQ(e.setFlashType, worker->m_setFlashType);
        EXPECT_EQ(e.flashType, worker->m_flashType);
        EXPECT_EQ(0u, worker->m_llfStep);
        EXPECT_EQ(100u, worker->m_stepDelayMs);
        EXPECT_EQ(1000, worker->m_pollIntervalMs);
    }
}

TEST_F(LlfEngineTest, SequenceDownloadsFormatsAndReboots)
{
    StartWithDrive(0);
    TempDir folder;
    folder.Write(L"config.ini", Ini("LLF_INIT_TIMEOUT=5\r\n"));
    std::string dram = Pattern(1000, 7);
    folder.Write(L"bank_dram.ram", dram);
    ASSERT_EQ(1, SimSetDriveValue(0, "llf-init", "1:40:0 0:100:0"));
    ASSERT_EQ(1, SimSetDriveValue(0, "llf-all", "1:40:0 0:100:0"));

    CaptureTrace();
    RunPathRequest(WM_SSDOP_LOW_LEVEL_FORMAT, folder.Path(), 1, true);
    AfxSetTraceSink(nullptr);

    std::vector<std::wstring> expected = {
        L"STATUS Switch to llf mode",
        L"STATUS Downloading configure file",
        L"PROGRESS 100", // "config.bin": one block
        L"PROGRESS 0",
        L"STATUS Configuring llf parameter",
        L"PROGRESS 40",
        L"PROGRESS 100",
        L"PROGRESS 0",
        L"STATUS Doing low level format",
        L"PROGRESS 12", // two blocks of "bank_dram.ram"
        L"PROGRESS 25",
    };
    for (int k = 1; k <= 25; ++k)
        expected.push_back(L"PROGRESS " + std::to_wstring(25 + k));
    for (const wchar_t* line : {L"PROGRESS 70", L"PROGRESS 100", L"PROGRESS 0", L"STATUS Reboot device",
                                L"RESULT Low level format succeed! Please reboot to take effect.", L"PROGRESS 0"})
        expected.push_back(line);
    EXPECT_EQ(expected, recorder.Lines());

    // Each step's outcome under its header, with the texts' own spacing; the
    // reboot that succeeds logs nothing.
    std::wstring log = Captured();
    log.erase(0, log.find(L"-- Step 0"));
    std::wstring expectedLog = L"-- Step 0 -- Switch To Llf Mode  ->    Pass"
                               L"SetProgress: 100\n-- Step 1 -- Load Configure File  -> Pass"
                               L"SetProgress: 0\nSetProgress: 40\nCheckResponse get progress 100\nSetProgress: 100\n"
                               L"-- Step 2 -- Set Configure  -> Pass"
                               L"SetProgress: 0\nSetProgress: 12\nSetProgress: 25\n";
    for (int k = 1; k <= 25; ++k)
        expectedLog += L"SetProgress: " + std::to_wstring(25 + k) + L"\n";
    expectedLog += L"**Retry to get response\n**Get progress: 40\nSetProgress: 70\nCheckResponse get progress 100\n"
                   L"SetProgress: 100\n-- Step 3 -- Do LLF  -> PassSetProgress: 0\nSetProgress: 0\n";
    EXPECT_EQ(expectedLog, log);

    // The library wrote "config.bin" beside "config.ini"; the controller
    // holds it and the zero-padded DRAM code, read back block by block.
    std::string configBin = TempDir::Read(folder.Path(L"config.bin"));
    ASSERT_EQ(48u, configBin.size());
    EXPECT_EQ(configBin, Memory(0, 0x8021F000, 48));
    EXPECT_EQ(dram + std::string(24, '\0'), Memory(0, 0x100000, 1024));
    std::vector<std::string> writes = Calls("NvmeWriteBlk");
    ASSERT_EQ(3u, writes.size());
    EXPECT_EQ("NvmeWriteBlk(2149707776, 1, 512, <data>, 0)", writes[0]);
    EXPECT_EQ("NvmeWriteBlk(1048576, 1, 512, <data>, 0)", writes[1]);
    EXPECT_EQ("NvmeWriteBlk(1049088, 1, 512, <data>, 0)", writes[2]);
    EXPECT_EQ(1u, Calls("NvmeLlfInit").size());
    EXPECT_EQ(4u, Calls("NvmeLlfResp").size());
    EXPECT_EQ("1", DriveValue(0, "llf-started"));
    EXPECT_EQ("1", DriveValue(0, "reboots"));
    EXPECT_EQ("Normal mode", DriveValue(0, "fw-mode"));
    EXPECT_EQ(0, SimGetOpenCount(0));
    EXPECT_FALSE(TempDir::Exists(ModuleFile(L"LlfResp.dat")));
}

// One failure road of the sequence: what the folder holds, what the
// controller does, and what the user is told.
struct LlfRoad {
    const char* name;
    const char* ini;   // nullptr: no "config.ini"
    int dramSize;      // -1: no "bank_dram.ram"
    bool oldConfigBin; // a "config.bin" from an earlier run
    const char* faultFunction;
    int faultMode;
    const char* initScript;
    const char* allScript;
    std::vector<std::wstring> results;
    const char* modeAfter; // the controller's mode at the end
    int responses;         // response reads expected, -1: not checked
    bool responseSaved;    // "LlfResp.dat" written
    const wchar_t* logged; // a debug text of the step that ended it
};

class LlfRoadTest : public LlfEngineTest, public ::testing::WithParamInterface<LlfRoad> {};

TEST_P(LlfRoadTest, EndsWithItsResult)
{
    const LlfRoad& road = GetParam();
    StartWithDrive(0);
    TempDir folder;
    if (road.ini)
        folder.Write(L"config.ini", Ini(road.ini));
    if (road.oldConfigBin)
        folder.Write(L"config.bin", Pattern(600, 3));
    if (road.dramSize >= 0)
        folder.Write(L"bank_dram.ram", Pattern(static_cast<size_t>(road.dramSize), 9));
    ASSERT_EQ(1, SimSetDriveValue(0, "llf-init", road.initScript));
    ASSERT_EQ(1, SimSetDriveValue(0, "llf-all", road.allScript));
    if (road.faultFunction)
        SimSetFault(road.faultFunction, 0, road.faultMode, 0, 0);

    CaptureTrace();
    RunPathRequest(WM_SSDOP_LOW_LEVEL_FORMAT, folder.Path(), road.results.size(), true);
    SimClearFaults();
    AfxSetTraceSink(nullptr);
    EXPECT_NE(std::wstring::npos, Captured().find(road.logged)) << WideToNarrowString(CString(Captured().c_str()));

    EXPECT_EQ(road.results, recorder.Results()) << Dump();
    EXPECT_EQ(0, SimGetOpenCount(0));
    EXPECT_EQ(road.modeAfter, DriveValue(0, "fw-mode"));
    if (road.responses >= 0) {
        EXPECT_EQ(static_cast<size_t>(road.responses), Calls("NvmeLlfResp").size());
    }
    std::string saved = TempDir::Read(ModuleFile(L"LlfResp.dat"));
    if (road.responseSaved) {
        // The whole block that reported the error, as the controller sent it.
        ASSERT_EQ(512u, saved.size());
        EXPECT_EQ(0, saved[0]);
        EXPECT_EQ(100, static_cast<BYTE>(saved[1]));
        EXPECT_EQ(0x34, saved[2]);
        EXPECT_EQ(0x12, saved[3]);
        EXPECT_EQ(static_cast<char>(511 ^ 0xA5), saved[511]);
    } else {
        EXPECT_TRUE(saved.empty());
    }
}

const char kQuick[] = "LLF_INIT_TIMEOUT=3\r\nLLF_ALL_TIMEOUT=3\r\n";
const wchar_t kRebootText[] = L"Low level format succeed! Please reboot to take effect.";

INSTANTIATE_TEST_SUITE_P(
    Roads, LlfRoadTest,
    ::testing::Values(LlfRoad{"ModeSwitchRefused",
                              kQuick,
                              1000,
                              false,
                              "NvmeSetFwMode",
                              SIM_FAULT_FAIL,
                              "",
                              "",
                              {L"Switch to llf mode fail"},
                              "Normal mode",
                              0,
                              false,
                              L"-- Step 0 -- Switch To Llf Mode  ->   Set fw mode to llf mode fail"},
                      LlfRoad{"OpenRefused",
                              kQuick,
                              1000,
                              false,
                              "NvmeOpenByInst",
                              SIM_FAULT_FAIL,
                              "",
                              "",
                              {L"Switch to llf mode fail"},
                              "Normal mode",
                              0,
                              false,
                              L"-- Step 0 -- Switch To Llf Mode  ->   Open device fail"},
                      // Without "config.ini" the conversion fails; without an old
                      // "config.bin" the download does too, and the controller stays in
                      // its low-level-format mode.
                      LlfRoad{"NoConfiguration",
                              nullptr,
                              1000,
                              false,
                              nullptr,
                              0,
                              "",
                              "",
                              {L"Generate configure file fail", L"Download configure file fail"},
                              "LLF mode",
                              0,
                              false,
                              L"-- Step 1 -- Load Configure File  -> Check configure file fail"},
                      LlfRoad{"OldConfigBinIsSent",
                              nullptr,
                              1000,
                              true,
                              nullptr,
                              0,
                              "",
                              "",
                              {L"Generate configure file fail", kRebootText},
                              "Normal mode",
                              -1,
                              false,
                              L"-- Step 3 -- Do LLF  -> Pass"},
                      LlfRoad{"BlockWriteRefused",
                              kQuick,
                              1000,
                              false,
                              "NvmeWriteBlk",
                              SIM_FAULT_FAIL,
                              "",
                              "",
                              {L"Download configure file fail"},
                              "LLF mode",
                              0,
                              false,
                              L"-- Step 1 -- Load Configure File  -> Write block fail"},
                      LlfRoad{"ReadBackDiffers",
                              kQuick,
                              1000,
                              false,
                              "NvmeReadBlk",
                              SIM_FAULT_CORRUPT,
                              "",
                              "",
                              {L"Download configure file fail"},
                              "LLF mode",
                              0,
                              false,
                              L"-- Step 1 -- Load Configure File  -> Compare block fail"},
                      LlfRoad{"InitRefused",
                              kQuick,
                              1000,
                              false,
                              "NvmeLlfInit",
                              SIM_FAULT_FAIL,
                              "",
                              "",
                              {L"Configure llf parameter fail"},
                              "LLF mode",
                              0,
                              false,
                              L"-- Step 2 -- Set Configure  -> Llf init fail"},
                      LlfRoad{"InitReportsError",
                              kQuick,
                              1000,
                              false,
                              nullptr,
                              0,
                              "1:10:0 0:100:0x1234",
                              "",
                              {L"Configure llf parameter fail"},
                              "LLF mode",
                              2,
                              true,
                              L"-- Step 2 -- Set Configure  -> Fail  --  Error Code: 0x1234"},
                      // State 1 at 100 % is still working: the polls run out.
                      LlfRoad{"InitBusyAtFullUntilTimeout",
                              kQuick,
                              1000,
                              false,
                              nullptr,
                              0,
                              "1:100:0",
                              "",
                              {L"Configure llf parameter fail"},
                              "LLF mode",
                              3,
                              false,
                              L"-- Step 2 -- Set Configure  -> Timeout"},
                      LlfRoad{"ResponseReadRefused",
                              kQuick,
                              1000,
                              false,
                              "NvmeLlfResp",
                              SIM_FAULT_FAIL,
                              "",
                              "",
                              {L"Configure llf parameter fail"},
                              "LLF mode",
                              1,
                              false,
                              L"-- Step 2 -- Set Configure  -> Llf get response fail"},
                      LlfRoad{"NoDramCode",
                              kQuick,
                              -1,
                              false,
                              nullptr,
                              0,
                              "0:100:0",
                              "",
                              {L"Do llf fail"},
                              "LLF mode",
                              1,
                              false,
                              L"-- Step 3 -- Do LLF  -> Check dram code file fail"},
                      // An empty file would have sent nothing and started the format.
                      LlfRoad{"EmptyDramCode",
                              kQuick,
                              0,
                              false,
                              nullptr,
                              0,
                              "0:100:0",
                              "",
                              {L"Do llf fail"},
                              "LLF mode",
                              1,
                              false,
                              L"-- Step 3 -- Do LLF  -> Check dram code file fail"},
                      LlfRoad{"FormatStartRefused",
                              kQuick,
                              1000,
                              false,
                              "NvmeLlfAll",
                              SIM_FAULT_FAIL,
                              "0:100:0",
                              "",
                              {L"Do llf fail"},
                              "LLF mode",
                              1,
                              false,
                              L"-- Step 3 -- Do LLF  -> Llf all fail"},
                      LlfRoad{"FormatReportsError",
                              kQuick,
                              1000,
                              false,
                              nullptr,
                              0,
                              "0:100:0",
                              "1:40:0 0:100:0x1234",
                              {L"Do llf fail"},
                              "LLF mode",
                              3,
                              true,
                              L"-- Step 3 -- Do LLF  -> Fail! Error Code: 0x1234"},
                      LlfRoad{"FormatNeverEnds",
                              kQuick,
                              1000,
                              false,
                              nullptr,
                              0,
                              "0:100:0",
                              "1:50:0",
                              {L"Do llf fail"},
                              "LLF mode",
                              4,
                              false,
                              L"-- Step 3 -- Do LLF  -> Timeout"},
                      // A timeout of 0 polls no time after the format starts.
                      LlfRoad{"NoFormatPolls",
                              "LLF_ALL_TIMEOUT=0\r\n",
                              1000,
                              false,
                              nullptr,
                              0,
                              "0:100:0",
                              "0:100:0",
                              {L"Do llf fail"},
                              "LLF mode",
                              1,
                              false,
                              L"-- Step 3 -- Do LLF  -> Timeout"},
                      LlfRoad{"RebootRefused",
                              kQuick,
                              1000,
                              false,
                              "NvmeReboot",
                              SIM_FAULT_FAIL,
                              "0:100:0",
                              "0:100:0",
                              {L"Low level format succeed! Please shutdown to take effect."},
                              "LLF mode",
                              2,
                              false,
                              L"-- Step 04 -- Reset Device  -> Device reboot fail"}),
    [](const ::testing::TestParamInfo<LlfRoad>& info) { return std::string(info.param.name); });

TEST_F(LlfEngineTest, RefusalsTouchNothing)
{
    // The drive of the running system.
    std::string machine = TwoDriveMachine();
    machine.replace(machine.find("E:\\Windows"), 1, "C");
    LoadMachine(machine.c_str());
    StartWithDrive(0);
    TempDir folder;
    folder.Write(L"config.ini", Ini(""));
    RunPathRequest(WM_SSDOP_LOW_LEVEL_FORMAT, folder.Path(), 1, false);
    EXPECT_EQ(std::vector<std::wstring>{L"RESULT Operation fail, OS is running on the selected device!"},
              recorder.Lines());
    EXPECT_TRUE(Calls("NvmeOpenByInst").empty());
    EXPECT_FALSE(TempDir::Exists(folder.Path(L"config.bin")));
}

TEST_F(LlfEngineTest, EmptyFolderAndOversizedConfigurationAreRefused)
{
    StartWithDrive(0);
    RunPathRequest(WM_SSDOP_LOW_LEVEL_FORMAT, L"", 1, false);
    EXPECT_EQ(std::vector<std::wstring>{L"RESULT Please select resource path for llf!"}, recorder.Lines());

    // A "config.bin" that would run past the end of the controller's address
    // space from 0x8021F000 is refused before a byte of it is read or sent.
    recorder.answers.clear();
    TempDir folder;
    WriteSparseFile(folder.Path(L"config.bin"), 0x100000000LL - 0x8021F000 + 1);
    RunPathRequest(WM_SSDOP_LOW_LEVEL_FORMAT, folder.Path(), 2, true);
    EXPECT_EQ((std::vector<std::wstring>{L"Generate configure file fail", L"Download configure file fail"}),
              recorder.Results());
    EXPECT_TRUE(Calls("NvmeWriteBlk").empty());
    EXPECT_EQ(0, SimGetOpenCount(0));
}

// A page on the window's thread reads the current drive and its SMART values
// in a loop while the worker formats: every read sees whole values.
TEST_F(LlfEngineTest, PagesReadWhileFormatRuns)
{
    StartWithDrive(0);
    TempDir folder;
    folder.Write(L"config.ini", Ini("LLF_INIT_TIMEOUT=10\r\n"));
    folder.Write(L"bank_dram.ram", Pattern(4096, 1));
    ASSERT_EQ(1, SimSetDriveValue(0, "llf-init", "1:10:0 1:20:0 1:30:0 0:100:0"));
    SetEngineWaitScale(10);

    // What a page shows of the drive before the format starts.
    std::string serial;
    ULONGLONG capacity = 0;
    std::vector<DWORD> raws;
    auto readPage = [&](std::string& s, ULONGLONG& c, std::vector<DWORD>& r) {
        CSSDOpThread::StateLock state(worker);
        VntSSD* device = worker->GetCurrentDevice();
        ASSERT_NE(nullptr, device);
        s = device->m_serialNum;
        c = device->m_capacity;
        const SmartDriveInfo& record = worker->m_smartInfo.GetDriveRecord(SMART_NVME_SLOT_BASE + device->m_index);
        r.clear();
        for (int i = 0; i < record.attributeCount; ++i)
            r.push_back(record.attributes[i].raw);
    };
    readPage(serial, capacity, raws);
    m_requestPath = folder.Path();
    Post(WM_SSDOP_LOW_LEVEL_FORMAT, reinterpret_cast<WPARAM>(m_requestPath.GetString()));
    int reads = 0;
    while (!Finished(1, true)) {
        std::string s;
        ULONGLONG c = 0;
        std::vector<DWORD> r;
        readPage(s, c, r);
        ASSERT_EQ(serial, s);
        ASSERT_EQ(capacity, c);
        ASSERT_EQ(raws, r);
        ++reads;
        recorder.Pump();
    }
    EXPECT_GT(reads, 10);
    EXPECT_EQ(std::vector<std::wstring>{kRebootText}, recorder.Results());
}

// Quit during a format takes effect after it: the format ends with its
// result, the thread ends, and every open of the drive was closed.
TEST_F(LlfEngineTest, QuitDuringFormatWaitsForItsEnd)
{
    StartWithDrive(0);
    TempDir folder;
    folder.Write(L"config.ini", Ini("LLF_INIT_TIMEOUT=20\r\n"));
    folder.Write(L"bank_dram.ram", Pattern(512, 1));
    ASSERT_EQ(1, SimSetDriveValue(0, "llf-init", "1:50:0"));
    SetEngineWaitScale(10);
    m_requestPath = folder.Path();
    Post(WM_SSDOP_LOW_LEVEL_FORMAT, reinterpret_cast<WPARAM>(m_requestPath.GetString()));
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(WM_SSDOP_PROGRESS) >= 3; }, 10000));
    ASSERT_TRUE(worker->PostThreadMessage(WM_SSDOP_QUIT, 0, 0));
    Post(WM_SSDOP_SELECT_DEVICE, 0); // queued behind the quit: never handled
    // The thread deletes its object as it ends: only its handle is used now.
    worker = nullptr;
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(workerHandle, 10000));
    ::CloseHandle(workerHandle);
    workerHandle = nullptr;
    recorder.Pump();
    EXPECT_EQ(std::vector<std::wstring>{L"Configure llf parameter fail"}, recorder.Results());
    EXPECT_EQ(0u, recorder.Count(WM_SSDOP_DEVICE_UPDATED));
    EXPECT_EQ(Calls("NvmeOpenByInst").size(), Calls("NvmeClose").size());
    EXPECT_EQ(0, SimGetOpenCount(0));
}
