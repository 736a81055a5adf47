// Latency knobs: a slow drive delays its own calls only, a held call waits for
// its release while the rest of the machine goes on, and clearing ends it all.

#include "SimFixture.h"

#include "PlatformSeam.h"
#include "VntAtad.h"
#include "VntNvmed.h"

#include <winioctl.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace {

// Default machine: drives 0 and 1 are NVMe library indexes 0 and 1, drive 3
// the SATA library's index 0 on PhysicalDrive0 (ATA SMART), drive 0's disk
// PhysicalDrive1.
const int kSataDrive = 3;
const int kDelayMs = 500;
// A call without a knob answers far below this even on a busy machine.
const int kPromptMs = 250;

// Removes every knob as a test step ends, so a failed step leaves no call
// held (a future's destructor waits for its call).
struct ClearKnobsOnExit {
    ~ClearKnobsOnExit() { SimClearFaults(); }
};

long long MillisecondsOf(const std::function<void()>& call)
{
    auto start = std::chrono::steady_clock::now();
    call();
    auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

int SmartLog(int index)
{
    BYTE log[512] = {};
    return NvmeSmartLog(sizeof(log), log, index);
}

// SMART_GET_VERSION on a physical drive, through the seam as the ATA reader sends it.
BOOL SmartVersion(const wchar_t* path)
{
    HANDLE disk = seam::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_SYSTEM, nullptr);
    if (disk == INVALID_HANDLE_VALUE)
        return FALSE;
    GETVERSIONINPARAMS version{};
    DWORD returned = 0;
    BOOL ok = seam::DeviceIoControl(disk, SMART_GET_VERSION, nullptr, 0, &version, sizeof(version), &returned, nullptr);
    seam::CloseHandle(disk);
    return ok;
}

struct LatencyCase {
    const char* name;
    const char* function; // the knob's function, "" = every call
    int drive;
    std::function<int()> slowCall;  // concerns the knob's drive
    std::function<int()> otherCall; // another drive, or another function of that drive
};

TEST_F(SimTest, LatencyKnobDelaysOnlyTheCallsOfItsDrive)
{
    const std::vector<LatencyCase> cases = {
        {"library call of one drive", "NvmeSmartLog", 1, [] { return SmartLog(1); }, [] { return SmartLog(0); }},
        {"another call of that drive", "NvmeSmartLog", 1, [] { return SmartLog(1); },
         [] {
             ULONGLONG capacity = 0;
             return NvmeCapacity(&capacity, 1);
         }},
        {"every call of the SATA drive", "", kSataDrive,
         [] {
             ULONGLONG capacity = 0;
             return VaCapacity(&capacity, 0);
         },
         [] { return SmartLog(0); }},
        {"seam call on a physical drive", "DeviceIoControl", kSataDrive,
         [] { return SmartVersion(L"\\\\.\\PHYSICALDRIVE0"); }, [] { return SmartVersion(L"\\\\.\\PHYSICALDRIVE1"); }},
    };
    for (const LatencyCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimSetLatency(c.function, c.drive, kDelayMs);
        int result = 0;
        EXPECT_GE(MillisecondsOf([&] { result = c.slowCall(); }), kDelayMs - 20);
        EXPECT_EQ(1, result) << "the delayed call still answers";
        EXPECT_LT(MillisecondsOf([&] { result = c.otherCall(); }), kPromptMs);
        EXPECT_EQ(1, result);
        SimSetLatency(c.function, c.drive, 0);
        EXPECT_LT(MillisecondsOf([&] { c.slowCall(); }), kPromptMs) << "0 removes the knob";
    }
}

