// The scan of 1, 8 and 32 drives. The scan's time is taken as the window
// takes it (FindVnSSD on its thread, the list's answer handled); the time in
// the library calls is that of the same calls made directly: the controller
// scan, then per controller the drive object's two fill calls, which are
// library calls with a few field copies between them. The engine's own time
// is the difference.

#include "EngineBench.h"

#include <cstdio>

#include "AnswerRecorder.h"
#include "EngineTestApp.h"
#include "SSDOpThread.h"
#include "SimControl.h"
#include "VntNvmed.h"
#include "define.h"

namespace {

const int kRounds = 15;

double LibraryCallsMs()
{
    double start = BenchNowMs();
    DWORD devInsts[256] = {};
    DWORD count = 0;
    NvmeScanController(devInsts, &count, 0, 1);
    for (DWORD i = 0; i < count && i < 256; ++i) {
        VntSSD drive;
        drive.Init(static_cast<int>(i), devInsts[i], BUS_TYPE_NVME);
        drive.GetControllerInfo();
        drive.GetDiskInfo();
    }
    return BenchNowMs() - start;
}

} // namespace

void RunScanBench()
{
    AnswerRecorder recorder;
    g_engineTestMainWnd = &recorder;
    CSSDOpThread* worker = static_cast<CSSDOpThread*>(AfxBeginThread(RUNTIME_CLASS(CSSDOpThread)));
    HANDLE thread = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), worker->m_hThread, ::GetCurrentProcess(), &thread, SYNCHRONIZE, FALSE, 0);

    std::printf("Scan (median of %d rounds, milliseconds)\n", kRounds);
    std::printf("%6s | %10s | %15s | %12s | %16s\n", "drives", "scan", "library calls", "engine's own",
                "engine's / drive");
    std::printf("-------+------------+-----------------+--------------+-----------------\n");
    for (int drives : {1, 8, 32}) {
        std::string machine = BenchMachine(drives);
        if (!SimLoadMachineText(machine.c_str())) {
            char error[512] = {};
            SimGetLoadError(error, sizeof(error));
            std::printf("machine of %d drives does not load: %s\n", drives, error);
            continue;
        }
        std::vector<double> scans, library;
        for (int round = 0; round < kRounds; ++round) {
            double start = BenchNowMs();
            BOOL kept = worker->FindVnSSD();
            scans.push_back(BenchNowMs() - start);
            if (!kept || worker->m_deviceCount != static_cast<UINT>(drives))
                std::printf("scan kept %u of %d drives\n", worker->m_deviceCount, drives);
            library.push_back(LibraryCallsMs());
            SimClearJournal();
        }
        double scan = BenchMedian(scans), calls = BenchMedian(library);
        double own = scan > calls ? scan - calls : 0;
        std::printf("%6d | %10.3f | %15.3f | %12.3f | %16.4f\n", drives, scan, calls, own, own / drives);
        recorder.Pump();
        recorder.answers.clear();
    }
    worker->PostThreadMessage(WM_SSDOP_QUIT, 0, 0);
    ::WaitForSingleObject(thread, 10000);
    ::CloseHandle(thread);
    g_engineTestMainWnd = nullptr;
    SimResetMachine();
    std::printf("\n");
}
