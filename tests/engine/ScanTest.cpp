// The drive scan on the window's thread, and how it meets the worker's queue.

#include "EngineFixture.h"

// VG and VL anywhere in the revision, case-sensitive; the kept drives keep
// the library's order and index; the window hears of them once, before the
// scan returns.
TEST_F(EngineTest, ScanKeepsVgAndVlDrivesAndTellsTheWindowOnceBeforeItReturns)
{
    ASSERT_EQ(1, SimSetDriveValue(0, "fw", "VG1A0203"));
    ASSERT_EQ(1, SimSetDriveValue(1, "fw", "vgvl0105")); // lower case only: dropped
    ASSERT_EQ(1, SimSetDriveValue(2, "fw", "ED2VL100")); // VL not at the start: kept
    StartWorker();
    int readyWhileScanning = 0;
    recorder.onAnswer = [&](const Answer& a) {
        if (a.message == WM_SSDOP_DEVICE_LIST_READY) {
            ++readyWhileScanning;
            // The window refills its list from here: the drives are there.
            EXPECT_EQ(2u, Read([&] { return worker->m_deviceCount; }));
        }
    };
    EXPECT_EQ(TRUE, worker->FindVnSSD());
    EXPECT_EQ(1, readyWhileScanning);
    ASSERT_EQ(2u, worker->m_deviceCount);
    ASSERT_EQ(2, worker->m_deviceList.GetSize());
    EXPECT_EQ(0, worker->m_deviceList[0]->m_index);
    EXPECT_EQ(2, worker->m_deviceList[1]->m_index);
    EXPECT_STREQ("ED2VL100", worker->m_deviceList[1]->m_fwVersion);
    EXPECT_EQ(3u, worker->m_nvmeScanCount);
    recorder.Pump();
    EXPECT_EQ((std::vector<std::wstring>{L"LIST_READY"}), recorder.Lines());
}

// The scan's debug lines, word for word and in order: the library's count,
// each drive's two queries with their failures (which drop no drive by
// themselves), the number kept, and the window's update only after the
// window has handled the list.
TEST_F(EngineTest, ScanWritesItsDebugLinesInOrder)
{
    SimSetFault("NvmeStatus", 2, SIM_FAULT_FAIL, 0, 0);    // controller query of the third drive
    SimSetFault("NvmeStatusLun", 2, SIM_FAULT_FAIL, 0, 0); // its disk query
    StartWorker();
    CaptureTrace();
    size_t loggedAtListReady = std::wstring::npos;
    recorder.onAnswer = [&](const Answer& a) {
        if (a.message == WM_SSDOP_DEVICE_LIST_READY)
            loggedAtListReady = Captured().find(L"update combobox");
    };
    ASSERT_TRUE(worker->FindVnSSD());
    EXPECT_EQ(std::wstring::npos, loggedAtListReady);

    std::vector<std::wstring> own;
    std::wstring text = Captured();
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(L'\n', at);
        end = end == std::wstring::npos ? text.size() : end + 1;
        std::wstring line = text.substr(at, end - at);
        if (line.rfind(L"CSSDOpThread::", 0) == 0)
            own.push_back(line);
        at = end;
    }
    const std::wstring scan = L"CSSDOpThread::ScanNewNvmeDevice";
    std::vector<std::wstring> expected{scan + L" -> NvmeScanController 3\n"};
    for (int drive = 0; drive < 3; ++drive) {
        expected.push_back(scan + L" -> GetControllerInfo\n");
        if (drive == 2)
            expected.push_back(scan + L" -> GetControllerInfo fail\n");
        expected.push_back(scan + L" -> GetDiskInfo\n");
        if (drive == 2)
            expected.push_back(scan + L" -> GetDiskInfo fail\n");
    }
    expected.push_back(scan + L" ret 2\n");
    expected.push_back(L"CSSDOpThread::FindVnSSD -> update combobox\n");
    EXPECT_EQ(expected, own);
}

// No maker controller, or a library scan that fails: nothing is sent and
// later requests find the empty list.
TEST_F(EngineTest, ScanWithoutControllersSendsNothing)
{
    StartWorker();
    SimSetFault("NvmeScanController", SIM_ANY_DRIVE, SIM_FAULT_FAIL, 0, 0);
    EXPECT_EQ(FALSE, Scan());
    for (int drive = 0; drive < 3; ++drive)
        ASSERT_EQ(1, SimSetDriveValue(drive, "fw", "ED2R1100"));
    SimClearFaults();
    EXPECT_EQ(FALSE, Scan());
    EXPECT_EQ(0u, worker->m_deviceCount);
    Post(WM_SSDOP_FORMAT_NAND);
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"RESULT No device!"}), recorder.Lines());
}

// A library that reports more controllers than the scan's arrays hold is
// read only as far as the arrays go.
TEST_F(EngineTest, ScanClampsAControllerCountBeyondItsArrays)
{
    StartWorker();
    // The count comes back bit-inverted: more than four thousand million.
    SimSetFault("NvmeScanController", SIM_ANY_DRIVE, SIM_FAULT_CORRUPT, 0, 1);
    recorder.onAnswer = nullptr;
    worker->FindVnSSD();
    EXPECT_EQ(256u, worker->m_nvmeScanCount);
    EXPECT_LE(worker->m_deviceCount, 256u);
    EXPECT_EQ(static_cast<INT_PTR>(worker->m_deviceCount), worker->m_deviceList.GetSize());
}