TEST_F(SimTest, LatencyKeepsTheCallsLastError)
{
    HANDLE disk = seam::CreateFileW(L"\\\\.\\PhysicalDrive1", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, disk);
    SimSetLatency("DeviceIoControl", 0, 50);
    BYTE data[600] = {};
    DWORD returned = 0;
    SetLastError(0);
    // An NVMe disk refuses ATA commands with ERROR_INVALID_FUNCTION.
    BYTE request[33] = {};
    EXPECT_FALSE(
        seam::DeviceIoControl(disk, SMART_RCV_DRIVE_DATA, request, sizeof(request), data, 531, &returned, nullptr));
    DWORD delayed = GetLastError();
    SimSetLatency("DeviceIoControl", 0, 0);
    SetLastError(0);
    seam::DeviceIoControl(disk, SMART_RCV_DRIVE_DATA, request, sizeof(request), data, 531, &returned, nullptr);
    EXPECT_NE(0u, delayed);
    EXPECT_EQ(GetLastError(), delayed);
    seam::CloseHandle(disk);
}

struct HoldCase {
    const char* name;
    const char* function;
    int drive;
    std::function<int()> heldCall;
    const char* journalLine; // the held call's line, written when it starts
};

TEST_F(SimTest, HeldCallWaitsForItsReleaseWhileTheMachineGoesOn)
{
    const std::vector<HoldCase> cases = {
        {"library call", "NvmeSmartLog", 0, [] { return SmartLog(0); }, "NvmeSmartLog(512, <buf>, 0)"},
        {"seam call", "DeviceIoControl", kSataDrive, [] { return SmartVersion(L"\\\\.\\PHYSICALDRIVE0"); },
         "DeviceIoControl(<handle>, SMART_GET_VERSION"},
    };
    for (const HoldCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimClearJournal();
        EXPECT_EQ(0, SimWaitForHeldCall(50)) << "nothing held yet";
        SimSetLatency(c.function, c.drive, SIM_LATENCY_HOLD);
        std::future<int> held = std::async(std::launch::async, c.heldCall);
        ClearKnobsOnExit clearOnExit;
        ASSERT_EQ(1, SimWaitForHeldCall(5000));

        // Another drive, the device tree and the journal answer meanwhile.
        EXPECT_LT(MillisecondsOf([] { EXPECT_EQ(1, SmartLog(1)); }), kPromptMs);
        EXPECT_LT(MillisecondsOf([] { EXPECT_NE(0u, Node(L"HTREE\\ROOT\\0")); }), kPromptMs);
        EXPECT_NE(std::string::npos, Journal().find(c.journalLine));
        EXPECT_EQ(std::future_status::timeout, held.wait_for(std::chrono::milliseconds(200)));

        SimReleaseHeldCalls();
        ASSERT_EQ(std::future_status::ready, held.wait_for(std::chrono::seconds(5)));
        EXPECT_EQ(1, held.get());
        EXPECT_LT(MillisecondsOf([&] { c.heldCall(); }), kPromptMs) << "the hold knob is gone";
    }
}

TEST_F(SimTest, ClearingTheKnobsReleasesHeldAndTimedCalls)
{
    const std::vector<std::pair<const char*, std::function<void()>>> clears = {
        {"SimClearFaults", [] { SimClearFaults(); }},
        {"SimResetMachine", [] { SimResetMachine(); }},
        {"SimLoadMachineText", [] { SimLoadMachineText(SimDefaultMachineText()); }},
    };
    for (const auto& clear : clears) {
        SCOPED_TRACE(clear.first);
        SimSetLatency("NvmeSmartLog", 0, SIM_LATENCY_HOLD);
        SimSetLatency(nullptr, 1, 5000);
        std::future<int> held = std::async(std::launch::async, [] { return SmartLog(0); });
        std::future<int> timed;
        ClearKnobsOnExit clearOnExit;
        ASSERT_EQ(1, SimWaitForHeldCall(5000));
        timed = std::async(std::launch::async, [] { return SmartLog(1); });
        EXPECT_EQ(std::future_status::timeout, timed.wait_for(std::chrono::milliseconds(100)));

        clear.second();
        EXPECT_EQ(std::future_status::ready, held.wait_for(std::chrono::seconds(2)));
        EXPECT_EQ(std::future_status::ready, timed.wait_for(std::chrono::seconds(2))) << "the timed wait ends too";
        EXPECT_LT(MillisecondsOf([] { SmartLog(0); }), kPromptMs);
        EXPECT_LT(MillisecondsOf([] { SmartLog(1); }), kPromptMs);
    }
}

} // namespace
