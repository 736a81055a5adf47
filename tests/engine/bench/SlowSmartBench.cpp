// The window thread's message round-trip while the worker refreshes a slow
// drive: the current drive takes 2 seconds to answer its SMART read (a
// latency knob of the simulated machine), and the window asks for refreshes
// one after another, as the drive page and the clock-mode re-check do. The
// probe reads what a page reads under the state lock (BenchProbeWindow.h);
// a page that waited for the drive would show as a round-trip of seconds.

#include "EngineBench.h"

#include <cstdio>

#include "AnswerRecorder.h"
#include "BenchProbeWindow.h"
#include "BenchWorker.h"
#include "SimControl.h"

namespace {

const double kTargetMs = 50.0;
const int kSmartReadMs = 2000;
const size_t kRefreshes = 3;

} // namespace

void RunSlowSmartBench()
{
    SimLoadMachineText(SimDefaultMachineText());
    AnswerRecorder recorder;
    std::vector<double> samples;
    double refreshMs = 0;
    size_t refreshed = 0;
    {
        BenchWorker worker(recorder);
        BenchProbeWindow probe(worker.Get());
        recorder.answers.clear();
        SimSetLatency("NvmeSmartLog", 0, kSmartReadMs);
        double start = BenchNowMs();
        for (size_t i = 0; i < kRefreshes; ++i)
            worker.Get()->PostThreadMessage(WM_SSDOP_REFRESH_DEVICE, 0, 0);
        double limit = (kSmartReadMs * kRefreshes) * 3.0;
        while (recorder.Count(WM_SSDOP_DEVICE_UPDATED) < kRefreshes && BenchNowMs() - start < limit) {
            samples.push_back(probe.RoundTrip());
            ::Sleep(5);
        }
        refreshMs = BenchNowMs() - start;
        refreshed = recorder.Count(WM_SSDOP_DEVICE_UPDATED);
        SimSetLatency("NvmeSmartLog", 0, 0);
    }

    double worst = samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
    double median = BenchMedian(samples);
    std::printf("\nWindow thread's message round-trip while a slow drive is refreshed\n");
    std::printf("(SMART read of %d ms; %zu of %zu refreshes answered in %.0f ms)\n\n", kSmartReadMs, refreshed,
                kRefreshes, refreshMs);
    std::printf("%-10s %12s %12s %12s %8s\n", "samples", "median ms", "worst ms", "target ms", "within");
    std::printf("%-10zu %12.3f %12.3f %12.1f %8s\n", samples.size(), median, worst, kTargetMs,
                worst < kTargetMs ? "yes" : "no");
}
