// The scoped holders of device handles, device information sets and heap
// blocks, and the device queries that use them: whatever road a query takes
// out, it leaves no handle and no set behind.

#include <gtest/gtest.h>

#include <functional>

#include "DeviceOperation.h"
#include "DiskOperation.h"
#include "ScopedDeviceHandle.h"
#include "ScopedDeviceInfoSet.h"
#include "ScopedHeapBlock.h"
#include "SimFixture.h"
#include "SmartStore.h"

namespace {

const wchar_t* kNvme = L"PCI\\VEN_1F9B&DEV_6E42&SUBSYS_00011F9B&REV_01\\4&2A1B&0&0008";
const wchar_t* kNvmeDisk = L"SCSI\\DISK&VEN_NVME&PROD_ZARVO_ZR80E\\5&1&0&000000";
const wchar_t* kSataDisk = L"SCSI\\DISK&VEN_VANTREL&PROD_VX1300\\4&1&0&000100";

HANDLE OpenPhysicalDrive(int number)
{
    wchar_t path[32];
    wsprintfW(path, L"\\\\.\\PhysicalDrive%d", number);
    return seam::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
}

} // namespace

class ScopedHandlesTest : public SimTest {
protected:
    void SetUp() override { LoadMachine(TwoDriveMachine()); }
};

TEST_F(ScopedHandlesTest, DeviceHandleIsClosedOnceByWhoeverHoldsItLast)
{
    const int before = SimGetOpenDeviceHandleCount();
    {
        ScopedDeviceHandle first(OpenPhysicalDrive(0));
        ASSERT_TRUE(first.IsValid());
        EXPECT_EQ(before + 1, SimGetOpenDeviceHandleCount());
        ScopedDeviceHandle second(std::move(first));
        EXPECT_FALSE(first.IsValid());
        ScopedDeviceHandle third(OpenPhysicalDrive(1));
        third = std::move(second); // closes drive 1's handle, takes drive 0's
        EXPECT_EQ(before + 1, SimGetOpenDeviceHandleCount());
    }
    EXPECT_EQ(before, SimGetOpenDeviceHandleCount());
    EXPECT_EQ(2u, Calls("CloseHandle").size());

    HANDLE kept = INVALID_HANDLE_VALUE;
    {
        ScopedDeviceHandle handle(OpenPhysicalDrive(0));
        kept = handle.Detach(); // an open function handing its handle out
    }
    EXPECT_EQ(before + 1, SimGetOpenDeviceHandleCount());
    EXPECT_TRUE(seam::CloseHandle(kept));

    // A failed open holds nothing and closes nothing.
    SimClearJournal();
    {
        ScopedDeviceHandle missing(OpenPhysicalDrive(9));
        EXPECT_FALSE(missing.IsValid());
        EXPECT_FALSE(missing.Close());
    }
    EXPECT_TRUE(Calls("CloseHandle").empty());
}

TEST_F(ScopedHandlesTest, DeviceInfoSetIsDestroyedWithATraceLineNamingItsBuilder)
{
    CaptureTrace();
    const int before = SimGetOpenDeviceInfoSetCount();
    {
        ScopedDeviceInfoSet set(seam::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES),
                                L"Caller::Name");
        ASSERT_TRUE(set.IsValid());
        EXPECT_EQ(before + 1, SimGetOpenDeviceInfoSetCount());
    }
    EXPECT_EQ(before, SimGetOpenDeviceInfoSetCount());
    EXPECT_NE(std::wstring::npos, Captured().find(L"Caller::Name -> SetupDiDestroyDeviceInfoList return: 1\n"));

    SimClearJournal();
    {
        ScopedDeviceInfoSet none(INVALID_HANDLE_VALUE, L"Caller::Name");
    }
    EXPECT_TRUE(Calls("SetupDiDestroyDeviceInfoList").empty());
}

TEST_F(ScopedHandlesTest, HeapBlockIsZeroedAndSized)
{
    ScopedHeapBlock block(64);
    ASSERT_TRUE(block.IsValid());
    EXPECT_EQ(64u, block.Size());
    const BYTE* bytes = block.As<BYTE>();
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(0, bytes[i]) << i;
    }
    ScopedHeapBlock empty(0);
    EXPECT_FALSE(empty.IsValid());
    EXPECT_EQ(0u, empty.Size());
}

