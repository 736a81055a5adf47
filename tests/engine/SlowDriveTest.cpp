// A slow drive never holds the pages up: while the worker waits for the
// drive's answer, a page's read under the state lock answers at once with the
// values stored last, and the new values are stored once the drive answered.

#include "EngineFixture.h"

#include "VntNvmed.h"

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A page read that waits longer than this would be a frozen window.
const long long kPromptMs = 50;
// The page read gives up here, so a blocked read fails the test instead of hanging it.
const long long kGiveUpMs = 2000;

// Default machine: the current drive after the scan is drive 0, NVMe library
// index 0 (slot 16); drive 3 is the SATA disk PhysicalDrive0 (slot 0), which
// answers ATA SMART.
const int kNvmeSlot = 16;
const int kSataDrive = 3;
const int kSataDisk = 0;

// Every knob is removed as a test step ends, so a failed step leaves no
// drive call held for the worker's end to wait on.
struct ClearKnobsOnExit {
    ~ClearKnobsOnExit() { SimClearFaults(); }
};

struct PageRead {
    bool answered; // the state lock was had before kGiveUpMs
    long long waitedMs;
    DWORD raw;                  // raw value of the attribute in the slot; 0 when there is none
    std::vector<BYTE> smartLog; // the current drive's SMART buffer
};

std::string NameOf(const std::string& line)
{
    return line.substr(0, line.find('('));
}

class SlowDriveTest : public EngineTest {
protected:
    // Reads as a page does, under the state lock, but waits for the lock at
    // most kGiveUpMs.
    PageRead ReadPage(int slot, BYTE id)
    {
        PageRead page = {false, 0, 0, {}};
        auto start = std::chrono::steady_clock::now();
        auto waited = [&] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count();
        };
        while (!worker->m_stateLock.TryLock()) {
            if (waited() >= kGiveUpMs) {
                page.waitedMs = waited();
                return page;
            }
            ::Sleep(1);
        }
        page.answered = true;
        page.waitedMs = waited();
        if (SmartAttribute* attribute = worker->m_smartInfo.FindAttribute(static_cast<BYTE>(slot), id))
            page.raw = attribute->raw;
        if (VntSSD* drive = worker->GetCurrentDevice())
            page.smartLog.assign(drive->m_smartLog, drive->m_smartLog + sizeof(drive->m_smartLog));
        worker->m_stateLock.Unlock();
        return page;
    }

    DWORD StoredRaw(int slot, BYTE id)
    {
        return Read([&] {
            SmartAttribute* attribute = worker->m_smartInfo.FindAttribute(static_cast<BYTE>(slot), id);
            return attribute ? attribute->raw : 0;
        });
    }
};

} // namespace

TEST_F(SlowDriveTest, PageReadsAtOnceWhileTheRefreshWaitsForTheDrive)
{
    StartWorker();
    ScanAndSelect();
    std::vector<BYTE> storedLog = Read([&] {
        VntSSD* drive = worker->GetCurrentDevice();
        return std::vector<BYTE>(drive->m_smartLog, drive->m_smartLog + sizeof(drive->m_smartLog));
    });
    ASSERT_EQ(1873u, StoredRaw(kNvmeSlot, 9));
    ASSERT_EQ(1, SimSetDriveValue(0, "smart:9", "100,100,4242"));
    SimClearJournal();

    SimSetLatency("NvmeSmartLog", 0, SIM_LATENCY_HOLD);
    ClearKnobsOnExit clearOnExit;
    Post(WM_SSDOP_REFRESH_DEVICE);
    ASSERT_EQ(1, SimWaitForHeldCall(5000)) << "the worker is inside the drive's SMART read";
    PageRead page = ReadPage(kNvmeSlot, 9);
    EXPECT_TRUE(page.answered) << "the page waited " << page.waitedMs << " ms for the drive";
    EXPECT_LT(page.waitedMs, kPromptMs);
    // Until the drive has answered, the page sees what was stored last, whole.
    EXPECT_EQ(1873u, page.raw);
    EXPECT_EQ(storedLog, page.smartLog);

    SimReleaseHeldCalls();
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"UPDATED"}), recorder.Lines());
    EXPECT_EQ((std::vector<std::string>{"NvmeOpenByInst(0, 0x1007)", "NvmeSmartLog(512, <buf>, 0)", "NvmeClose(0)"}),
              JournalLines());
    EXPECT_EQ(DriveValue(0, "smart:9"), std::to_string(StoredRaw(kNvmeSlot, 9)));
    BYTE reported[512] = {};
    ASSERT_EQ(1, NvmeSmartLog(sizeof(reported), reported, 0));
    EXPECT_EQ(std::vector<BYTE>(reported, reported + sizeof(reported)), Read([&] {
                  VntSSD* drive = worker->GetCurrentDevice();
                  return std::vector<BYTE>(drive->m_smartLog, drive->m_smartLog + sizeof(drive->m_smartLog));
              }));
}

