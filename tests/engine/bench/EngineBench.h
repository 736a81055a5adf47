#pragma once
// The engine's benchmark (run by hand through scripts/bench-engine.sh, not a
// test): each section measures one thing and prints its own table.
// A new section is a function here, its file in CMakeLists.txt, and a row
// of kSections in EngineBench.cpp.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

// Scans of 1, 8 and 32 simulated drives: time in the library calls against
// the engine's own time.
void RunScanBench();
// The window thread's message round-trip (median and worst) while the worker
// runs a low-level format.
void RunLlfRoundTripBench();
// The window thread's message round-trip (median and worst) while the worker
// refreshes a drive whose SMART read takes 2 seconds.
void RunSlowSmartBench();

// Milliseconds since an arbitrary start, with the performance counter's
// resolution.
inline double BenchNowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline double BenchMedian(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A simulated machine with `drives` NVMe drives on the maker's controllers,
// each on a disk of its own, firmware revisions with "VG".
std::string BenchMachine(int drives);
