// The window's close while the worker is busy, from the window's side:
// clicks queued behind the close, the log export across it and every other
// end of the window reach nothing of the worker once it may have ended.

#include "DiskHealthDlg.h"
#include "MainWindowFixture.h"
#include "TempDir.h"
#include "UtilitiesDlg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class MainWindowCloseTest : public MainWindowFixture {
protected:
    // No drive is left open and the rescan reached no library.
    static void ExpectNoScanAndEveryDriveClosed()
    {
        EXPECT_TRUE(Calls("NvmeScanController").empty());
        for (int drive = 0; drive < SimGetDriveCount(); ++drive)
            EXPECT_EQ(0, SimGetOpenCount(drive)) << drive;
    }
};

// A button of a page whose handler reaches the worker.
struct PageButton {
    const char* name;
    CWnd* (*page)(CKestrovaDlg&);
    int id;
};

CWnd* HealthPage(CKestrovaDlg& main)
{
    return main.m_pDiskHealthDlg;
}

CWnd* UtilitiesPage(CKestrovaDlg& main)
{
    return main.m_pUtilitiesDlg;
}

class PageClickAfterTheCloseTest : public MainWindowCloseTest, public ::testing::WithParamInterface<PageButton> {};

// Queued: a rescan click while a refresh runs, the caption close, the worker's
// end, and a page's click. The rescan waits for the worker and dispatches the
// rest meanwhile; by the time the page's click comes the worker has deleted
// itself (its memory faults), so the click must not reach it at all.
TEST_P(PageClickAfterTheCloseTest, ReachesNothingOfTheEndedWorker)
{
    Open();
    HoldTheWorker();
    SimClearJournal();
    bool workerEnded = false;
    PostClose();
    QueuedStep workerEnds([&] {
        SimReleaseHeldCalls();
        workerEnded = WaitForGuardedWorkerDeleted(10000);
    });
    ClickIn(GetParam().page(*m_main), GetParam().id, true);
    Click(IDC_BTN_RESCAN);
    ASSERT_TRUE(workerEnds.Ran());
    EXPECT_TRUE(workerEnded);
    PumpMessages(100);
    // The held refresh completed and closed its drive; nothing opened one again.
    EXPECT_EQ(1u, Calls("NvmeClose").size());
    EXPECT_TRUE(Calls("NvmeOpenByInst").empty());
    ExpectNoScanAndEveryDriveClosed();
}

INSTANTIATE_TEST_SUITE_P(Pages, PageClickAfterTheCloseTest,
                         ::testing::Values(PageButton{"HealthTemperature", HealthPage, IDC_BTN_TEMPERATURE},
                                           PageButton{"HealthTotalWrite", HealthPage, IDC_BTN_TOTAL_WRITE},
                                           PageButton{"HealthLifeRemaining", HealthPage, IDC_BTN_LIFE_REMAINING},
                                           PageButton{"HealthFlashId", HealthPage, IDC_BTN_FLASH_ID},
                                           PageButton{"UtilitiesBrowseFirmware", UtilitiesPage, IDC_BTN_BROWSE_FW},
                                           PageButton{"UtilitiesFirmwareUpdate", UtilitiesPage, IDC_BTN_FW_UPDATE},
                                           PageButton{"UtilitiesLowLevelFormat", UtilitiesPage,
                                                      IDC_BTN_LOW_LEVEL_FORMAT},
                                           PageButton{"UtilitiesDump", UtilitiesPage, IDC_BTN_DUMP},
                                           PageButton{"UtilitiesSecurityErase", UtilitiesPage, IDC_BTN_SECURITY_ERASE},
                                           PageButton{"UtilitiesWriteCache", UtilitiesPage, IDC_BTN_WRITE_CACHE}),
                         [](const ::testing::TestParamInfo<PageButton>& info) { return std::string(info.param.name); });

// A click of the main window that runs on the window's thread and waits for
// the worker, and the library call its body would make.
struct WaitingClick {
    const char* name;
    int id;
    const char* bodyCall;
};

class CloseQueuedBehindAWaitingClickTest : public MainWindowCloseTest,
                                           public ::testing::WithParamInterface<WaitingClick> {};

// The close already waits in the queue behind the click when the window's
// thread takes the click, so the thread has looked at it before the wait
// starts: the wait must still see it at once, and the click's body does not
// run, although the worker comes free only later. The worker is held by
// its operation lock alone, so that no answer of the worker wakes the wait.
TEST_P(CloseQueuedBehindAWaitingClickTest, EndsTheWaitBeforeTheWorkerIsFree)
{
    Open();
    SimClearJournal();
    HANDLE held = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // Should the wait miss the close, the lock comes free after a while and
    // the body runs before the close is handled.
    std::thread holder([&] {
        m_worker->m_operationLock.Lock();
        ::SetEvent(held);
        ::Sleep(1500);
        m_worker->m_operationLock.Unlock();
    });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(held, 10000));
    ::CloseHandle(held);
    bool closed = false;
    PostClick(GetParam().id);
    PostClose();
    QueuedStep afterTheClose([&] { closed = true; });
    // Taken as the modal loop takes them: the thread has seen the close
    // before the click's wait begins.
    MSG msg;
    while (!closed && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    holder.join();
    EXPECT_TRUE(WaitForGuardedWorkerDeleted(10000));
    PumpMessages(100);
    EXPECT_TRUE(Calls(GetParam().bodyCall).empty());
    ExpectNoScanAndEveryDriveClosed();
}

