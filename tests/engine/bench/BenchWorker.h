#pragma once
// A worker as the main window runs it, answering into a recorder that stands
// in for the window: started, its drives scanned and drive 0 selected as at
// the window's start; ended, as the window's close ends it, when destroyed.

#include <windows.h>

#include "AnswerRecorder.h"
#include "EngineTestApp.h"
#include "SSDOpThread.h"

class BenchWorker {
public:
    explicit BenchWorker(AnswerRecorder& recorder) : m_recorder(recorder), m_thread(nullptr)
    {
        g_engineTestMainWnd = &m_recorder;
        m_worker = static_cast<CSSDOpThread*>(AfxBeginThread(RUNTIME_CLASS(CSSDOpThread)));
        ::DuplicateHandle(::GetCurrentProcess(), m_worker->m_hThread, ::GetCurrentProcess(), &m_thread, SYNCHRONIZE,
                          FALSE, 0);
        CSSDOpThread* worker = m_worker;
        m_recorder.onAnswer = [worker](const Answer& a) {
            if (a.message == WM_SSDOP_DEVICE_LIST_READY)
                worker->PostThreadMessage(WM_SSDOP_SELECT_DEVICE, 0, 0);
        };
        m_worker->FindVnSSD();
        m_recorder.WaitFor(WM_SSDOP_DEVICE_UPDATED);
        m_recorder.onAnswer = nullptr;
    }

    ~BenchWorker()
    {
        m_worker->PostThreadMessage(WM_SSDOP_QUIT, 0, 0);
        ::WaitForSingleObject(m_thread, 10000);
        ::CloseHandle(m_thread);
        m_recorder.Pump();
        g_engineTestMainWnd = nullptr;
    }

    BenchWorker(const BenchWorker&) = delete;
    BenchWorker& operator=(const BenchWorker&) = delete;

    CSSDOpThread* Get() const { return m_worker; }

private:
    AnswerRecorder& m_recorder;
    CSSDOpThread* m_worker;
    HANDLE m_thread;
};
