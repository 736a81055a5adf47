#pragma once
// The window thread's probe: a message-only window that posts itself a
// message whose handler reads the current drive and its SMART values as a
// page does (under the state lock). The time from the post to the end of the
// handler is one round-trip: what a person waits for when the window paints.

#include "EngineBench.h"
#include "CWnd.h"
#include "SSDOpThread.h"

class BenchProbeWindow : public CWnd {
public:
    static const UINT WM_BENCH_PROBE = WM_APP + 1;

    explicit BenchProbeWindow(CSSDOpThread* worker) : m_worker(worker), m_done(false)
    {
        CreateEx(0, L"STATIC", L"probe", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
    }
    ~BenchProbeWindow() override { DestroyWindow(); }

    // Posts the probe and dispatches every message of the thread until its
    // handler has run; the round trip in milliseconds.
    double RoundTrip()
    {
        m_done = false;
        double start = BenchNowMs();
        PostMessage(WM_BENCH_PROBE, 0, 0);
        MSG msg;
        while (!m_done && ::GetMessageW(&msg, nullptr, 0, 0)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        return BenchNowMs() - start;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_BENCH_PROBE)
            return CWnd::WindowProc(message, wParam, lParam);
        CSSDOpThread::StateLock state(m_worker);
        if (VntSSD* device = m_worker->GetCurrentDevice()) {
            volatile ULONGLONG capacity = device->m_capacity;
            const SmartDriveInfo& record = m_worker->m_smartInfo.GetDriveRecord(SMART_NVME_SLOT_BASE + device->m_index);
            volatile DWORD sum = 0;
            for (int i = 0; i < record.attributeCount; ++i)
                sum = sum + record.attributes[i].raw;
            (void)capacity;
        }
        m_done = true;
        return 0;
    }

private:
    CSSDOpThread* m_worker;
    bool m_done;
};