INSTANTIATE_TEST_SUITE_P(Clicks, CloseQueuedBehindAWaitingClickTest,
                         ::testing::Values(WaitingClick{"Rescan", IDC_BTN_RESCAN, "NvmeScanController"},
                                           WaitingClick{"Switch", IDC_BTN_SWITCH_MODE, "NvmeSwitchSpeed"}),
                         [](const ::testing::TestParamInfo<WaitingClick>& info) {
                             return std::string(info.param.name);
                         });

// The modal loop ends by a WM_QUIT, not by the close command, while a
// refresh runs and a dump waits behind it: the window's end asks the worker
// to end before its pages (the dump's folder among them) go, so the dump
// never starts and the worker ends by itself.
TEST_F(MainWindowCloseTest, QuitEndingTheModalLoopDropsTheQueuedDump)
{
    TempDir folder;
    QueuedStep insideTheLoop([&] {
        WaitForTheFirstSelection();
        HoldTheWorker();
        SimClearJournal();
        CString path = folder.Path() + L"\\";
        lstrcpynW(m_main->m_pUtilitiesDlg->m_dumpPath, path, UTILITIES_PATH_LENGTH);
        ClickIn(m_main->m_pUtilitiesDlg, IDC_BTN_DUMP, false);
        ::PostQuitMessage(0);
    });
    m_main->DoModal();
    ASSERT_TRUE(insideTheLoop.Ran());
    // The loop hands the WM_QUIT on to the thread's own loop; this test has none.
    MSG quit;
    ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    SimReleaseHeldCalls();
    EXPECT_TRUE(WaitForGuardedWorkerDeleted(5000));
    EXPECT_TRUE(Calls("NvmeOpenByInst").empty());
    EXPECT_FALSE(TempDir::Exists(folder.Path() + L"\\gv.bin"));
    ExpectNoScanAndEveryDriveClosed();
}

// The save dialog of the export, on this thread: answered from another
// thread as a person would, once the worker has ended.
HWND FindSaveDialog(DWORD thread)
{
    HWND found = nullptr;
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM result) -> BOOL {
            WCHAR title[64] = {};
            ::InternalGetWindowText(window, title, 64);
            if (!wcsstr(title, L"Save"))
                return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void AnswerSaveDialog(HWND dialog, const CString& path)
{
    int nameBox = ::GetDlgItem(dialog, 0x47C) ? 0x47C : 0x480;
    ::SendMessageW(::GetDlgItem(dialog, nameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(path)));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

struct ExportCase {
    const char* name;
    // The close comes while the save dialog is open, else it is queued with
    // the export's click, before it.
    bool closeWhileTheDialogIsOpen;
};

class ExportAcrossTheCloseTest : public MainWindowCloseTest, public ::testing::WithParamInterface<ExportCase> {};

// The worker has ended by the time the export would write: no fault, and no
// file at all rather than one without its drives.
TEST_P(ExportAcrossTheCloseTest, WritesNoFile)
{
    Open();
    TempDir folder;
    CString path = folder.Path() + L"\\report.log";
    const bool closeInDialog = GetParam().closeWhileTheDialogIsOpen;
    const DWORD windowThread = ::GetCurrentThreadId();
    HWND mainWindow = m_main->m_hWnd;
    std::atomic<bool> clickTaken{false};
    std::atomic<bool> answered{false};
    std::atomic<bool> done{false};
    std::thread person([&] {
        DWORD end = ::GetTickCount() + 20000;
        HWND dialog = nullptr;
        // Once the click has been taken, a dialog is either open or never comes.
        while (!dialog && static_cast<int>(end - ::GetTickCount()) > 0) {
            bool taken = clickTaken;
            dialog = FindSaveDialog(windowThread);
            if (!dialog && taken)
                break;
            ::Sleep(20);
        }
        if (dialog) {
            ::Sleep(300);
            // The window is disabled under its dialog and ignores its
            // caption's close; a close from outside (the task list's End
            // task) comes as WM_CLOSE.
            if (closeInDialog)
                ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
            if (WaitForGuardedWorkerDeleted(10000)) {
                AnswerSaveDialog(dialog, path);
                answered = true;
            }
        }
        done = true;
    });
    if (!closeInDialog)
        PostClose();
    PostClick(IDC_BTN_LOG_EXPORT);
    QueuedStep afterTheClick([&] { clickTaken = true; });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 30000));
    person.join();
    PumpMessages(100);
    EXPECT_TRUE(WaitForGuardedWorkerDeleted(0));
    EXPECT_FALSE(TempDir::Exists(path));
    // Only a dialog opened before the close is answered.
    EXPECT_EQ(closeInDialog, answered.load());
}

INSTANTIATE_TEST_SUITE_P(Closes, ExportAcrossTheCloseTest,
                         ::testing::Values(ExportCase{"QueuedBeforeTheClick", false},
                                           ExportCase{"WhileTheDialogIsOpen", true}),
                         [](const ::testing::TestParamInfo<ExportCase>& info) { return std::string(info.param.name); });

} // namespace