// The refresh of a SATA drive and the SMART re-read both read through the ATA
// commands on the physical drive.
TEST_F(SlowDriveTest, PageReadsAtOnceWhileAnAtaReadWaitsForTheDrive)
{
    struct Case {
        const char* name;
        UINT request;
        const wchar_t* answer;
    } cases[] = {{"SATA refresh", WM_SSDOP_REFRESH_DEVICE, L"UPDATED"},
                 {"SMART re-read", WM_SSDOP_READ_SMART, L"SMART_UPDATED"}};
    StartWorker();
    ScanAndSelect();
    // The current drive becomes a SATA drive on the machine's ATA disk.
    Read([&] {
        VntSSD* drive = worker->GetCurrentDevice();
        drive->m_busType = BUS_TYPE_SATA;
        drive->m_diskNum = kSataDisk;
        return 0;
    });
    int hours = 6000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD before = StoredRaw(kSataDisk, 9);
        ++hours;
        ASSERT_EQ(1, SimSetDriveValue(kSataDrive, "smart:9", ("99,99," + std::to_string(hours) + ",0").c_str()));
        recorder.answers.clear();
        SimClearJournal();

        SimSetLatency("DeviceIoControl", kSataDrive, SIM_LATENCY_HOLD);
        ClearKnobsOnExit clearOnExit;
        Post(c.request);
        ASSERT_EQ(1, SimWaitForHeldCall(5000)) << "the worker is inside the drive's ATA read";
        PageRead page = ReadPage(kSataDisk, 9);
        EXPECT_TRUE(page.answered) << "the page waited " << page.waitedMs << " ms for the drive";
        EXPECT_LT(page.waitedMs, kPromptMs);
        EXPECT_EQ(before, page.raw);

        SimReleaseHeldCalls();
        Barrier();
        EXPECT_EQ((std::vector<std::wstring>{c.answer}), recorder.Lines());
        std::vector<std::string> names;
        for (const std::string& line : JournalLines())
            names.push_back(NameOf(line));
        EXPECT_EQ((std::vector<std::string>{"CreateFileW", "DeviceIoControl", "DeviceIoControl", "DeviceIoControl",
                                            "DeviceIoControl", "DeviceIoControl", "CloseHandle"}),
                  names)
            << Journal();
        EXPECT_EQ(std::to_string(hours), DriveValue(kSataDrive, "smart:9"));
        EXPECT_EQ(static_cast<DWORD>(hours), StoredRaw(kSataDisk, 9));
    }
    // The whole read is stored: identity and thresholds too.
    Read([&] {
        const SmartDriveInfo& record = worker->m_smartInfo.GetDriveRecord(kSataDisk);
        EXPECT_STREQ("Zarvo ZR30s 480GB", reinterpret_cast<const char*>(record.identify + 54));
        SmartAttribute* attribute = worker->m_smartInfo.FindAttribute(kSataDisk, 1);
        EXPECT_TRUE(attribute && attribute->threshold == 50);
        return 0;
    });
}