// Each query on its good road and with one platform call failing part-way:
// the handles and sets it opened are all released when it returns.
TEST_F(ScopedHandlesTest, EveryRoadOfTheDeviceQueriesReleasesWhatItOpened)
{
    struct Case {
        const char* name;
        const char* failing; // seam call that fails, nullptr for none
        int afterCalls;      // calls of it that go through first
        std::function<void()> query;
    };
    const DEVINST nvme = Node(kNvme);
    const DEVINST nvmeDisk = Node(kNvmeDisk);
    const DEVINST sataDisk = Node(kSataDisk);
    CString text, version, date;
    DWORD value = 0, disk = 0, partition = 0;
    DevInstList nodes;
    SmartStore store;
    const Case cases[] = {
        {"property", nullptr, 0, [&] { DeviceOperation::GetDevPropertyStr(nvme, SPDRP_SERVICE, text); }},
        {"property read fails", "SetupDiGetDeviceRegistryPropertyW", 1,
         [&] { DeviceOperation::GetDevPropertyStr(nvme, SPDRP_SERVICE, text); }},
        {"dword", "SetupDiGetDeviceRegistryPropertyW", 0,
         [&] { DeviceOperation::GetDevPropertyDWORD(nvme, SPDRP_BUSNUMBER, &value); }},
        {"path detail fails", "SetupDiGetDeviceInterfaceDetailW", 1,
         [&] { DeviceOperation::GetDevPathForCreatefile(nvmeDisk, &GUID_DEVINTERFACE_DISK, text); }},
        {"driver", nullptr, 0, [&] { DeviceOperation::GetDeviceDriverVerAndDate(nvme, version, date); }},
        {"driver list fails", "SetupDiEnumDriverInfoW", 0,
         [&] { DeviceOperation::GetDeviceDriverVerAndDate(nvme, version, date); }},
        {"controller scan", nullptr, 0, [&] { DeviceOperation::ScanAllNvmeController(nodes); }},
        {"disk scan", nullptr, 0, [&] { DeviceOperation::ScanDisk(nodes); }},
        {"disk number", nullptr, 0, [&] { DeviceOperation::GetDiskNum(nvmeDisk, &GUID_DEVINTERFACE_DISK); }},
        {"disk number query fails", "DeviceIoControl", 0,
         [&] { DeviceOperation::GetDiskNum(nvmeDisk, &GUID_DEVINTERFACE_DISK); }},
        {"enable", nullptr, 0, [&] { DeviceOperation::EnableDevice(nvme, TRUE); }},
        {"class installer fails", "SetupDiCallClassInstaller", 0, [&] { DeviceOperation::EnableDevice(nvme, FALSE); }},
        {"system disk", nullptr, 0, [&] { DiskOperation::IsSystemDisk(sataDisk); }},
        {"system disk query fails", "DeviceIoControl", 1, [&] { DiskOperation::IsSystemDisk(sataDisk); }},
        {"partition", "DeviceIoControl", 0, [&] { DiskOperation::GetPartitionLocation(L'C', &disk, &partition); }},
        {"ata smart", nullptr, 0, [&] { store.ReadAtaSmart(0); }},
        {"ata smart fails", "DeviceIoControl", 2, [&] { store.ReadAtaSmart(0); }},
    };
    for (const Case& c : cases) {
        SimClearFaults();
        if (c.failing != nullptr) {
            SimSetFault(c.failing, SIM_ANY_DRIVE, SIM_FAULT_FAIL, c.afterCalls, 0);
        }
        const int handles = SimGetOpenDeviceHandleCount();
        const int sets = SimGetOpenDeviceInfoSetCount();
        c.query();
        EXPECT_EQ(handles, SimGetOpenDeviceHandleCount()) << c.name;
        EXPECT_EQ(sets, SimGetOpenDeviceInfoSetCount()) << c.name;
    }
}
