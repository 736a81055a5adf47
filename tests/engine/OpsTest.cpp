// Selection, refresh and the single-command requests.

#include "EngineFixture.h"

#include <algorithm>

namespace {

size_t CountLines(const std::vector<std::string>& lines, const std::string& part)
{
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(),
                                             [&](const std::string& l) { return l.find(part) != std::string::npos; }));
}

} // namespace

TEST_F(EngineTest, SelectionMakesADriveCurrentAndRefreshesItOnce)
{
    StartWorker();
    ScanAndSelect();
    SimClearJournal();
    Post(WM_SSDOP_SELECT_DEVICE, 1);
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"UPDATED"}), recorder.Lines());
    EXPECT_EQ(worker->m_deviceList[1], worker->m_pCurDevice);
    EXPECT_EQ(1u, worker->m_curDeviceIndex);
    EXPECT_EQ(1u, CountLines(Calls("NvmeSmartLog"), ", 1)")) << Journal();
    // The SMART data lands in the drive's slot (library index + 16).
    SmartAttribute* hours = worker->m_smartInfo.FindAttribute(17, 9);
    ASSERT_NE(nullptr, hours);
    EXPECT_EQ(926u, hours->raw);

    // Beyond the list, or the empty selection: nothing changes, nothing answers.
    // Each refusal reaches the debug log only.
    recorder.answers.clear();
    CaptureTrace();
    Post(WM_SSDOP_SELECT_DEVICE, 2);
    Post(WM_SSDOP_SELECT_DEVICE, static_cast<WPARAM>(-1));
    Barrier();
    EXPECT_TRUE(recorder.answers.empty());
    EXPECT_EQ(worker->m_deviceList[1], worker->m_pCurDevice);
    EXPECT_EQ(L"Select device invalid\nSelect device invalid\n", Captured());
}

// A refresh whose open fails still parses the drive's SMART buffer and answers.
TEST_F(EngineTest, RefreshAnswersAlsoWhenTheOpenFails)
{
    StartWorker();
    ScanAndSelect();
    SimSetFault("NvmeOpenByInst", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 0);
    Post(WM_SSDOP_REFRESH_DEVICE);
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"UPDATED"}), recorder.Lines());
    EXPECT_NE(nullptr, worker->m_smartInfo.FindAttribute(16, 9));
}

TEST_F(EngineTest, SmartReReadAnswersSmartUpdated)
{
    StartWorker();
    ScanAndSelect();
    Post(WM_SSDOP_READ_SMART);
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"SMART_UPDATED"}), recorder.Lines());
}

// The query reports the drive's state; each switch inverts the stored state,
// with a result and a state answer; a refused switch keeps the stored state.
TEST_F(EngineTest, WriteCacheQueryAndSwitch)
{
    StartWorker();
    ScanAndSelect();
    ASSERT_EQ(1, SimSetDriveValue(0, "write-cache", "0"));
    Post(WM_SSDOP_GET_WRITE_CACHE);
    Post(WM_SSDOP_SET_WRITE_CACHE);
    Post(WM_SSDOP_SET_WRITE_CACHE);
    Barrier();
    EXPECT_EQ(
        (std::vector<std::wstring>{L"WRITE_CACHE 0", L"RESULT Set device write cache info succeed", L"WRITE_CACHE 1",
                                   L"RESULT Set device write cache info succeed", L"WRITE_CACHE 0"}),
        recorder.Lines());
    EXPECT_EQ("0", DriveValue(0, "write-cache"));

    recorder.answers.clear();
    SimSetFault("NvmeSetWriteCache", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 0);
    SimSetFault("NvmeGetWriteCache", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 0);
    Post(WM_SSDOP_SET_WRITE_CACHE);
    Post(WM_SSDOP_GET_WRITE_CACHE);
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"RESULT Set device write cache info fail"}), recorder.Lines());
    EXPECT_EQ(0, worker->m_pCurDevice->m_writeCache);
    EXPECT_EQ(0, SimGetOpenCount(0));
}

