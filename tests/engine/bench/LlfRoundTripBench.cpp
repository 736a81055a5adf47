// The window thread's message round-trip while the worker runs a low-level
// format: the window posts itself a message whose handler reads the current
// drive and its SMART values as a page does (under the state lock), and the
// time from the post to the end of the handler is one sample. The format
// runs against the simulated controller at a tenth of real time, so its
// fixed 25-second wait and its polls take 2.5 s and 100 ms.

#include "EngineBench.h"

#include <cstdio>

#include "AnswerRecorder.h"
#include "EngineTestApp.h"
#include "EngineWait.h"
#include "FileUtil.h"
#include "SSDOpThread.h"
#include "SimControl.h"
#include "TempDir.h"

namespace {

const UINT WM_BENCH_PROBE = WM_APP + 1;
const double kTargetMs = 50.0;

// A message-only window whose probe message reads what a page reads.
class ProbeWindow : public CWnd {
public:
    explicit ProbeWindow(CSSDOpThread* worker) : m_worker(worker), m_done(false)
    {
        CreateEx(0, L"STATIC", L"probe", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
    }
    ~ProbeWindow() override { DestroyWindow(); }

    // Posts the probe and dispatches until its handler has run; the round
    // trip in milliseconds.
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

} // namespace

void RunLlfRoundTripBench()
{
    SimLoadMachineText(SimDefaultMachineText());
    SimSetDriveValue(0, "llf-init", "1:50:0 0:100:0");
    SimSetDriveValue(0, "llf-all", "1:20:0 1:60:0 0:100:0");
    TempDir folder;
    folder.Write(L"config.ini", "[TEST_PARAMETER]\r\nLLF_INIT_TIMEOUT=10\r\nLLF_ALL_TIMEOUT=10\r\n");
    folder.Write(L"bank_dram.ram", std::string(64 * 1024, '\x5A'));

    AnswerRecorder recorder;
    g_engineTestMainWnd = &recorder;
    SetEngineWaitScale(100);
    CSSDOpThread* worker = static_cast<CSSDOpThread*>(AfxBeginThread(RUNTIME_CLASS(CSSDOpThread)));
    HANDLE thread = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), worker->m_hThread, ::GetCurrentProcess(), &thread, SYNCHRONIZE, FALSE, 0);
    recorder.onAnswer = [worker](const Answer& a) {
        if (a.message == WM_SSDOP_DEVICE_LIST_READY)
            worker->PostThreadMessage(WM_SSDOP_SELECT_DEVICE, 0, 0);
    };
    worker->FindVnSSD();
    recorder.WaitFor(WM_SSDOP_DEVICE_UPDATED);
    recorder.onAnswer = nullptr;

    ProbeWindow probe(worker);
    std::vector<double> samples;
    CString path = folder.Path();
    double start = BenchNowMs();
    worker->PostThreadMessage(WM_SSDOP_LOW_LEVEL_FORMAT, reinterpret_cast<WPARAM>(path.GetString()), 0);
    while (recorder.Results().empty() && BenchNowMs() - start < 60000) {
        samples.push_back(probe.RoundTrip());
        ::Sleep(5);
    }
    double formatMs = BenchNowMs() - start;
    std::wstring result = recorder.Results().empty() ? L"(no result)" : recorder.Results().back();

    worker->PostThreadMessage(WM_SSDOP_QUIT, 0, 0);
    ::WaitForSingleObject(thread, 10000);
    ::CloseHandle(thread);
    recorder.Pump();
    g_engineTestMainWnd = nullptr;
    SetEngineWaitScale(1000);

    double worst = samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
    double median = BenchMedian(samples);
    std::printf("\nWindow thread's message round-trip during a low-level format\n");
    std::printf("(format at 1/10 of real time: %.0f ms, result \"%s\")\n\n", formatMs,
                WideToNarrowString(CString(result.c_str())).c_str());
    std::printf("%-10s %12s %12s %12s %8s\n", "samples", "median ms", "worst ms", "target ms", "within");
    std::printf("%-10zu %12.3f %12.3f %12.1f %8s\n", samples.size(), median, worst, kTargetMs,
                worst < kTargetMs ? "yes" : "no");
}
