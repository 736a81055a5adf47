#pragma once
// A worker thread per test over a simulated machine, answering into an
// AnswerRecorder that stands in for the main window.

#include <windows.h>

#include <gtest/gtest.h>

#include "AnswerRecorder.h"
#include "EngineTestApp.h"
#include "EngineWait.h"
#include "SSDOpThread.h"
#include "SimFixture.h"

// The worker with one request more, for tests only: it answers nothing and
// marks the point in the queue where every earlier request is done.
class TestOpThread : public CSSDOpThread {
    DECLARE_DYNCREATE(TestOpThread)

public:
    static const UINT WM_TEST_BARRIER = WM_APP + 99;
    static HANDLE BarrierEvent()
    {
        static HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        return event;
    }
    void OnBarrier(WPARAM, LPARAM) { ::SetEvent(BarrierEvent()); }

    // The quit, held back when a test arms it: QuitEntered is set once the
    // worker has taken WM_SSDOP_QUIT (every earlier request done, the
    // operation lock free), and the quit is handled only after QuitGo.
    static HANDLE QuitEntered()
    {
        static HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        return event;
    }
    static HANDLE QuitGo()
    {
        static HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        return event;
    }
    static LONG& QuitHeld()
    {
        static LONG held = 0;
        return held;
    }
    void OnHeldQuit(WPARAM wParam, LPARAM lParam)
    {
        if (::InterlockedCompareExchange(&QuitHeld(), 0, 0)) {
            ::SetEvent(QuitEntered());
            ::WaitForSingleObject(QuitGo(), 20000);
        }
        OnQuitThread(wParam, lParam);
    }

    // The worker deletes itself when its thread ends. Its pages are then
    // taken away, never reused: any later access to the ended worker faults
    // and fails the test at once instead of reading stale memory.
    static void* operator new(size_t size);
    static void operator delete(void* object, size_t size);

    DECLARE_MESSAGE_MAP()
};

class EngineTest : public SimTest {
protected:
    void SetUp() override
    {
        // The engine's waits pass at a hundredth of their time.
        SetEngineWaitScale(10);
        g_engineTestMainWnd = &recorder;
    }

    void TearDown() override
    {
        StopWorker();
        g_engineTestMainWnd = nullptr;
        SetEngineWaitScale(1000);
        SimTest::TearDown();
    }

    // Starts the worker as the main window's constructor does.
    void StartWorker()
    {
        worker = static_cast<CSSDOpThread*>(AfxBeginThread(RUNTIME_CLASS(TestOpThread)));
        ASSERT_NE(worker, nullptr);
        ::DuplicateHandle(::GetCurrentProcess(), worker->m_hThread, ::GetCurrentProcess(), &workerHandle, SYNCHRONIZE,
                          FALSE, 0);
    }

    // The scan as the main window runs it; on WM_SSDOP_DEVICE_LIST_READY the
    // recorder selects drive 0, as the window's handler does.
    BOOL Scan()
    {
        recorder.onAnswer = [this](const Answer& a) {
            if (a.message == WM_SSDOP_DEVICE_LIST_READY)
                Post(WM_SSDOP_SELECT_DEVICE, 0);
        };
        return worker->FindVnSSD();
    }

    void Post(UINT message, WPARAM wParam = 0) { ASSERT_TRUE(worker->PostThreadMessage(message, wParam, 0)); }

    // Posts a request and dispatches answers until `count` more have arrived.
    void Request(UINT message, WPARAM wParam, size_t count)
    {
        size_t before = recorder.answers.size();
        Post(message, wParam);
        ASSERT_TRUE(recorder.WaitForCount(before + count)) << "answers: " << recorder.answers.size() - before;
    }

    // The first scan and the selection it leads to, as at the window's start.
    void ScanAndSelect()
    {
        ASSERT_TRUE(Scan());
        ASSERT_TRUE(recorder.WaitFor(WM_SSDOP_DEVICE_UPDATED));
        recorder.answers.clear();
    }

    // Waits until the worker has handled every request posted so far, then
    // takes the answers they posted.
    void Barrier()
    {
        ::ResetEvent(TestOpThread::BarrierEvent());
        Post(TestOpThread::WM_TEST_BARRIER);
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(TestOpThread::BarrierEvent(), 20000));
        recorder.Pump();
    }

    // Reads worker state as a page does, under the state lock.
    template <class F> auto Read(F f)
    {
        CSSDOpThread::StateLock state(worker);
        return f();
    }

    // Ends the worker as the window's close does and waits for its thread to end.
    void StopWorker()
    {
        if (!worker)
            return;
        worker->PostQuit();
        worker = nullptr;
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(workerHandle, 10000));
        ::CloseHandle(workerHandle);
        workerHandle = nullptr;
        recorder.Pump();
    }

    AnswerRecorder recorder;
    CSSDOpThread* worker = nullptr;
    HANDLE workerHandle = nullptr;
};
