// The window thread's message round-trip while the worker runs a low-level
// format: the window posts itself a message whose handler reads the current
// drive and its SMART values as a page does (under the state lock), and the
// time from the post to the end of the handler is one sample
// (BenchProbeWindow.h). The format runs against the simulated controller at a
// tenth of real time, so its fixed 25-second wait and its polls take 2.5 s
// and 100 ms.

#include "EngineBench.h"

#include <cstdio>

#include "AnswerRecorder.h"
#include "BenchProbeWindow.h"
#include "BenchWorker.h"
#include "EngineWait.h"
#include "FileUtil.h"
#include "SimControl.h"
#include "TempDir.h"

namespace {

const double kTargetMs = 50.0;

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
    SetEngineWaitScale(100);
    std::vector<double> samples;
    double formatMs = 0;
    std::wstring result;
    {
        BenchWorker worker(recorder);
        BenchProbeWindow probe(worker.Get());
        CString path = folder.Path();
        double start = BenchNowMs();
        worker.Get()->PostThreadMessage(WM_SSDOP_LOW_LEVEL_FORMAT, reinterpret_cast<WPARAM>(path.GetString()), 0);
        while (recorder.Results().empty() && BenchNowMs() - start < 60000) {
            samples.push_back(probe.RoundTrip());
            ::Sleep(5);
        }
        formatMs = BenchNowMs() - start;
        result = recorder.Results().empty() ? L"(no result)" : recorder.Results().back();
    }
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
