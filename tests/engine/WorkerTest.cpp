// The worker's life and request protocol.

#include "EngineFixture.h"

#include "TempDir.h"

namespace {

struct RequestCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    const wchar_t* answer; // the one answer line, or nullptr for none
};

} // namespace

// Only six requests answer a missing drive, with "No device!"; the others
// answer nothing. A list whose drives are scanned but of which none is
// selected yet counts as no drive. No drive object is touched either way.
TEST_F(EngineTest, RequestsWithoutACurrentDriveAnswerAsTheTableSays)
{
    TempDir folder;
    const RequestCase cases[] = {
        {"refresh", WM_SSDOP_REFRESH_DEVICE, 0, nullptr},
        {"select beyond the list", WM_SSDOP_SELECT_DEVICE, 3, nullptr},
        {"select the empty selection", WM_SSDOP_SELECT_DEVICE, static_cast<WPARAM>(-1), nullptr},
        {"get write cache", WM_SSDOP_GET_WRITE_CACHE, 0, nullptr},
        {"read flash id", WM_SSDOP_READ_FLASH_ID, 0, nullptr},
        {"read SMART", WM_SSDOP_READ_SMART, 0, L"RESULT No device!"},
        {"set write cache", WM_SSDOP_SET_WRITE_CACHE, 0, L"RESULT No device!"},
        {"format", WM_SSDOP_FORMAT_NAND, 0, L"RESULT No device!"},
        {"dump", WM_SSDOP_DUMP_DEBUG_INFO, reinterpret_cast<WPARAM>(folder.Path().GetString()), L"RESULT No device!"},
        {"firmware", WM_SSDOP_UPDATE_FW, reinterpret_cast<WPARAM>(folder.Path().GetString()), L"RESULT No device!"},
        {"low-level format", WM_SSDOP_LOW_LEVEL_FORMAT, reinterpret_cast<WPARAM>(folder.Path().GetString()),
         L"RESULT No device!"},
    };
    StartWorker();
    for (int scanned = 0; scanned < 2; ++scanned) {
        if (scanned) {
            // Drives listed, none selected: the window's selection is not posted.
            recorder.onAnswer = nullptr;
            ASSERT_TRUE(worker->FindVnSSD());
            recorder.answers.clear();
            ASSERT_EQ(2u, worker->m_deviceCount);
        }
        SimClearJournal();
        for (const RequestCase& c : cases) {
            Post(c.message, c.wParam);
            Barrier();
            std::vector<std::wstring> expected;
            if (c.answer)
                expected.push_back(c.answer);
            EXPECT_EQ(expected, recorder.Lines()) << c.name << (scanned ? " (scanned)" : " (nothing scanned)");
            recorder.answers.clear();
        }
        EXPECT_TRUE(Calls("NvmeOpenByInst").empty()) << Journal();
        EXPECT_TRUE(Calls("NvmeSwitchSpeed").empty());
        worker->OnSwitchSpeed(0, 0); // the window's direct call sends nothing either
        EXPECT_TRUE(Calls("NvmeSwitchSpeed").empty());
    }
    // The page's view before the selection: the first drive, while the
    // worker's own current drive is still unset.
    Read([&] {
        EXPECT_EQ(worker->m_deviceList[0], worker->GetCurrentDevice());
        EXPECT_EQ(nullptr, worker->m_pCurDevice);
        return 0;
    });
}

// WM_SSDOP_QUIT on its own (not the window's close, which drops what has not
// started) ends the thread after the requests queued before it and never
// handles one queued after it; every drive opened is closed again.
TEST_F(EngineTest, QuitWithDrivesListedAndRequestsQueuedEndsCleanly)
{
    StartWorker();
    ScanAndSelect();
    HANDLE thread = workerHandle;
    for (int i = 0; i < 3; ++i)
        Post(WM_SSDOP_REFRESH_DEVICE);
    Post(WM_SSDOP_READ_FLASH_ID);
    Post(WM_SSDOP_QUIT);
    // Posted behind the quit: never handled (the post may fail once the
    // thread has ended).
    worker->PostThreadMessage(WM_SSDOP_SET_WRITE_CACHE, 0, 0);
    worker->PostThreadMessage(WM_SSDOP_REFRESH_DEVICE, 0, 0);
    worker = nullptr;
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 10000));
    recorder.Pump();
    EXPECT_EQ((std::vector<std::wstring>{L"UPDATED", L"UPDATED", L"UPDATED", L"FLASH_ID"}), recorder.Lines());
    EXPECT_EQ(Calls("NvmeOpenByInst").size(), Calls("NvmeClose").size());
    EXPECT_TRUE(Calls("NvmeSetWriteCache").empty());
    for (int drive = 0; drive < SimGetDriveCount(); ++drive)
        EXPECT_EQ(0, SimGetOpenCount(drive)) << drive;
}

// A status text followed at once by a result text: each message carries its
// own words, however late the window reads them.
TEST_F(EngineTest, StatusAndResultTextsKeepTheirOwnWords)
{
    StartWorker();
    ScanAndSelect();
    Post(WM_SSDOP_DUMP_DEBUG_INFO, reinterpret_cast<WPARAM>(L"")); // refused at once: one result
    Post(WM_SSDOP_SET_WRITE_CACHE);
    Post(WM_SSDOP_SET_WRITE_CACHE);
    Barrier(); // the window reads only now
    EXPECT_EQ(
        (std::vector<std::wstring>{L"Please select path for saving debug info!", L"Set device write cache info succeed",
                                   L"Set device write cache info succeed"}),
        recorder.Results());
}

// The worker answers the window's handle: once the window is gone its answers
// are dropped (their texts freed by the worker), and the window object is
// never touched again.
TEST_F(EngineTest, AnswersToAWindowThatIsGoneAreDropped)
{
    StartWorker();
    {
        CSSDOpThread::OperationLock hold(worker);
        {
            AnswerRecorder gone;
            g_engineTestMainWnd = &gone;
            EXPECT_TRUE(worker->FindVnSSD());
            g_engineTestMainWnd = nullptr;
            Post(WM_SSDOP_SELECT_DEVICE, 0);
            Post(WM_SSDOP_SET_WRITE_CACHE);
            Post(WM_SSDOP_DUMP_DEBUG_INFO, reinterpret_cast<WPARAM>(L""));
        }
    }
    Barrier();
    EXPECT_TRUE(recorder.answers.empty());
    EXPECT_EQ(worker->m_deviceList[0], worker->m_pCurDevice);
    EXPECT_EQ("0", DriveValue(0, "write-cache"));
}