// A rescan while requests wait in the queue: it runs between two requests,
// and the requests queued before it find the new list with no drive current
// (never a deleted drive); the selection the window posts comes after them.
TEST_F(EngineTest, RescanWhileRequestsAreQueued)
{
    StartWorker();
    ScanAndSelect();
    VntSSD* before = worker->m_pCurDevice;
    ASSERT_NE(nullptr, before);
    {
        // The worker is held between requests while these queue up.
        CSSDOpThread::OperationLock hold(worker);
        ASSERT_TRUE(hold.Acquired());
        Post(WM_SSDOP_REFRESH_DEVICE);
        Post(WM_SSDOP_SET_WRITE_CACHE);
        Post(WM_SSDOP_READ_FLASH_ID);
        EXPECT_TRUE(Scan());
        EXPECT_EQ(nullptr, worker->m_pCurDevice);
    }
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"LIST_READY", L"RESULT No device!", L"UPDATED"}), recorder.Lines());
    EXPECT_NE(nullptr, worker->m_pCurDevice);
    EXPECT_EQ(worker->m_deviceList[0], worker->m_pCurDevice);
}

// While the window's thread waits for a long request to end before it can
// scan, it keeps handling its messages (here a timer); a second scan asked
// for from inside that wait is refused instead of nesting.
TEST_F(EngineTest, RescanDuringALongRequestKeepsTheWindowThreadAlive)
{
    StartWorker();
    ScanAndSelect();
    // A long request: the worker holds the operation lock for 600 ms.
    HANDLE held = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    struct Hold {
        CSSDOpThread* worker;
        HANDLE held;
    } hold{worker, held};
    HANDLE holder = ::CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            Hold* h = static_cast<Hold*>(p);
            ::WaitForSingleObject(h->worker->m_operationLock.m_hObject, INFINITE);
            ::SetEvent(h->held);
            ::Sleep(600);
            ::ReleaseMutex(h->worker->m_operationLock.m_hObject);
            return 0;
        },
        &hold, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(held, 5000));

    static int ticks = 0;
    static BOOL nestedScan = -1;
    static CSSDOpThread* s_worker = nullptr;
    ticks = 0;
    nestedScan = -1;
    s_worker = worker;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        if (++ticks == 1)
            nestedScan = s_worker->FindVnSSD();
    });
    DWORD start = ::GetTickCount();
    EXPECT_TRUE(Scan());
    DWORD waited = ::GetTickCount() - start;
    ::KillTimer(nullptr, timer);
    EXPECT_GE(waited, 300u);
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(FALSE, nestedScan);
    recorder.Pump();
    EXPECT_EQ(1u, recorder.Count(WM_SSDOP_DEVICE_LIST_READY));
    ::WaitForSingleObject(holder, 5000);
    ::CloseHandle(holder);
    ::CloseHandle(held);
}

// A page reading the current drive and its SMART values in a loop while the
// window's thread rescans and the worker selects and refreshes: it always
// sees a whole drive and whole values.
TEST_F(EngineTest, PageReaderSeesWholeValuesDuringRescans)
{
    StartWorker();
    ScanAndSelect();
    struct Reader {
        CSSDOpThread* worker;
        volatile LONG stop;
        int reads;
        int torn;
    } reader{worker, 0, 0, 0};
    HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            Reader* r = static_cast<Reader*>(p);
            while (!r->stop) {
                CSSDOpThread::StateLock state(r->worker);
                VntSSD* drive = r->worker->GetCurrentDevice();
                ++r->reads;
                if (!drive)
                    continue;
                CString fw;
                fw.Format(L"%S", drive->m_fwVersion);
                if (fw.Find(L"VG") < 0 && fw.Find(L"VL") < 0)
                    ++r->torn;
                BYTE slot = static_cast<BYTE>(drive->m_index + SMART_NVME_SLOT_BASE);
                SmartAttribute* hours = r->worker->m_smartInfo.FindAttribute(slot, 9);
                if (hours && hours->raw != (drive->m_index == 0 ? 1873u : 926u))
                    ++r->torn;
            }
            return 0;
        },
        &reader, 0, nullptr);
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(Scan());
        Post(WM_SSDOP_SELECT_DEVICE, i % 2);
        Post(WM_SSDOP_REFRESH_DEVICE);
    }
    Barrier();
    ::InterlockedExchange(&reader.stop, 1);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 10000));
    ::CloseHandle(thread);
    EXPECT_GT(reader.reads, 0);
    EXPECT_EQ(0, reader.torn);
}

// The SATA scan (nothing in the program calls it) lists every disk the SATA
// library reports, an AHCI disk under its controller; a refresh of such a
// drive reads nothing and still answers.
TEST_F(EngineTest, SataScanListsEveryDiskAndAnAhciRefreshReadsNothing)
{
    StartWorker();
    ScanAndSelect();
    {
        CSSDOpThread::OperationLock hold(worker);
        EXPECT_EQ(1u, worker->ScanSataDevice());
        ASSERT_EQ(3, worker->m_deviceList.GetSize());
        CSSDOpThread::StateLock state(worker);
        worker->m_deviceCount = 3;
    }
    VntSSD* disk = worker->m_deviceList[2];
    EXPECT_EQ(BUS_TYPE_AHCI, disk->m_busType);
    EXPECT_EQ(1u, Calls("VaGetAhciController").size());
    SimClearJournal();
    Post(WM_SSDOP_SELECT_DEVICE, 2);
    Barrier();
    EXPECT_EQ((std::vector<std::wstring>{L"UPDATED"}), recorder.Lines());
    EXPECT_TRUE(Calls("DeviceIoControl").empty()) << Journal();
    EXPECT_TRUE(Calls("VaOpenByInst").empty()) << Journal();
}