TEST_F(EngineTest, FlashIdAnswersACopyOfTheFirstEightBytes)
{
    StartWorker();
    ScanAndSelect();
    SimSetFault("NvmeNandReadId", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 1, 1);
    Post(WM_SSDOP_READ_FLASH_ID);
    Post(WM_SSDOP_READ_FLASH_ID); // the read fails: no answer
    Barrier();
    ASSERT_EQ((std::vector<std::wstring>{L"FLASH_ID"}), recorder.Lines());
    EXPECT_EQ((std::vector<BYTE>{0x98, 0x3C, 0x98, 0xB3, 0x76, 0x72, 0x08, 0x04}), recorder.answers[0].block);
    EXPECT_EQ(0, SimGetOpenCount(0));
}

// An open that fails answers "Device operation fail" once and sends nothing
// more to the drive (the format included).
TEST_F(EngineTest, FailedOpenAnswersDeviceOperationFailOnce)
{
    struct Case {
        UINT message;
        const char* command;
    } cases[] = {{WM_SSDOP_GET_WRITE_CACHE, "NvmeGetWriteCache"},
                 {WM_SSDOP_SET_WRITE_CACHE, "NvmeSetWriteCache"},
                 {WM_SSDOP_READ_FLASH_ID, "NvmeNandReadId"},
                 {WM_SSDOP_FORMAT_NAND, "NvmeFormat"}};
    StartWorker();
    ScanAndSelect();
    SimSetFault("NvmeOpenByInst", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 0);
    SimClearJournal();
    for (const Case& c : cases) {
        Post(c.message);
        Barrier();
        EXPECT_EQ((std::vector<std::wstring>{L"RESULT Device operation fail"}), recorder.Lines()) << c.command;
        EXPECT_TRUE(Calls(c.command).empty()) << c.command;
        recorder.answers.clear();
    }
    EXPECT_EQ("0", DriveValue(0, "formats"));
}

TEST_F(EngineTest, FormatSucceedsOrFails)
{
    StartWorker();
    ScanAndSelect();
    SimSetFault("NvmeFormat", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 1, 1);
    Post(WM_SSDOP_FORMAT_NAND);
    Post(WM_SSDOP_FORMAT_NAND);
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"Format nand flash succeed!", L"Format nand flash fail!"}),
              recorder.Results());
    EXPECT_EQ("1", DriveValue(0, "formats"));
    EXPECT_EQ(0, SimGetOpenCount(0));
}

TEST_F(EngineTest, FormatOfTheSystemDiskIsRefusedWithoutACommand)
{
    // The system on the first drive's disk (volume D on disk 1).
    std::string machine = SimDefaultMachineText();
    size_t at = machine.find("C:\\Windows\\system32");
    ASSERT_NE(std::string::npos, at);
    machine[at] = 'D';
    LoadMachine(machine.c_str());
    StartWorker();
    ScanAndSelect();
    SimClearJournal();
    Post(WM_SSDOP_FORMAT_NAND);
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"Operation fail, OS is running on the selected device!"}),
              recorder.Results());
    EXPECT_TRUE(Calls("NvmeOpenByInst").empty());
    EXPECT_TRUE(Calls("NvmeFormat").empty());
}

// The clock switch runs on the window's thread: one switch command between
// an open and its close; a failed open is logged with the method's name and
// the command still goes out, with nothing to close.
TEST_F(EngineTest, SwitchSendsOneCommandAndClosesWhatItOpened)
{
    StartWorker();
    ScanAndSelect();
    SimClearJournal();
    worker->OnSwitchSpeed(0, 0);
    EXPECT_EQ(1u, Calls("NvmeOpenByInst").size());
    EXPECT_EQ((std::vector<std::string>{"NvmeSwitchSpeed(0)"}), Calls("NvmeSwitchSpeed"));
    EXPECT_EQ(1u, Calls("NvmeClose").size());
    EXPECT_EQ(0, SimGetOpenCount(0));
    EXPECT_TRUE(recorder.answers.empty());

    SimClearJournal();
    CaptureTrace();
    SimSetFault("NvmeOpenByInst", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 1);
    worker->OnSwitchSpeed(0, 0);
    EXPECT_EQ(1u, Calls("NvmeSwitchSpeed").size());
    EXPECT_TRUE(Calls("NvmeClose").empty());
    EXPECT_NE(std::wstring::npos, Captured().find(L"CSSDOpThread::OnSwitchSpeed Open device fail\n")) << Captured();
}
