// The window's close while the worker is busy: a rescan or switch that waits
// for the worker gives up without touching it, and requests that have not
// started are dropped, while the running one ends as it would.

#include "EngineFixture.h"

#include <functional>
#include <string>
#include <vector>

namespace {

// A message-only window that runs a callback for each WM_APP posted to it:
// something the window's thread does inside its wait for the worker.
class InsideTheWait : public CWnd {
public:
    InsideTheWait() { CreateEx(0, L"STATIC", L"inside", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr); }
    ~InsideTheWait() override { DestroyWindow(); }
    void Post(std::function<void()> step)
    {
        m_steps.push_back(std::move(step));
        ::PostMessageW(m_hWnd, WM_APP, 0, 0);
    }
    int Ran() const { return m_ran; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_APP)
            return CWnd::WindowProc(message, wParam, lParam);
        m_steps[static_cast<size_t>(m_ran++)]();
        return 0;
    }

private:
    std::vector<std::function<void()>> m_steps;
    int m_ran = 0;
};

size_t CountOf(const std::wstring& text, const std::wstring& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class CloseTest : public EngineTest {
protected:
    // A long request: the selected drive's refresh, held inside its SMART read.
    void StartLongRefresh()
    {
        StartWorker();
        ScanAndSelect();
        SimSetLatency("NvmeSmartLog", 0, SIM_LATENCY_HOLD);
        SimClearJournal();
        Post(WM_SSDOP_REFRESH_DEVICE);
        ASSERT_EQ(1, SimWaitForHeldCall(10000));
    }

    // The running refresh completed: its read, its close and its answer.
    void ExpectTheRunningRefreshCompleted()
    {
        recorder.Pump();
        EXPECT_EQ(std::vector<std::wstring>{L"UPDATED"}, recorder.Lines());
        EXPECT_EQ(1u, Calls("NvmeSmartLog").size());
        EXPECT_EQ(Calls("NvmeOpenByInst").size(), Calls("NvmeClose").size());
        for (int drive = 0; drive < SimGetDriveCount(); ++drive)
            EXPECT_EQ(0, SimGetOpenCount(drive)) << drive;
    }
};

// The rescan and the switch run on the window's thread and wait for the
// worker while it works. A close handled inside that wait ends the wait at
// once: neither body runs, not even when the lock comes free before the
// worker has handled the quit, and the worker (whose memory faults once it
// is deleted) ends after the call has returned.
TEST_F(CloseTest, CloseDuringTheWindowsWaitRunsNeitherTheScanNorTheSwitch)
{
    struct Case {
        const char* name;
        std::function<BOOL(CSSDOpThread*)> call;
        const char* bodyCall; // the library call the body would make
    };
    const Case cases[] = {
        {"rescan", [](CSSDOpThread* w) { return w->FindVnSSD(); }, "NvmeScanController"},
        {"switch",
         [](CSSDOpThread* w) {
             w->OnSwitchSpeed(0, 0);
             return FALSE;
         },
         "NvmeSwitchSpeed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimResetMachine();
        recorder.answers.clear();
        StartLongRefresh();
        ::ResetEvent(TestOpThread::QuitEntered());
        ::ResetEvent(TestOpThread::QuitGo());
        ::InterlockedExchange(&TestOpThread::QuitHeld(), 1);
        CSSDOpThread* waiting = worker;
        InsideTheWait inside;
        // The close: the running refresh ends and the worker takes the quit,
        // so the operation lock is free when the wait looks at it again.
        inside.Post([&] {
            recorder.onAnswer = nullptr; // the window is closing: it selects nothing more
            ASSERT_TRUE(worker->PostQuit());
            worker = nullptr;
            SimReleaseHeldCalls();
            ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(TestOpThread::QuitEntered(), 10000));
        });
        EXPECT_FALSE(c.call(waiting));
        EXPECT_EQ(1, inside.Ran());
        EXPECT_TRUE(Calls(c.bodyCall).empty());

        ::InterlockedExchange(&TestOpThread::QuitHeld(), 0);
        ::SetEvent(TestOpThread::QuitGo());
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(workerHandle, 10000));
        ::CloseHandle(workerHandle);
        workerHandle = nullptr;
        ExpectTheRunningRefreshCompleted();
    }
}

// Requests queued behind a running one when the window closes never start:
// neither the format nor the dump reaches the drive or reads the page's path
// buffer (gone with the page: its memory faults), each leaves one debug line,
// and the running refresh ends as it would.
TEST_F(CloseTest, RequestsQueuedWhenTheWindowClosesAreDropped)
{
    StartLongRefresh();
    // The page's folder text, in memory that goes away with the page.
    SYSTEM_INFO system;
    ::GetSystemInfo(&system);
    auto* folder =
        static_cast<wchar_t*>(::VirtualAlloc(nullptr, system.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(folder, nullptr);
    wcscpy(folder, L"C:\\dump");
    Post(WM_SSDOP_FORMAT_NAND, reinterpret_cast<WPARAM>(folder));
    Post(WM_SSDOP_DUMP_DEBUG_INFO, reinterpret_cast<WPARAM>(folder));
    CaptureTrace();

    ASSERT_TRUE(worker->PostQuit());
    worker = nullptr;
    ::VirtualFree(folder, 0, MEM_DECOMMIT); // the page is deleted
    SimReleaseHeldCalls();
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(workerHandle, 10000));
    ::CloseHandle(workerHandle);
    workerHandle = nullptr;
    AfxSetTraceSink(nullptr);

    ExpectTheRunningRefreshCompleted();
    EXPECT_TRUE(Calls("NvmeFormat").empty());
    EXPECT_TRUE(Calls("NvmeReadMemory").empty());
    EXPECT_EQ(1u, CountOf(Captured(), L"CSSDOpThread::OnFormatNand -> Not started: the window is closing\n"));
    EXPECT_EQ(1u, CountOf(Captured(), L"CSSDOpThread::OnDumpDebugInfo -> Not started: the window is closing\n"));
    ::VirtualFree(folder, 0, MEM_RELEASE);
}

// A request held back while the window's thread holds the lock for a scan is
// dropped when the window closes before the scan ends.
TEST_F(CloseTest, RequestWaitingBehindAScanIsDroppedWhenTheWindowClosesMeanwhile)
{
    StartWorker();
    ScanAndSelect();
    CaptureTrace();
    {
        CSSDOpThread::OperationLock scan(worker);
        ASSERT_TRUE(scan.Acquired());
        // Whether the worker takes the request before the close or after it,
        // it must not start once the scan lets go.
        Post(WM_SSDOP_SET_WRITE_CACHE);
        ASSERT_TRUE(worker->PostQuit());
    }
    worker = nullptr;
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(workerHandle, 10000));
    ::CloseHandle(workerHandle);
    workerHandle = nullptr;
    AfxSetTraceSink(nullptr);
    recorder.Pump();
    EXPECT_TRUE(Calls("NvmeSetWriteCache").empty());
    EXPECT_TRUE(recorder.Results().empty());
    EXPECT_EQ(1u, CountOf(Captured(), L"CSSDOpThread::OnSetWriteCache -> Not started: the window is closing\n"));
}

} // namespace
